// What the code page's two implementations share.
#include "encodings/ansi.h"

namespace tepo::ansi {

std::size_t completePrefix(const char* bytes, std::size_t length) {
  // A byte below 0x40 is never half of a two-byte character, so the text up
  // to the last one is whole; the lead bytes are walked from there (from the
  // start without one).
  std::size_t i = length;
  while (i > 0 && static_cast<unsigned char>(bytes[i - 1]) >= 0x40) --i;
  while (i < length) {
    std::size_t step = isLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
    if (i + step > length) break;
    i += step;
  }
  return i;
}

}  // namespace tepo::ansi
