#include "messages/fields.h"

#include <algorithm>

namespace tepo {

void Marks::mark(std::size_t begin, std::size_t end) {
  if (begin >= end) return;
  if (bits_.size() < end) bits_.resize(end, false);
  std::fill(bits_.begin() + static_cast<std::ptrdiff_t>(begin), bits_.begin() + static_cast<std::ptrdiff_t>(end), true);
}

bool Marks::any(std::size_t begin, std::size_t end) const {
  end = std::min(end, bits_.size());
  for (std::size_t i = begin; i < end; ++i) {
    if (bits_[i]) return true;
  }
  return false;
}

void Marks::dropFront(std::size_t n) {
  bits_.erase(bits_.begin(), bits_.begin() + static_cast<std::ptrdiff_t>(std::min(n, bits_.size())));
}

void FieldParser::feed(const char16_t* chunk, std::size_t length, const std::vector<std::size_t>* bad,
                       bool otherEncoding) {
  // Drop what has been consumed so that the buffer holds only the open field;
  // what was learnt of it moves along.
  if (pos_ > 0) {
    buffer_.erase(0, pos_);
    scan_ -= pos_;
    if (start_ != Text::npos) start_ -= pos_;
    if (close_ != Text::npos) close_ -= pos_;
    bad_.dropFront(pos_);
    other_.dropFront(pos_);
    pos_ = 0;
  }
  const std::size_t at = buffer_.size();
  if (bad) {
    for (std::size_t i : *bad) bad_.mark(at + i, at + i + 1);
  }
  if (otherEncoding) other_.mark(at, at + length);
  buffer_.append(chunk, length);
}

void FieldParser::startNextField(std::size_t after) {
  pos_ = scan_ = after;
  start_ = close_ = Text::npos;
  lineEndInQuotes_ = false;
  quotedCr_ = quotedLf_ = quotedPairs_ = 0;
}

bool FieldParser::take(char16_t*& field, std::size_t& length, std::size_t begin, std::size_t end, std::size_t after,
                       bool changedByRules, bool* changed, bool* otherEncoding, FieldLines* lines) {
  if (changed) *changed = changedByRules || afterComma_ || bad_.any(pos_, after);
  // What ended the field, if anything was consumed after it.
  const char16_t delimiter = after > end ? buffer_[after - 1] : u'\0';
  if (lines) {
    const bool lineEnd = delimiter == u'\n' || delimiter == u'\r';
    lines->lineEnds = quotedCr_ + quotedLf_ - quotedPairs_ + (lineEnd ? 1 : 0);
    lines->endsLine = delimiter != u',';
  }
  if (otherEncoding) *otherEncoding = other_.any(pos_, after);
  field = &buffer_[0] + begin;
  length = end - begin;
  // A comma split the line the user wrote: the field after it is a piece too.
  afterComma_ = delimiter == u',';
  startNextField(after);
  return true;
}

bool FieldParser::next(char16_t*& field, std::size_t& length, bool atEnd, bool* changed, bool* otherEncoding,
                       FieldLines* lines) {
  const std::size_t size = buffer_.size();
  if (pos_ >= size) return false;
  const char16_t* data = buffer_.data();

  if (start_ == Text::npos) {
    while (scan_ < size && data[scan_] == u' ') ++scan_;
    if (scan_ == size) {
      if (!atEnd) return false;
      // Only spaces remain: they make one empty field.
      return take(field, length, size, size, size, true, changed, otherEncoding, lines);
    }
    start_ = scan_;
    if (data[start_] == u'"') ++scan_;
  }
  const bool quoted = data[start_] == u'"';

  if (quoted && close_ == Text::npos) {
    for (; scan_ < size && data[scan_] != u'"'; ++scan_) {
      if (data[scan_] == u'\r') {
        lineEndInQuotes_ = true;
        ++quotedCr_;
      } else if (data[scan_] == u'\n') {
        lineEndInQuotes_ = true;
        ++quotedLf_;
        if (data[scan_ - 1] == u'\r') ++quotedPairs_;
      }
    }
    if (scan_ == size) {
      if (!atEnd) return false;
      // Never closed: the field runs to the end of the text.
      take(field, length, start_ + 1, size, size, true, changed, otherEncoding, lines);
      if (lines) lines->unclosed = true;
      return true;
    }
    close_ = scan_++;
  }

  while (scan_ < size && data[scan_] != u',' && data[scan_] != u'\r' && data[scan_] != u'\n') ++scan_;
  const std::size_t delimiter = scan_;
  std::size_t after;
  if (delimiter == size) {
    if (!atEnd) return false;
    after = size;
  } else if (data[delimiter] == u'\r') {
    // A CR may be the first half of a CR LF that the next chunk completes.
    if (delimiter + 1 >= size && !atEnd) return false;
    after = delimiter + 1;
    if (after < size && data[after] == u'\n') ++after;
  } else {
    after = delimiter + 1;
  }

  const bool trimmed = start_ > pos_;
  const bool dropped = quoted && close_ + 1 != delimiter;
  const bool splitAtComma = delimiter < size && data[delimiter] == u',';
  return take(field, length, quoted ? start_ + 1 : start_, quoted ? close_ : delimiter, after,
              trimmed || dropped || lineEndInQuotes_ || splitAtComma, changed, otherEncoding, lines);
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
