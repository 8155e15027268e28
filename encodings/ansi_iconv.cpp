// Native stand-in for the ANSI calls: code page 932 through iconv, so that the
// native tests measure and read bytes exactly as the program on Windows does.
#include <iconv.h>

#include <cerrno>
#include <stdexcept>
#include <vector>

#include "encodings/ansi.h"

namespace tepo::ansi {

namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  iconv_t get() const {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    return cd_;
  }

 private:
  iconv_t cd_;
};

Converter& toUtf16() {
  static Converter c("UTF-16LE", "CP932");
  return c;
}
Converter& fromUtf16() {
  static Converter c("CP932", "UTF-16LE");
  return c;
}

}  // namespace

bool isLeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

void decodeInto(const char* bytes, std::size_t length, Text& out, std::vector<std::size_t>* bad) {
  out.clear();
  out.reserve(length);
  iconv_t cd = toUtf16().get();
  std::size_t pos = 0;
  char16_t buffer[1024];
  while (pos < length) {
    char* in = const_cast<char*>(bytes + pos);
    std::size_t inLeft = length - pos;
    char* outPtr = reinterpret_cast<char*>(buffer);
    std::size_t outLeft = sizeof(buffer);
    std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, (sizeof(buffer) - outLeft) / sizeof(char16_t));
    pos = length - inLeft;
    if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // Invalid or truncated sequence: one replacement character per bad
      // character, as MultiByteToWideChar does with the system code page.
      if (bad) bad->push_back(out.size());
      out.push_back(u'\u30FB');
      pos += characterLength(bytes, pos, length);
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
}

Text decode(const char* bytes, std::size_t length) {
  Text out;
  decodeInto(bytes, length, out);
  return out;
}

std::string encode(const Text& text) { return encodeForFile(text); }

// iconv has no best fit: both conversions are the same here.
std::string encodeForFile(const Text& text, bool* lossy) {
  std::string out;
  out.reserve(text.size() * 2);
  if (lossy) *lossy = false;
  iconv_t cd = fromUtf16().get();
  std::size_t pos = 0;  // in code units
  char buffer[1024];
  while (pos < text.size()) {
    char* in = reinterpret_cast<char*>(const_cast<char16_t*>(text.data() + pos));
    std::size_t inLeft = (text.size() - pos) * sizeof(char16_t);
    char* outPtr = buffer;
    std::size_t outLeft = sizeof(buffer);
    std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, sizeof(buffer) - outLeft);
    pos = text.size() - inLeft / sizeof(char16_t);
    if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
      char16_t c = text[pos];
      bool pair =
          c >= 0xD800 && c <= 0xDBFF && pos + 1 < text.size() && text[pos + 1] >= 0xDC00 && text[pos + 1] <= 0xDFFF;
      out.push_back('?');
      if (lossy) *lossy = true;
      pos += pair ? 2 : 1;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    } else if (rc != static_cast<std::size_t>(-1) && rc > 0 && lossy) {
      *lossy = true;  // iconv reports irreversible conversions in its result
    }
  }
  return out;
}

std::size_t byteLength(const Text& text) { return encode(text).size(); }

bool hasCharacter(char16_t c) {
  const Text one(1, c);
  bool lossy = false;
  std::string bytes = encodeForFile(one, &lossy);
  return !lossy && decode(bytes) == one;
}

}  // namespace tepo::ansi
