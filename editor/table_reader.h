// Reading the message file into the editor's rows, its bytes kept beside
// them, so that a save can write back what nobody changed.
#pragma once

#include "editor/kept_file.h"
#include "editor/mente_rows.h"
#include "files/input.h"
#include "messages/message_reader.h"

#include <cstdint>
#include <vector>

namespace tepo {

class TableReader {
 public:
  TableReader(MenteRows& rows, KeptFile& kept) : rows_(rows), kept_(kept) {}

  // Reads the file into the rows and the kept file, replacing what they
  // held. A failure raises, and the rows keep every message read before it
  // (at most 32767). size: the file's size as it was seen before, if known,
  // for the room the rows and the bytes take at once.
  void read(InputFile& file, std::uint64_t size = 0);
  // The same for the bytes the kept file holds already.
  void readKept();

  // Instead of each message's text, same tells for each whether it is the
  // text of the table's row of its number: what a read-back needs, without
  // a copy of every message.
  void compareWith(const MenteRows& table, std::vector<char>& same) {
    table_ = &table;
    same_ = &same;
  }

  // Whether the file was read to its end: the rest past the 32767th
  // message included, which the kept file then holds.
  bool complete() const { return complete_; }

 private:
  void readFrom(InputFile& file, std::uint64_t size = 0);
  void store(TextView message, const FieldNote& note);

  MenteRows& rows_;
  KeptFile& kept_;
  bool complete_ = false;
  const MenteRows* table_ = nullptr;
  std::vector<char>* same_ = nullptr;
};

}  // namespace tepo
