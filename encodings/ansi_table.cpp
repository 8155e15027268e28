// Native stand-in for the ANSI calls: code page 932 from its definition, so
// that the native tests measure, read and write bytes as the program does on
// Windows, down to the characters it reports it could not write.
#include "encodings/ansi.h"
#include "encodings/cp932.h"

namespace tepo::ansi {

bool isLeadByte(unsigned char byte) { return cp932::isLeadByte(byte); }

void decodeInto(const char* bytes, std::size_t length, Text& out, std::vector<std::size_t>* bad) {
  cp932::decodeInto(bytes, length, out, bad);
}

Text decode(const char* bytes, std::size_t length) {
  Text out;
  decodeInto(bytes, length, out);
  return out;
}

std::string encode(const Text& text) { return cp932::encode(text); }

std::string encodeForFile(const Text& text, bool* lossy) { return cp932::encodeForFile(text, lossy); }

std::size_t encodeExactly(const char16_t* text, std::size_t units, char* out) {
  return cp932::encodeExactly(text, units, out);
}

std::size_t byteLength(const Text& text) { return cp932::byteLength(text); }

bool hasCharacter(char16_t c) { return cp932::hasCharacter(c); }

}  // namespace tepo::ansi
