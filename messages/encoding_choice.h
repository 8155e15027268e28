// Which encoding each line of a message file without a byte order mark is
// read in, the code page or UTF-8, and which is the file's own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "encodings/file_encoding.h"
#include "encodings/line_encoding.h"

namespace tepo {

// Where the chooser hands each line once its reading is chosen, in file
// order; offsets are the file's.
class ChosenLines {
 public:
  // The file's bytes from offset on, as long as the line there has not been
  // handed on.
  virtual const char* bytesAt(std::size_t offset) const = 0;
  // The file's encoding is settled: before any line waiting for it is handed
  // on. No line from at on had a say in it.
  virtual void settled(FileEncoding encoding, std::size_t at) = 0;
  // The line's bytes are read in reading; other tells that this is not the
  // file's own encoding. last: the file's last line, without a line end.
  virtual void take(std::size_t begin, std::size_t end, FileEncoding reading, bool other, bool last) = 0;

 protected:
  ~ChosenLines() = default;
};

// Each line is read on its own: a line only one of the code page and UTF-8
// reads, or whose two readings differ much as real text, goes its own way;
// the others go with the file. The file's encoding is settled as soon as its
// lines' evidence adds up to enough, and lines before that wait for it. A
// line only one reading takes is enough alone: a Shift-JIS file settles at
// its first line with kana, a UTF-8 file at its first line that the code
// page cannot read or after a few that read much better as UTF-8, so both
// stream; what waits is bounded, and decided by the evidence so far when it
// grows too long.
class EncodingChooser {
 public:
  explicit EncodingChooser(ChosenLines& lines) : lines_(lines) {}

  // The file is in the encoding (a byte order mark says so, say); withFile:
  // the lines that waited for it go with it, whatever they weigh alone.
  void settle(FileEncoding encoding, bool withFile = false);
  bool settled() const { return settled_; }
  FileEncoding encoding() const { return main_; }

  // The file's next line, its line end included.
  void add(std::size_t begin, std::size_t end, bool last);
  // In a file settled in the code page, the next lines in [begin, end) that
  // go with it unweighed, handed on together, up to and including the line
  // that reaches limit; where they end.
  std::size_t addCodePageLines(std::size_t begin, std::size_t end, std::size_t limit);
  // No line follows: what waits goes the way the lines lean. Every line had
  // its say then, so no line is known to read as it would in another file.
  void finish() {
    if (settled_) return;
    seen_ = static_cast<std::size_t>(-1);
    settleByEvidence();
  }

 private:
  // A line that waits until the file's encoding is settled.
  struct Waiting {
    std::size_t begin;
    std::size_t end;
    LineReadings readings;
    bool last;  // the file's last line, whose end may cut a character
  };

  void settleByEvidence();
  void weigh(std::size_t begin, std::size_t end, LineReadings& readings, bool last);
  // Decides how the line reads, the file's encoding being settled; withFile:
  // as the file does.
  void place(std::size_t begin, std::size_t end, LineReadings& readings, bool last, bool withFile = false);
  bool readsAsUtf8(std::size_t begin, std::size_t end, LineReadings& readings, bool last);
  void readAnsiOnce(std::size_t begin, std::size_t end, LineReadings& readings) const;

  ChosenLines& lines_;
  FileEncoding main_ = FileEncoding::Ansi;
  bool settled_ = false;
  // What the lines before the file settled say of it.
  FileEvidence evidence_;
  bool sawNonAscii_ = false;
  std::size_t seen_ = 0;  // the end of the last line weighed
  std::vector<Waiting> waiting_;
};

}  // namespace tepo
