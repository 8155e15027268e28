#include "encodings/utf16.h"

namespace tepo::utf16 {

void decodeInto(const char* bytes, std::size_t length, bool bigEndian, Text& out) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes);
  out.resize(length / 2);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const unsigned first = p[2 * i], second = p[2 * i + 1];
    out[i] = static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
  }
}

std::string encode(const Text& text, bool bigEndian) {
  std::string bytes(2 * text.size(), '\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    bytes[2 * i + (bigEndian ? 1 : 0)] = static_cast<char>(text[i] & 0xFF);
    bytes[2 * i + (bigEndian ? 0 : 1)] = static_cast<char>(text[i] >> 8);
  }
  return bytes;
}

}  // namespace tepo::utf16
