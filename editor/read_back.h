// What the bytes of a save read back as: tepo must read back what it writes,
// so a save settles on bytes only once it knows how each piece of them reads.
#pragma once

#include <vector>

#include "editor/kept_file.h"
#include "editor/mente_rows.h"
#include "editor/save_output.h"
#include "encodings/file_encoding.h"

namespace tepo {

// How a piece of an output reads back: the row its bytes read back as where
// its messages begin, or -1 where its lines read back as other pieces' too
// (a quote never closed runs on); same tells whether they read back as the
// rows hold them.
struct PieceReading {
  int backRow = -1;
  bool same = false;
};

// What a save writes, how each piece of it reads back, and what the editor
// knows of the file once it is written.
struct Saving {
  SaveOutput output;
  std::vector<PieceReading> reading;
  // The file as its bytes read back: its encoding and stretches (the bytes
  // themselves are the output's).
  KeptFile back;
  // Each message row's origin there.
  std::vector<RowOrigin> origins;
};

// How much of an output a save reads back: what may read otherwise than the
// file did (the lines up to where its encoding is known, and those written
// anew), or, for a check that the two agree, all of it.
enum class ReadBack { Needed, Whole };

// The output in the encoding and what its bytes read back as. A stretch of
// the file's own lines that would read back otherwise beside what is
// written anew (a line that read with its neighbours reads alone now, say)
// is written anew too.
Saving settle(const MenteRows& rows, const KeptFile& kept, FileEncoding encoding, ReadBack how = ReadBack::Needed);

}  // namespace tepo
