// The message file's bytes as the editor read or last wrote them, and the
// stretches of its lines that held whole messages: what a save writes back,
// byte for byte, wherever the user left the messages as they were.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "editor/mente_rows.h"
#include "encodings/file_encoding.h"
#include "runtime/pages.h"

namespace tepo {

class KeptFile {
 public:
  // A stretch of the bytes and how many message rows it held.
  struct Stretch {
    std::size_t begin = 0;
    std::size_t end = 0;
    int rows = 0;
    // False where the bytes read otherwise once something follows them (a
    // last line cut inside a character).
    bool keepable = true;
  };
  // How a stretch's last line ends.
  enum class LineEnd { CrLf, Lf, Cr, None };

  void clear();
  // The same, the bytes kept.
  void clearStretches();

  // The bytes as they are read, and the encoding they were read in.
  std::string& bytes() { return bytes_; }
  const std::string& bytes() const { return bytes_; }
  FileEncoding encoding() const { return encoding_; }
  // settledAt: where the reader knew the encoding by (ReadFacts), or npos.
  void setEncoding(FileEncoding encoding, std::size_t settledAt = std::string::npos) {
    encoding_ = encoding;
    settledAt_ = settledAt;
  }
  std::size_t settledAt() const { return settledAt_; }
  // The bytes of a file just written in place of the ones held.
  void takeBytes(std::string bytes) { bytes_ = std::move(bytes); }
  // Lets go of the bytes and of the room they took.
  void releaseBytes() { std::string().swap(bytes_); }

  // Finds each message's lines in the bytes and tells each row its stretch.
  // overflowed: the read stopped at more messages than the rows hold, and
  // the rest of the file is one stretch, from the first line the rows do
  // not hold wholly; endsInsideCharacter: its last line is cut short.
  void find(MenteRows& rows, bool overflowed, bool endsInsideCharacter);

  const PageVector<Stretch>& stretches() const { return stretches_; }
  const Stretch& operator[](int32_t stretch) const { return stretches_[static_cast<std::size_t>(stretch)]; }
  // The stretch from the first line the rows do not hold wholly to the end
  // of the file, or none; its messages, if any, are the last the rows hold.
  int32_t rest() const { return rest_; }
  // Room for this many stretches in all, so that adding them does not move
  // those already added.
  void reserve(std::size_t stretches) { stretches_.reserve(stretches); }
  // Adds a stretch behind the others; its number.
  int32_t add(const Stretch& stretch) {
    stretches_.push_back(stretch);
    return static_cast<int32_t>(stretches_.size() - 1);
  }
  // Adds the rest of a file behind its stretches, or forgets it.
  int32_t addRest(std::size_t begin, std::size_t end, int rows);
  void forgetRest() { rest_ = kNoStretch; }

  // Per stretch: whether its rows are still as they were read, none
  // changed, deleted or moved, and nothing behind the rest's.
  std::vector<bool> intact(const MenteRows& rows) const;

  LineEnd lineEndOf(int32_t stretch) const;
  // The bytes of a stretch behind out, its last line end as CR LF where a
  // lone LF ended it, or where nothing did but something follows; after a
  // quote never closed, as it was.
  void append(std::string& out, int32_t stretch, bool followed, bool unclosed) const;
  // Whether append writes the stretch's bytes as they are.
  bool appendsAsIs(int32_t stretch, bool followed, bool unclosed) const {
    const LineEnd end = lineEndOf(stretch);
    return unclosed || end == LineEnd::CrLf || end == LineEnd::Cr || (end == LineEnd::None && !followed);
  }

 private:
  int32_t addStretch(MenteRows& rows, int first, int end, std::size_t begin, std::size_t stop);

  std::string bytes_;
  FileEncoding encoding_ = FileEncoding::Ansi;
  std::size_t settledAt_ = std::string::npos;
  PageVector<Stretch> stretches_;
  int32_t rest_ = kNoStretch;
};

}  // namespace tepo
