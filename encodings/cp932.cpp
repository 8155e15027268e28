// Code page 932 as the system converts it, from the table made of its
// definition (tools/make_cp932_table.py). Each step mirrors a call of
// ansi_win32.cpp: MultiByteToWideChar with and without MB_ERR_INVALID_CHARS,
// WideCharToMultiByte with and without WC_NO_BEST_FIT_CHARS.
#include "encodings/cp932.h"

#include <array>
#include <cstdint>

#include "encodings/ansi.h"

namespace tepo::cp932 {

namespace {

#include "encodings/cp932_table.inc"

char16_t readPair(unsigned char lead, unsigned char trail) {
  if (trail < kFirstTrail || trail > kLastTrail) return kDefaultCharacter;
  return kPairs[kLeadRow[lead]][trail - kFirstTrail];
}

// What a code of the system's table reads as.
char16_t readCode(std::uint16_t code) {
  return code > 0xFF ? readPair(static_cast<unsigned char>(code >> 8), static_cast<unsigned char>(code))
                     : kSingle[code];
}

// The system's code for each UTF-16 unit, look-alikes included: the first
// code that reads as the unit, unless the definition says otherwise.
const std::array<std::uint16_t, 0x10000>& codes() {
  static std::array<std::uint16_t, 0x10000> table;
  static const bool built = [] {
    table.fill(static_cast<unsigned char>(kDefaultByte));
    std::vector<bool> taken(0x10000);
    auto offer = [&](std::uint16_t code) {
      const char16_t unit = readCode(code);
      if ((unit == kDefaultCharacter && code != kDefaultCharacterCode) || taken[unit]) return;
      table[unit] = code;
      taken[unit] = true;
    };
    for (unsigned b = 0; b < 0x100; ++b) {
      if (!kLeadRow[b]) offer(static_cast<std::uint16_t>(b));
    }
    for (unsigned lead = 0; lead < 0x100; ++lead) {
      if (!kLeadRow[lead]) continue;
      for (unsigned trail = kFirstTrail; trail <= kLastTrail; ++trail) {
        offer(static_cast<std::uint16_t>(lead << 8 | trail));
      }
    }
    for (const CodeException& e : kCodeExceptions) table[e.unit] = e.code;
    return true;
  }();
  (void)built;
  return table;
}

// Each unit's own code, or kNoCode where the code page has only a
// look-alike or nothing: a pair of 0xFF is no code of it.
constexpr std::uint16_t kNoCode = 0xFFFF;
const std::array<std::uint16_t, 0x10000>& ownCodes() {
  static const std::array<std::uint16_t, 0x10000> own = [] {
    std::array<std::uint16_t, 0x10000> exact;
    const auto& table = codes();
    for (unsigned c = 0; c < 0x10000; ++c) exact[c] = readCode(table[c]) == c ? table[c] : kNoCode;
    return exact;
  }();
  return own;
}

// MultiByteToWideChar without flags: a lead byte takes the next byte along,
// whatever it is, unless it is the last byte or a NUL.
void decodeBytes(const unsigned char* bytes, std::size_t length, Text& out) {
  for (std::size_t i = 0; i < length; ++i) {
    if (kLeadRow[bytes[i]]) {
      if (i + 1 < length && bytes[i + 1] != 0) {
        out.push_back(readPair(bytes[i], bytes[i + 1]));
        ++i;
      } else {
        out.push_back(kDefaultCharacter);
      }
    } else {
      out.push_back(kSingle[bytes[i]]);
    }
  }
}

// What MB_ERR_INVALID_CHARS refuses: a lead byte at the end, two bytes that
// read as the default character but are not its code, and a single byte that
// reads as the default character or as a private-use one.
bool allCharacters(const unsigned char* bytes, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    if (kLeadRow[bytes[i]]) {
      if (i + 1 == length) return false;
      if (readPair(bytes[i], bytes[i + 1]) == kDefaultCharacter &&
          (bytes[i] << 8 | bytes[i + 1]) != kDefaultCharacterCode) {
        return false;
      }
      ++i;
      continue;
    }
    const char16_t c = kSingle[bytes[i]];
    if (c == kDefaultCharacter || (c >= 0xE000 && c <= 0xF8FF)) return false;
  }
  return true;
}

}  // namespace

bool isLeadByte(unsigned char byte) { return kLeadRow[byte] != 0; }

void decodeInto(const char* bytes, std::size_t length, Text& out, std::vector<std::size_t>* bad) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes);
  out.clear();
  out.reserve(length);
  decodeBytes(data, length, out);
  if (!bad || !ansi::holds(out, kDefaultCharacter) || allCharacters(data, length)) return;
  // One character at a time, as the program asks the system once a block
  // holds bytes of no character; a lead byte takes no byte below 0x40 here.
  out.clear();
  for (std::size_t i = 0; i < length;) {
    const std::size_t step = kLeadRow[data[i]] && i + 1 < length && data[i + 1] >= 0x40 ? 2 : 1;
    const std::size_t at = out.size();
    decodeBytes(data + i, step, out);
    // Refused, yet read as a private-use character, which saves back as it was.
    if (!allCharacters(data + i, step) && out[at] == kDefaultCharacter) bad->push_back(at);
    i += step;
  }
}

std::string encode(const Text& text) {
  const auto& table = codes();
  std::string out;
  out.reserve(text.size() * 2);
  for (char16_t c : text) {
    const std::uint16_t code = table[c];
    if (code > 0xFF) out.push_back(static_cast<char>(code >> 8));
    out.push_back(static_cast<char>(code));
  }
  return out;
}

std::string encodeForFile(const Text& text, bool* lossy) {
  const auto& table = codes();
  std::string out;
  out.reserve(text.size() * 2);
  bool used = false;
  for (char16_t c : text) {
    const std::uint16_t code = table[c];
    if (readCode(code) != c) {
      // A look-alike or no code at all: each unit, half a surrogate pair too.
      out.push_back(kDefaultByte);
      used = true;
      continue;
    }
    if (code > 0xFF) out.push_back(static_cast<char>(code >> 8));
    out.push_back(static_cast<char>(code));
  }
  if (lossy) *lossy = used;
  return out;
}

std::size_t encodeExactly(const char16_t* text, std::size_t units, char* out) {
  const auto& exact = ownCodes();
  char* at = out;
  for (std::size_t i = 0; i < units; ++i) {
    const std::uint16_t code = exact[text[i]];
    if (code == kNoCode) return static_cast<std::size_t>(-1);
    if (code > 0xFF) *at++ = static_cast<char>(code >> 8);
    *at++ = static_cast<char>(code);
  }
  return static_cast<std::size_t>(at - out);
}

std::size_t byteLength(const Text& text) {
  const auto& table = codes();
  std::size_t n = 0;
  for (char16_t c : text) n += table[c] > 0xFF ? 2 : 1;
  return n;
}

bool hasCharacter(char16_t c) { return ownCodes()[c] != kNoCode; }

}  // namespace tepo::cp932
