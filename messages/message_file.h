// Reading and writing tepo.dat: one message per line, line breaks inside a
// message written as "\n". The file is in the ANSI code page unless it was
// saved as UTF-8 or UTF-16 elsewhere (Notepad does so); tepo writes it back
// as it was.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "encodings/file_encoding.h"
#include "files/file_ops.h"
#include "files/input.h"
#include "files/version.h"
#include "messages/fields.h"
#include "runtime/runtime.h"

namespace tepo {

// The message file as a table last read or wrote it: where it is, the
// encoding it was in, and what tells whether someone wrote it since. Every
// table keeps its own: one table's reading cannot vouch for another's, and
// the icon's reload must not hide another program's change from the
// editor's save.
struct MessageFile {
  // Empty for a table read from no file.
  Text path;
  FileEncoding encoding = FileEncoding::Ansi;
  // Its stamp when read: what the icon looks at on every click.
  FileStamp stamp;
  // Its version when read whole or written: what a save compares with the
  // disk. Taken by the tables that save.
  FileVersion version;
  // Whether the table held what the file held then. Until it did, the next
  // look reads the file again, and a save has nothing to compare with.
  bool known = false;
  // Whether the file must be read again; from no file, never.
  bool changed(FileOps& ops) const { return !path.empty() && (!known || ops.stamp(path) != stamp); }
};

// What the reader knows of one message beyond its text.
struct FieldNote {
  // Its rules made it differ from what the file said (see FieldParser).
  bool changed = false;
  // Its line is in the other of the code page and UTF-8 than the file's
  // own encoding: a line another tool appended, say.
  bool otherEncoding = false;
  // Where it lies among the file's lines.
  FieldLines lines;
};

// Takes one message, valid only during the call.
using MessageSink = std::function<void(TextView message, const FieldNote& note)>;

// What the reader learnt of the file as a whole.
struct ReadFacts {
  FileEncoding encoding = FileEncoding::Ansi;
  // The last bytes are part of a character that never ends: a writer may be
  // at work on the file.
  bool endsInsideCharacter = false;
};

// Reads every field of the file and hands each, with "\n" expanded to CR LF,
// to store in file order. The byte order marks of UTF-8 and UTF-16 say what
// the file is. Without one, each line is read in the code page or as UTF-8,
// whichever reads it. Where both do, each reading is weighed as real text
// (how often its characters and their neighbours occur in real writing):
// the file's lines add up as evidence for its own encoding, which settles as
// soon as they say enough (a line only one reading takes does alone), else
// at the end as they lean; a line whose readings differ much goes its own
// way, the others go with the file. facts, when given, are filled in
// as soon as they are known. A failure to open or read the file raises after
// the messages read before it are stored, and so does anything store
// raises; the file is closed on every path.
void readMessages(InputFile& file, const MessageSink& store, ReadFacts* facts = nullptr);

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

// The unit of the encoding at bytes[at]: a byte, or a UTF-16 unit in its
// byte order.
unsigned unitAt(const std::string& bytes, std::size_t at, FileEncoding encoding);

// Where the lines of a file's bytes begin: after its byte order mark, then
// after every line end (a CR LF pair, a lone CR, a lone LF, in the
// encoding's units), as the field rules count them (FieldLines).
// From is where to begin instead of after the mark.
std::vector<std::size_t> lineStarts(const std::string& bytes, FileEncoding encoding,
                                    std::size_t from = ~std::size_t(0));

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
