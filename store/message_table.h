// The program-wide message table: entries 0 .. msgCount - 1 are the messages in
// file order, entry msgCount is one spare empty text.
#pragma once

#include <vector>

#include "store/files.h"
#include "store/runtime.h"
#include "store/text_arena.h"

namespace tepo {

constexpr int16_t kMaxMessages = 32767;

// The messages' characters live in an arena the table owns, so a load makes
// a few large allocations instead of one per message. The entries are views
// into it, valid until the table is next loaded or reset: whoever needs a
// message for longer keeps a copy.
class MessageTable {
 public:
  MessageTable() { reset(); }
  MessageTable(const MessageTable&) = delete;
  MessageTable& operator=(const MessageTable&) = delete;
  // Moving keeps the characters where they are, so the entries stay valid.
  MessageTable(MessageTable&&) = default;
  MessageTable& operator=(MessageTable&&) = default;

  // Back to one empty entry and no messages, from no file.
  void reset();

  // Adds a message behind the last one; raises Overflow when 32767 are held,
  // leaving the table as it was.
  void append(TextView message);

  // Reads the file into the table, replacing what it held. A failure raises,
  // and the table keeps every message read before it. The file's stamp is
  // taken first, so that a change made while it is read is seen later.
  void load(const Text& path, FileOps& ops = systemFileOps());
  void load(InputFile& file);

  // Reads the file the table was last loaded from again, as load does, if
  // its stamp is no longer the one it had then: one call when nothing
  // changed. A file that cannot be read now (being written, locked, gone)
  // leaves the table as it was, to be tried again next time. True if the
  // table changed.
  bool reloadIfChanged(FileOps& ops = systemFileOps());

  // Raises SubscriptOutOfRange outside 0 .. count(), the spare empty entry included.
  TextView at(long index) const;

  const std::vector<TextView>& list() const { return msgList; }
  int16_t count() const { return msgCount; }

 private:
  void read(InputFile& file);

  TextArena characters_;
  std::vector<TextView> msgList;
  int16_t msgCount = 0;
  LoadedFile source_;
};

}  // namespace tepo
