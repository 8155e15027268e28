// UTF-8, the other encoding a message file may be in (Notepad saves new files
// so), and the form paths take on POSIX. Platform-free.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "runtime/runtime.h"

namespace tepo::utf8 {

// The byte order mark that Notepad writes before UTF-8 text.
inline constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// The character that starts the bytes: its length (1 to 4) and code point,
// or length 0 when the bytes there are no UTF-8; then skip is how many bytes
// one U+FFFD stands for, and cut tells whether the bytes merely ended inside
// a character.
struct Character {
  std::size_t length = 0;
  char32_t code = 0;
  std::size_t skip = 1;
  bool cut = false;
};
Character characterAt(const unsigned char* bytes, std::size_t length);

// How much of the bytes ends on a whole character.
std::size_t completePrefix(const char* bytes, std::size_t length);

// Decodes into out, replacing its contents; each ill-formed sequence becomes
// U+FFFD, and its position in out goes to bad when given.
void decodeInto(const char* bytes, std::size_t length, Text& out, std::vector<std::size_t>* bad = nullptr);
Text decode(const std::string& bytes);

// A lone surrogate, which UTF-8 cannot hold, becomes '?'; lossy, when given,
// tells whether that happened.
std::string encode(const Text& text, bool* lossy = nullptr);

}  // namespace tepo::utf8
