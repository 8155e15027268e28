// Reading the message file into the editor's rows, its bytes kept beside
// them, so that a save can write back what nobody changed.
#pragma once

#include "editor/kept_file.h"
#include "editor/mente_rows.h"
#include "files/input.h"

namespace tepo {

class TableReader {
 public:
  TableReader(MenteRows& rows, KeptFile& kept) : rows_(rows), kept_(kept) {}

  // Reads the file into the rows and the kept file, replacing what they
  // held. A failure raises, and the rows keep every message read before it
  // (at most 32767).
  void read(InputFile& file);

  // Whether the file was read to its end: the rest past the 32767th
  // message included, which the kept file then holds.
  bool complete() const { return complete_; }

 private:
  MenteRows& rows_;
  KeptFile& kept_;
  bool complete_ = false;
};

}  // namespace tepo
