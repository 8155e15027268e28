// The maintenance editor's table: its rows, the file's bytes kept beside them,
// and the file they were read from or last written to. What a save writes and
// how it reads back are the output's and the read-back's; the questions it
// asks are the save plan's.
#pragma once

#include <cstdint>

#include "editor/kept_file.h"
#include "editor/mente_rows.h"
#include "editor/read_back.h"
#include "files/file_ops.h"
#include "files/save.h"
#include "messages/message_file.h"
#include "runtime/runtime.h"

namespace tepo {

class MenteTable {
 public:
  // One empty slot and no messages, of the file at path (none by default),
  // which a load then reads.
  void reset(const Text& path = Text());

  // Reads the file into the table, replacing what it held. A failure raises,
  // and the table keeps every message read before it (at most 32767). The
  // version of the bytes read tells a later save whether someone else has
  // written the file since.
  void load(const Text& path, FileOps& ops);
  void load(InputFile& file);

  // False after a load that ended before the end of an existing file: a save
  // would drop the messages it did not read. A missing file loses nothing.
  bool loadComplete() const { return loadComplete_; }

  // The encoding the file was read in, and will be written in; a new file is
  // in the ANSI code page.
  FileEncoding encoding() const { return kept_.encoding(); }

  // The file the table was read from or last wrote, as it was then.
  const MessageFile& file() const { return file_; }

  // The messages, and the edits on them; the file's bytes beside them.
  const MenteRows& rows() const { return rows_; }
  const KeptFile& kept() const { return kept_; }
  int16_t count() const { return rows_.count(); }
  int16_t upperBound() const { return rows_.upperBound(); }
  bool isFull() const { return rows_.isFull(); }
  bool isMessageRow(int row) const { return rows_.isMessageRow(row); }
  bool modified() const { return rows_.modified(); }
  int add(const Text& text) { return rows_.add(text); }
  void update(int row, const Text& text) { rows_.update(row, text); }
  int remove(int row) { return rows_.remove(row); }

  // What a save in the encoding writes, and how it reads back.
  Saving settle(FileEncoding encoding) const { return tepo::settle(rows_, kept_, encoding); }

  // Writes what the save settled on to path through a temporary file; on
  // failure the old file stays as it was. The messages never change by
  // saving; once written, the table knows the file as written: the next
  // save keeps every line that reads back as the table holds it.
  SaveResult write(const Text& path, FileOps& ops, Saving saving);

 private:
  void read(InputFile& file, std::uint64_t size = 0);

  MenteRows rows_;
  KeptFile kept_;
  bool loadComplete_ = true;
  // The file last read or written, and what it held then.
  MessageFile file_;
};

}  // namespace tepo
