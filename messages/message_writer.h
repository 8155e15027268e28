// Writing tepo.dat: messages to lines and bytes, in the encoding the file
// was read in, and what the reader would make of them.
#pragma once

#include <string>
#include <vector>

#include "encodings/file_encoding.h"
#include "runtime/runtime.h"

namespace tepo {

// One message as the writer puts it on its line, without the line end: CR LF
// becomes "\n", and a message that the reader would split or trim (a comma,
// a leading blank) is quoted, unless it holds a double quote, which no quoting
// can carry.
Text formatLine(const Text& message);
// The same, behind what out holds.
void appendLine(Text& out, TextView message);

// The file's whole contents for these messages: each line followed by CR LF,
// in the encoding, its byte order mark first. lossy tells whether some
// character had no form in it.
std::string formatFile(const std::vector<Text>& messages, std::size_t count, FileEncoding encoding = FileEncoding::Ansi,
                       bool* lossy = nullptr);

// The byte order mark a file in the encoding begins with: none for the code
// page and for UTF-8 without one.
std::string byteOrderMark(FileEncoding encoding);

// The text in the encoding, without a mark; lossy tells whether some
// character had no form in it.
std::string encodeText(const Text& text, FileEncoding encoding, bool* lossy = nullptr);

// Whether no line of the file can carry the message: it holds a lone CR or
// LF (the reader ends the line there), a backslash followed by n (read back
// as a line break), or a double quote (so it cannot be quoted) and begins
// with one after its leading spaces (read back as a quoted field, which may
// run on into the messages after it), or also holds a comma or begins with
// a blank.
bool formatCannotCarry(TextView message);

// Whether a message loses characters in the encoding.
bool hasUnrepresentable(TextView message, FileEncoding encoding = FileEncoding::Ansi);

}  // namespace tepo
