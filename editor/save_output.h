// What a save of the editor's rows writes in an encoding. Each stretch of
// lines whose messages the user left as they were read goes back as the
// file's own bytes (its last line end as CR LF), in whatever encoding and
// form it was written; every other message is written as the writer's line.
// The messages past the 32767th, which the rows do not hold, follow as they
// were.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "editor/kept_file.h"
#include "editor/mente_rows.h"
#include "encodings/file_encoding.h"

namespace tepo {

struct SaveOutput {
  FileEncoding encoding = FileEncoding::Ansi;
  std::string bytes;
  // One stretch of the bytes and the message rows it carries.
  struct Piece {
    int row = 0;
    int rows = 0;
    bool kept = false;  // the file's own bytes; otherwise one row as the writer's line
    std::size_t begin = 0;
    std::size_t end = 0;
  };
  std::vector<Piece> pieces;
  // Some character had no form in the encoding.
  bool lossy = false;
  // The file held more than the rows: whether that rest is written behind
  // the messages, or lost (it could not stay as it was).
  bool restKept = false;
  bool restLost = false;
};

// The file's own bytes are kept only in the encoding the file was read in,
// and not for the stretches of the rows in anew, which are written anew.
SaveOutput formatSave(const MenteRows& rows, const KeptFile& kept, FileEncoding encoding,
                      const std::vector<int>& anew = {});

}  // namespace tepo
