// The ANSI calls of the program: the system code page through the Win32 API.
#include <windows.h>

#include <array>
#include <cstdint>
#include <new>
#include <string>

#include "encodings/ansi.h"

namespace tepo::ansi {

bool isLeadByte(unsigned char byte) {
  // Asked once for every byte: a search walks a message's characters by them.
  static const auto lead = [] {
    std::array<bool, 0x100> is{};
    for (unsigned b = 0; b < 0x100; ++b) is[b] = IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(b)) != FALSE;
    return is;
  }();
  return lead[byte];
}

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

namespace {

constexpr std::uint16_t kNoCode = 0xFFFF;  // no code page has a pair 0xFF 0xFF

// The code of each unit of a page of 256 in the code page, where the unit
// has one of its own (it comes back as itself), else kNoCode.
struct CodePage256 {
  std::uint16_t code[0x100];
};

void learnPage(unsigned page, CodePage256& own) {
  for (std::uint16_t& code : own.code) code = kNoCode;
  Text all(0x100, u'\0');
  for (unsigned i = 0; i < 0x100; ++i) all[i] = static_cast<char16_t>(page << 8 | i);
  std::string bytes;
  Text back;
  try {
    bytes = convert(all, WC_NO_BEST_FIT_CHARS, nullptr);
    back = decode(bytes);
  } catch (const RuntimeError&) {
    // A page the system will not convert has nothing of the code page.
    return;
  }
  // There and back in two calls: the bytes split into one character per
  // unit, and a unit that came back as itself has its code.
  if (back.size() != all.size()) return;
  CodePage256 learnt;
  std::size_t at = 0;
  for (unsigned i = 0; i < 0x100; ++i) {
    // Bytes that do not split so leave the page without codes.
    if (at >= bytes.size()) return;
    const auto first = static_cast<unsigned char>(bytes[at]);
    const bool pair = isLeadByte(first);
    if (pair && at + 1 >= bytes.size()) return;
    learnt.code[i] = back[i] != all[i] ? kNoCode
                     : pair ? static_cast<std::uint16_t>(first << 8 | static_cast<unsigned char>(bytes[at + 1]))
                            : first;
    at += pair ? 2 : 1;
  }
  if (at == bytes.size()) own = learnt;
}

// Learnt a page at a time, as the texts met need them: a Japanese file's
// characters take about ninety pages, 512 bytes each.
std::uint16_t ownCode(char16_t c) {
  static CodePage256* pages[0x100] = {};
  const unsigned page = c >> 8;
  if (!pages[page]) {
    // Kept for the program's life, as the system keeps its own tables.
    auto* learnt = new (std::nothrow) CodePage256;
    if (!learnt) return kNoCode;
    learnPage(page, *learnt);
    pages[page] = learnt;
  }
  return pages[page]->code[c & 0xFF];
}

}  // namespace

std::size_t encodeExactly(const char16_t* text, std::size_t units, char* out) {
  char* at = out;
  for (std::size_t i = 0; i < units; ++i) {
    const std::uint16_t code = ownCode(text[i]);
    if (code == kNoCode) return static_cast<std::size_t>(-1);
    if (code > 0xFF) *at++ = static_cast<char>(code >> 8);
    *at++ = static_cast<char>(code);
  }
  return static_cast<std::size_t>(at - out);
}

std::size_t byteLength(const Text& text) { return convert(text, 0, nullptr).size(); }

bool hasCharacter(char16_t c) { return ownCode(c) != kNoCode; }

}  // namespace tepo::ansi
