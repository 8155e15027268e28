// Reading tepo.dat: one message per line, line breaks inside a message
// written as "\n". The file is in the ANSI code page unless it was saved as
// UTF-8 or UTF-16 elsewhere (Notepad does so).
#pragma once

#include <functional>

#include "encodings/file_encoding.h"
#include "files/input.h"
#include "messages/fields.h"
#include "runtime/runtime.h"

namespace tepo {

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
  // Where the encoding was known by: each line from here on reads as it
  // would in any file of that encoding, whatever comes before or after it;
  // npos where only the end of the file settled it.
  std::size_t settledAt = static_cast<std::size_t>(-1);
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

}  // namespace tepo
