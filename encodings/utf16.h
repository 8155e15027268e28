// UTF-16 as bytes, the encoding of Notepad's "Unicode" files: each unit as it
// is, halves of pairs included, little or big endian. Platform-free.
#pragma once

#include <cstddef>
#include <string>

#include "runtime/runtime.h"

namespace tepo::utf16 {

// The units of the bytes into out, replacing its contents; an odd last byte
// is left out.
void decodeInto(const char* bytes, std::size_t length, bool bigEndian, Text& out);

std::string encode(const Text& text, bool bigEndian);

}  // namespace tepo::utf16
