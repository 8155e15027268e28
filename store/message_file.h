// Reading and writing tepo.dat: one message per line, line breaks inside a
// message written as "\n". The file is in the ANSI code page unless it was
// saved as UTF-8 elsewhere (Notepad does so); tepo writes it back as it was.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "store/files.h"
#include "store/runtime.h"

namespace tepo {

enum class FileEncoding {
  Ansi,     // the system's ANSI code page: every file tepo makes
  Utf8,     // UTF-8 without a byte order mark
  Utf8Bom,  // UTF-8 after the byte order mark EF BB BF
};

// Takes one message, valid only during the call. changed tells that the
// reader's rules made it differ from what the file said (see FieldParser).
using MessageSink = std::function<void(TextView message, bool changed)>;

// Reads every field of the file and hands each, with "\n" expanded to CR LF,
// to store in file order. The file is UTF-8 when it begins with the byte order
// mark, or when all of it is UTF-8 with some character beyond ASCII; otherwise
// it is in the ANSI code page. encoding, when given, learns which before the
// first message is stored. A failure to open or read the file raises after the
// messages read before it are stored, and so does anything store raises; the
// file is closed on every path.
void readMessageFile(const Text& path, const MessageSink& store, FileEncoding* encoding = nullptr);
void readMessages(InputFile& file, const MessageSink& store, FileEncoding* encoding = nullptr);

// One message as the writer puts it on its line, without the line end: CR LF
// becomes "\n", and a message that the reader would split or trim (a comma,
// a leading blank) is quoted, unless it holds a double quote, which no quoting
// can carry.
Text formatLine(const Text& message);

// The file's whole contents for these messages: each line followed by CR LF,
// in the encoding (the byte order mark first for Utf8Bom). lossy tells
// whether some character had no form in it.
std::string formatFile(const std::vector<Text>& messages, std::size_t count, FileEncoding encoding = FileEncoding::Ansi,
                       bool* lossy = nullptr);

// Whether no line of the file can carry the message: it holds a lone CR or
// LF (the reader ends the line there), a backslash followed by n (read back
// as a line break), or a double quote (so it cannot be quoted) and begins
// with one after its leading spaces (read back as a quoted field, which may
// run on into the messages after it), or also holds a comma or begins with
// a blank.
bool formatCannotCarry(const Text& message);

// Whether a message loses characters in the encoding.
bool hasUnrepresentable(const Text& message, FileEncoding encoding = FileEncoding::Ansi);

}  // namespace tepo
