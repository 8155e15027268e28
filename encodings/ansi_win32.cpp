// The ANSI calls of the program: the system code page through the Win32 API.
#include <windows.h>

#include <bitset>

#include "encodings/ansi.h"

namespace tepo::ansi {

bool isLeadByte(unsigned char byte) { return IsDBCSLeadByteEx(CP_ACP, byte) != FALSE; }

namespace {

// The character the code page puts for bytes it cannot read (・ for 932).
char16_t defaultCharacter() {
  static const char16_t character = [] {
    CPINFOEXW info{};
    return GetCPInfoExW(CP_ACP, 0, &info) ? static_cast<char16_t>(info.UnicodeDefaultChar) : u'\x30FB';
  }();
  return character;
}

// One character at a time, to learn which bytes are none: only for the rare
// block that holds such bytes.
void decodeCharacters(const char* bytes, std::size_t length, Text& out, std::vector<std::size_t>& bad) {
  out.clear();
  for (std::size_t i = 0; i < length;) {
    const std::size_t step = characterLength(bytes, i, length);
    wchar_t unit[2];
    int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes + i, static_cast<int>(step), unit, 2);
    if (n <= 0) {
      n = MultiByteToWideChar(CP_ACP, 0, bytes + i, static_cast<int>(step), unit, 2);
      if (n <= 0) {
        unit[0] = static_cast<wchar_t>(defaultCharacter());
        n = 1;
      }
      // Refused, yet read as a character of its own (the single bytes the
      // code page gives private-use characters, which save back as they
      // were): only what becomes the default character is lost.
      if (n == 1 && unit[0] == static_cast<wchar_t>(defaultCharacter())) bad.push_back(out.size());
    }
    out.append(reinterpret_cast<const char16_t*>(unit), static_cast<std::size_t>(n));
    i += step;
  }
}

}  // namespace

void decodeInto(const char* bytes, std::size_t length, Text& out, std::vector<std::size_t>* bad) {
  out.clear();
  if (length == 0) return;
  if (length > static_cast<std::size_t>(INT_MAX)) raise(ErrorCode::OutOfMemory);
  // No code page gives more UTF-16 units than bytes: one call, no measuring.
  out.resize(length);
  int n = MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(length), reinterpret_cast<wchar_t*>(&out[0]),
                              static_cast<int>(length));
  if (n <= 0) raise(ErrorCode::DeviceIo);
  out.resize(static_cast<std::size_t>(n));
  // Asking the system to refuse bytes of no character costs as much as the
  // decoding itself; it is asked only when the default character shows up,
  // which such bytes become, and which the text rarely holds of its own.
  if (bad && holds(out, defaultCharacter()) &&
      MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(length), nullptr, 0) == 0) {
    decodeCharacters(bytes, length, out, *bad);
  }
}

Text decode(const char* bytes, std::size_t length) {
  Text out;
  decodeInto(bytes, length, out);
  return out;
}

namespace {

std::size_t maxBytesPerUnit() {
  static const std::size_t bytes = [] {
    CPINFO info{};
    return GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 0 ? static_cast<std::size_t>(info.MaxCharSize) : 4u;
  }();
  return bytes;
}

std::string convert(const Text& text, DWORD flags, BOOL* usedDefault) {
  if (text.empty()) return std::string();
  if (text.size() > static_cast<std::size_t>(INT_MAX) / maxBytesPerUnit()) raise(ErrorCode::OutOfMemory);
  const wchar_t* src = reinterpret_cast<const wchar_t*>(text.data());
  int srcLen = static_cast<int>(text.size());
  // One pass into a buffer of the largest size, instead of measuring first.
  std::string out(text.size() * maxBytesPerUnit(), '\0');
  int n = WideCharToMultiByte(CP_ACP, flags, src, srcLen, &out[0], static_cast<int>(out.size()), nullptr, usedDefault);
  if (n <= 0) raise(ErrorCode::DeviceIo);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

}  // namespace

std::string encode(const Text& text) { return convert(text, 0, nullptr); }

std::string encodeForFile(const Text& text, bool* lossy) {
  BOOL usedDefault = FALSE;
  std::string out = convert(text, WC_NO_BEST_FIT_CHARS, &usedDefault);
  if (lossy) *lossy = usedDefault != FALSE;
  return out;
}

std::size_t byteLength(const Text& text) { return convert(text, 0, nullptr).size(); }

bool hasCharacter(char16_t c) {
  // Learnt 256 characters at a time, each page once: there and back in two
  // calls, a character the code page has comes back as itself.
  static std::bitset<0x10000> has;
  static std::bitset<0x100> learnt;
  const unsigned page = c >> 8;
  if (!learnt[page]) {
    learnt[page] = true;
    Text all(0x100, u'\0');
    for (unsigned i = 0; i < 0x100; ++i) all[i] = static_cast<char16_t>(page << 8 | i);
    try {
      Text back = decode(convert(all, WC_NO_BEST_FIT_CHARS, nullptr));
      if (back.size() == all.size()) {
        for (unsigned i = 0; i < 0x100; ++i) has[page << 8 | i] = back[i] == all[i];
      }
    } catch (const RuntimeError&) {
      // A page the system will not convert has nothing of the code page.
    }
  }
  return has[c];
}

}  // namespace tepo::ansi
