#include "messages/fields.h"

#include <algorithm>

namespace tepo {

void Marks::mark(std::size_t begin, std::size_t end) {
  if (begin >= end) return;
  if (bits_.size() < end) bits_.resize(end, false);
  std::fill(bits_.begin() + static_cast<std::ptrdiff_t>(begin), bits_.begin() + static_cast<std::ptrdiff_t>(end), true);
}

bool Marks::anyFrom(std::size_t begin, std::size_t end) const {
  end = std::min(end, bits_.size());
  for (std::size_t i = begin; i < end; ++i) {
    if (bits_[i]) return true;
  }
  return false;
}

void Marks::dropFront(std::size_t n) {
  bits_.erase(bits_.begin(), bits_.begin() + static_cast<std::ptrdiff_t>(std::min(n, bits_.size())));
}

void FieldParser::dropConsumed() {
  // Drop what has been consumed so that the buffer holds only the open field;
  // what was learnt of it moves along.
  if (pos_ == 0) return;
  buffer_.erase(0, pos_);
  scan_ -= pos_;
  if (start_ != Text::npos) start_ -= pos_;
  if (close_ != Text::npos) close_ -= pos_;
  bad_.dropFront(pos_);
  other_.dropFront(pos_);
  pos_ = 0;
}

void FieldParser::mark(std::size_t at, std::size_t length, const std::vector<std::size_t>* bad, bool otherEncoding) {
  if (bad) {
    for (std::size_t i : *bad) bad_.mark(at + i, at + i + 1);
  }
  if (otherEncoding) other_.mark(at, at + length);
}

void FieldParser::feed(const char16_t* chunk, std::size_t length, const std::vector<std::size_t>* bad,
                       bool otherEncoding) {
  const bool moved = pos_ > 0;
  dropConsumed();
  const std::size_t at = buffer_.size();
  mark(at, length, bad, otherEncoding);
  buffer_.append(chunk, length);
  stops_.update(&buffer_[0], moved ? 0 : at, at, buffer_.size());
}

void FieldParser::feed(Text&& chunk, const std::vector<std::size_t>* bad, bool otherEncoding) {
  if (pos_ < buffer_.size()) {
    feed(chunk.data(), chunk.size(), bad, otherEncoding);
    return;
  }
  dropConsumed();
  buffer_.swap(chunk);
  mark(0, buffer_.size(), bad, otherEncoding);
  stops_.update(&buffer_[0], 0, 0, buffer_.size());
}

void FieldParser::startNextField(std::size_t after) {
  pos_ = scan_ = after;
  start_ = close_ = Text::npos;
  lineEndInQuotes_ = false;
  quotedCr_ = quotedLf_ = quotedPairs_ = 0;
}

void FieldParser::take(Field& field, std::size_t begin, std::size_t end, std::size_t ended, std::size_t after,
                       bool changedByRules) {
  field.changed = changedByRules || afterComma_ || bad_.any(pos_, after);
  const char16_t delimiter = ended < after ? buffer_[ended] : u'\0';
  const bool lineEnd = delimiter == u'\n' || delimiter == u'\r';
  field.lines.lineEnds = quotedCr_ + quotedLf_ - quotedPairs_ + (lineEnd ? 1 : 0);
  field.lines.endsLine = delimiter != u',';
  field.otherEncoding = other_.any(pos_, after);
  field.text = &buffer_[0] + begin;
  field.length = end - begin;
  // A comma split the line the user wrote: the field after it is a piece too.
  afterComma_ = delimiter == u',';
  startNextField(after);
}

bool FieldParser::findStart() {
  const std::size_t size = buffer_.size();
  while (scan_ < size && buffer_[scan_] == u' ') ++scan_;
  if (scan_ == size) return false;
  start_ = scan_;
  if (buffer_[start_] == u'"') ++scan_;
  return true;
}

bool FieldParser::passBackslash(bool atEnd) {
  if (scan_ + 1 == buffer_.size()) {
    // The n may come with the next feed.
    if (!atEnd) return false;
    ++scan_;
    return true;
  }
  if (buffer_[scan_ + 1] == u'n') {
    buffer_[scan_] = u'\r';
    buffer_[scan_ + 1] = u'\n';
    ++scan_;
  }
  ++scan_;
  return true;
}

bool FieldParser::findClosingQuote(bool atEnd) {
  const std::size_t size = buffer_.size();
  for (;;) {
    scan_ = stops_.next(scan_);
    if (scan_ == size) return false;
    const char16_t c = buffer_[scan_];
    if (c == u'"') break;
    if (c == u'\\') {
      if (!passBackslash(atEnd)) return false;
      continue;
    }
    if (c == u'\r' || c == u'\n') {
      lineEndInQuotes_ = true;
      if (c == u'\r') {
        ++quotedCr_;
      } else {
        ++quotedLf_;
        if (buffer_[scan_ - 1] == u'\r') ++quotedPairs_;
      }
    }
    ++scan_;
  }
  close_ = scan_++;
  return true;
}

std::size_t FieldParser::findDelimiter(bool quoted, bool atEnd) {
  const std::size_t size = buffer_.size();
  for (;;) {
    scan_ = stops_.next(scan_);
    if (scan_ == size) return size;
    const char16_t c = buffer_[scan_];
    if (c == u',' || c == u'\r' || c == u'\n') return scan_;
    // What follows a closing quote is dropped as it stands.
    if (c == u'"' || quoted) {
      ++scan_;
    } else if (!passBackslash(atEnd)) {
      return size;
    }
  }
}

std::optional<Field> FieldParser::next(bool atEnd) {
  // One field for every way out, so that it is made where the caller takes it.
  std::optional<Field> field;
  const std::size_t size = buffer_.size();
  if (pos_ >= size) return field;
  if (start_ == Text::npos && takePlainLine(field)) return field;
  if (start_ == Text::npos && !findStart()) {
    // Only spaces remain: they make one empty field.
    if (atEnd) take(field.emplace(), size, size, size, size, true);
    return field;
  }
  const bool quoted = buffer_[start_] == u'"';
  if (quoted && close_ == Text::npos && !findClosingQuote(atEnd)) {
    if (atEnd) {
      // Never closed: the field runs to the end of the text.
      take(field.emplace(), start_ + 1, size, size, size, true);
      field->lines.unclosed = true;
    }
    return field;
  }
  endField(field, quoted, atEnd);
  return field;
}

bool FieldParser::takePlainLine(std::optional<Field>& field) {
  const std::size_t size = buffer_.size();
  const char16_t first = buffer_[pos_];
  if (first == u' ' || first == u'"') return false;
  std::size_t at = pos_;
  for (;;) {
    at = stops_.next(at);
    if (at + 1 >= size) break;
    const char16_t c = buffer_[at];
    // A backslash here is no "\n": the stops made those line breaks. Only
    // one at the end, whose n may be yet to come, goes to the rules.
    if (c == u'\\' || c == u'"') {
      ++at;
      continue;
    }
    if (c == u',') break;
    const std::size_t after = c == u'\r' && buffer_[at + 1] == u'\n' ? at + 2 : at + 1;
    take(field.emplace(), pos_, at, at, after, false);
    return true;
  }
  // The field rules go on from here.
  start_ = pos_;
  scan_ = at;
  return false;
}

void FieldParser::endField(std::optional<Field>& field, bool quoted, bool atEnd) {
  const std::size_t size = buffer_.size();
  const std::size_t delimiter = findDelimiter(quoted, atEnd);
  std::size_t after;
  if (delimiter == size) {
    if (!atEnd) return;
    after = size;
  } else if (buffer_[delimiter] == u'\r') {
    // A CR may be the first half of a CR LF that the next chunk completes.
    if (delimiter + 1 >= size && !atEnd) return;
    after = delimiter + 1;
    if (after < size && buffer_[after] == u'\n') ++after;
  } else {
    after = delimiter + 1;
  }
  const bool trimmed = start_ > pos_;
  const bool dropped = quoted && close_ + 1 != delimiter;
  const bool splitAtComma = delimiter < size && buffer_[delimiter] == u',';
  take(field.emplace(), quoted ? start_ + 1 : start_, quoted ? close_ : delimiter, delimiter, after,
       trimmed || dropped || lineEndInQuotes_ || splitAtComma);
}

void expandLineBreaks(char16_t* field, std::size_t length) {
  for (std::size_t i = 0; i + 1 < length; ++i) {
    if (field[i] == u'\\' && field[i + 1] == u'n') {
      field[i] = u'\r';
      field[++i] = u'\n';
    }
  }
}

}  // namespace tepo
