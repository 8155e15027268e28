// A save's read-back of only what it writes anew. Once a file's encoding is
// known, each of its lines reads on its own, so the file's own lines that a
// save copies byte for byte read back as they read when the file was read;
// only the lines from the start to where the encoding is known, and those
// written anew, need reading again.
#pragma once

#include <vector>

#include "editor/kept_file.h"
#include "editor/mente_rows.h"
#include "editor/save_output.h"

namespace tepo {

// What a read-back learns of an output: its rows (their notes and
// stretches, not their texts), its stretches, and for each row whether it
// reads back as the table's row of its number.
struct BackReading {
  MenteRows rows;
  KeptFile kept;
  std::vector<char> same;
};

// Reads back the output as a load would, reading only what may read
// otherwise than kept says: false, back untouched but for its rows, where
// that cannot be told so (the encoding settles late or otherwise, a line
// written anew runs into its neighbours, a line is too long to read the
// same wherever it starts), and the whole output must be read.
bool readSpliced(const MenteRows& table, const KeptFile& kept, const SaveOutput& out, BackReading& back);

}  // namespace tepo
