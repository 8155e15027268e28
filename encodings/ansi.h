// Conversion between UTF-16 texts and the system's ANSI code page (932 on the target).
// Two implementations: Win32 for the program, a table of code page 932 that
// converts as the system does for the native tests (ansi_table.cpp).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "runtime/runtime.h"

namespace tepo::ansi {

Text decode(const char* bytes, std::size_t length);
inline Text decode(const std::string& bytes) { return decode(bytes.data(), bytes.size()); }

// The same into out, replacing its contents but keeping its storage, for a
// caller that decodes block after block. Bytes that are no character of the
// code page become the code page's default character; with bad given, the
// position of each such character in out goes there.
void decodeInto(const char* bytes, std::size_t length, Text& out, std::vector<std::size_t>* bad = nullptr);

// The system's own conversion, as it measures text: a character without a
// form in the code page becomes a look-alike where the code page has one
// (best fit), '?' otherwise.
std::string encode(const Text& text);

// The conversion for a file, which must not say what the user did not
// write: a character without a form in the code page becomes '?', never a
// look-alike; lossy, when given, tells whether that happened.
std::string encodeForFile(const Text& text, bool* lossy = nullptr);

// The text in the code page into out, which has room for twice its units,
// when each of its characters has a form of its own there, so that decode
// gives the text back as it was: the bytes written; npos when one has none.
std::size_t encodeExactly(const char16_t* text, std::size_t units, char* out);

// Length of the text in bytes once converted.
std::size_t byteLength(const Text& text);

// Whether the code page has the character itself, not only a look-alike.
bool hasCharacter(char16_t c);

// True when the byte starts a two-byte character in the code page.
bool isLeadByte(unsigned char byte);

// How much of the bytes ends on a whole character.
std::size_t completePrefix(const char* bytes, std::size_t length);

// Whether the text holds the unit. Every unit is looked at, without a
// branch, so that the compiler compares several at a time: a search that
// stops at the first was most of what a block's decoding added.
inline bool holds(const Text& text, char16_t unit) {
  unsigned found = 0;
  for (char16_t c : text) found |= c == unit;
  return found != 0;
}

// How many bytes the character at bytes[at] takes, when it may be no
// character at all: two after a lead byte, unless the next byte is below
// 0x40, which is never a trail byte, so that a stray lead byte before a line
// end leaves the line end whole.
inline std::size_t characterLength(const char* bytes, std::size_t at, std::size_t length) {
  return isLeadByte(static_cast<unsigned char>(bytes[at])) && at + 1 < length &&
                 static_cast<unsigned char>(bytes[at + 1]) >= 0x40
             ? 2
             : 1;
}

}  // namespace tepo::ansi
