#include "balloon/measure.h"

#include "encodings/ansi.h"

namespace tepo {

int16_t measureWidth(const Text& text) {
  int16_t width = 0;
  if (text.empty()) return width;
  // The pieces are numbered by a 16-bit counter that passes the last one.
  int16_t piece = 0;
  std::size_t start = 0;
  for (;;) {
    std::size_t found = text.find(u"\r\n", start);
    std::size_t end = found == Text::npos ? text.size() : found;
    std::size_t bytes = ansi::byteLength(text.substr(start, end - start));
    if (bytes > static_cast<std::size_t>(width)) width = toInt16(static_cast<long long>(bytes));
    piece = add16(piece, 1);
    if (found == Text::npos) break;
    start = found + 2;
  }
  return width;
}

int16_t countBreaks(const Text& text) {
  int16_t count = 0;
  int16_t position = 0;  // 1-based position of the last CR found
  for (;;) {
    std::size_t found = text.find(u"\r\n", static_cast<std::size_t>(position));
    if (found == Text::npos) return count;
    count = add16(count, 1);
    position = toInt16(static_cast<long long>(found) + 1);
  }
}

}  // namespace tepo
