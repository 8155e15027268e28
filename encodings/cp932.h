// Code page 932 from a table of its definition, converting as the system's
// calls do, quirks included: the native stand-in for the ANSI calls, and
// checked against those calls under Wine. The functions are those of ansi.h.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "runtime/runtime.h"

namespace tepo::cp932 {

bool isLeadByte(unsigned char byte);
void decodeInto(const char* bytes, std::size_t length, Text& out, std::vector<std::size_t>* bad);
std::string encode(const Text& text);
std::string encodeForFile(const Text& text, bool* lossy);
std::size_t encodeExactly(const char16_t* text, std::size_t units, char* out);
std::size_t byteLength(const Text& text);
bool hasCharacter(char16_t c);

}  // namespace tepo::cp932
