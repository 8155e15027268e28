// Reading and writing tepo.dat: one message per line in the ANSI code page,
// line breaks inside a message written as "\n".
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "store/files.h"
#include "store/runtime.h"

namespace tepo {

// Reads every field of the file and hands each, with "\n" expanded to CR LF,
// to store in file order; the view is valid only during the call. A failure
// to open or read the file raises, and so does anything store raises; the
// file is closed on every path.
void readMessageFile(const Text& path, const std::function<void(TextView)>& store);
void readMessages(InputFile& file, const std::function<void(TextView)>& store);

// One message as the writer puts it on its line, without the line end: CR LF
// becomes "\n", and a message that the reader would split or trim (a comma,
// a leading blank) is quoted, unless it holds a double quote, which no quoting
// can carry.
Text formatLine(const Text& message);

// The file's whole contents for these messages: each line in the ANSI code
// page followed by CR LF. lossy tells whether some character had no form there.
std::string formatFile(const std::vector<Text>& messages, std::size_t count, bool* lossy = nullptr);

// Whether no line of the file can carry the message: it holds a lone CR or
// LF (the reader ends the line there), or it holds a double quote (so it
// cannot be quoted) and begins with one after its leading spaces (read back
// as a quoted field, which may run on into the messages after it), or also
// holds a comma or begins with a blank.
bool formatCannotCarry(const Text& message);

// Whether a message loses characters in the ANSI code page.
bool hasUnrepresentable(const Text& message);

}  // namespace tepo
