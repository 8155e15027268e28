#include "store/fields.h"

namespace tepo {

void FieldParser::feed(const char16_t* chunk, std::size_t length, const std::vector<std::size_t>* bad) {
  // Drop what has been consumed so that the buffer holds only the open field;
  // what was learnt of it moves along.
  if (pos_ > 0) {
    buffer_.erase(0, pos_);
    scan_ -= pos_;
    if (start_ != Text::npos) start_ -= pos_;
    if (close_ != Text::npos) close_ -= pos_;
    bad_.erase(bad_.begin(), bad_.begin() + static_cast<std::ptrdiff_t>(badSeen_));
    for (std::size_t& at : bad_) at -= pos_;
    badSeen_ = 0;
    pos_ = 0;
  }
  if (bad) {
    for (std::size_t at : *bad) bad_.push_back(buffer_.size() + at);
  }
  buffer_.append(chunk, length);
}

void FieldParser::startNextField(std::size_t after) {
  pos_ = scan_ = after;
  start_ = close_ = Text::npos;
  lineEndInQuotes_ = false;
}

bool FieldParser::badBefore(std::size_t end) {
  bool any = false;
  for (; badSeen_ < bad_.size() && bad_[badSeen_] < end; ++badSeen_) any = true;
  return any;
}

bool FieldParser::next(char16_t*& field, std::size_t& length, bool atEnd, bool* changed) {
  const std::size_t size = buffer_.size();
  if (pos_ >= size) return false;
  char16_t* data = &buffer_[0];

  if (start_ == Text::npos) {
    while (scan_ < size && data[scan_] == u' ') ++scan_;
    if (scan_ == size) {
      if (!atEnd) return false;
      // Only spaces remain: they make one empty field.
      field = data + size;
      length = 0;
      if (changed) *changed = true;
      badBefore(size);
      startNextField(size);
      return true;
    }
    start_ = scan_;
    if (data[start_] == u'"') ++scan_;
  }
  const bool quoted = data[start_] == u'"';

  if (quoted && close_ == Text::npos) {
    for (; scan_ < size && data[scan_] != u'"'; ++scan_) {
      if (data[scan_] == u'\r' || data[scan_] == u'\n') lineEndInQuotes_ = true;
    }
    if (scan_ == size) {
      if (!atEnd) return false;
      // Never closed: the field runs to the end of the text.
      field = data + start_ + 1;
      length = size - start_ - 1;
      if (changed) *changed = true;
      badBefore(size);
      startNextField(size);
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

  const std::size_t contentBegin = quoted ? start_ + 1 : start_;
  const std::size_t contentEnd = quoted ? close_ : delimiter;
  const bool trimmed = start_ > pos_;
  const bool dropped = quoted && close_ + 1 != delimiter;
  const bool bad = badBefore(after);
  if (changed) *changed = trimmed || dropped || lineEndInQuotes_ || bad;
  field = data + contentBegin;
  length = contentEnd - contentBegin;
  startNextField(after);
  return true;
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
