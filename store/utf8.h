// UTF-8, the other encoding a message file may be in (Notepad saves new files
// so), and the form paths take on POSIX. Platform-free.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "store/runtime.h"

namespace tepo::utf8 {

// How much of the bytes is well-formed UTF-8 in whole characters. illFormed
// tells whether it stopped at bytes that are no UTF-8, rather than at a
// character cut off by the end of the bytes.
std::size_t wellFormedPrefix(const char* bytes, std::size_t length, bool& illFormed);

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
