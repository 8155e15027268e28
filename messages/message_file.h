// MessageFile: the message file as each table knows it.
#pragma once

#include "encodings/file_encoding.h"
#include "files/file_ops.h"
#include "files/version.h"
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

}  // namespace tepo
