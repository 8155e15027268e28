#include "store/fields.h"

namespace tepo {

namespace {

// The first comma, CR or LF from pos on, or npos. A plain loop: the library's
// find_first_of looks each character up in the set, several times slower.
std::size_t findDelimiter(const Text& text, std::size_t pos) {
  const char16_t* data = text.data();
  for (std::size_t i = pos, n = text.size(); i < n; ++i) {
    char16_t c = data[i];
    if (c == u',' || c == u'\r' || c == u'\n') return i;
  }
  return Text::npos;
}

Text replaceAll(const Text& text, const Text& from, const Text& to) {
  Text out;
  std::size_t start = 0;
  for (;;) {
    std::size_t found = text.find(from, start);
    if (found == Text::npos) break;
    out.append(text, start, found - start);
    out.append(to);
    start = found + from.size();
  }
  if (start == 0) return text;
  out.append(text, start, Text::npos);
  return out;
}

}  // namespace

void FieldParser::feed(const char16_t* chunk, std::size_t length) {
  // Drop what has been consumed so that the buffer holds only the open field.
  if (pos_ > 0) {
    buffer_.erase(0, pos_);
    pos_ = 0;
  }
  buffer_.append(chunk, length);
}

bool FieldParser::next(Text& field, bool atEnd) {
  char16_t* data = nullptr;
  std::size_t length = 0;
  if (!next(data, length, atEnd)) return false;
  field.assign(data, length);
  return true;
}

bool FieldParser::next(char16_t*& field, std::size_t& length, bool atEnd) {
  const std::size_t size = buffer_.size();
  if (pos_ >= size) return false;

  std::size_t start = buffer_.find_first_not_of(u' ', pos_);
  if (start == Text::npos) {
    if (!atEnd) return false;
    // Only spaces remain: they make one empty field.
    field = buffer_.data() + size;
    length = 0;
    pos_ = size;
    return true;
  }

  std::size_t contentBegin = start;
  std::size_t contentEnd;
  std::size_t delimiter;
  if (buffer_[start] == u'"') {
    contentBegin = start + 1;
    std::size_t close = buffer_.find(u'"', contentBegin);
    if (close == Text::npos) {
      if (!atEnd) return false;
      field = buffer_.data() + contentBegin;
      length = size - contentBegin;
      pos_ = size;
      return true;
    }
    contentEnd = close;
    delimiter = findDelimiter(buffer_, close + 1);
  } else {
    delimiter = findDelimiter(buffer_, start);
    contentEnd = delimiter == Text::npos ? size : delimiter;
  }

  std::size_t after;
  if (delimiter == Text::npos) {
    if (!atEnd) return false;
    after = size;
  } else if (buffer_[delimiter] == u'\r') {
    // A CR may be the first half of a CR LF that the next chunk completes.
    if (delimiter + 1 >= size && !atEnd) return false;
    after = delimiter + 1;
    if (after < size && buffer_[after] == u'\n') ++after;
  } else {
    after = delimiter + 1;
  }

  field = buffer_.data() + contentBegin;
  length = contentEnd - contentBegin;
  pos_ = after;
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

Text expandLineBreaks(Text field) {
  if (!field.empty()) expandLineBreaks(&field[0], field.size());
  return field;
}

Text collapseLineBreaks(const Text& message) { return replaceAll(message, u"\r\n", u"\\n"); }

}  // namespace tepo
