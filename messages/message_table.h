// The program-wide message table: entries 0 .. msgCount - 1 are the messages in
// file order, entry msgCount is one spare empty text.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "files/file_ops.h"
#include "messages/message_file.h"
#include "messages/message_reader.h"
#include "messages/packed_texts.h"
#include "runtime/pages.h"
#include "runtime/runtime.h"

namespace tepo {

constexpr int16_t kMaxMessages = 32767;

// The most messages a file of this many bytes can make (a field takes a
// byte at least), up to what a table holds: the room a table reads into.
inline std::size_t mostMessages(std::uint64_t bytes) {
  return static_cast<std::size_t>(std::min<std::uint64_t>(bytes + 1, kMaxMessages));
}

// The room taken ahead for a file's bytes: beyond 256 MB a file's size is no
// promise worth the memory.
inline std::size_t roomForBytes(std::uint64_t bytes) {
  return static_cast<std::size_t>(std::min<std::uint64_t>(bytes, 256u << 20));
}

// The messages are kept packed (mostly in the code page, as the file holds
// them) once pack has run, since the table stays all day while a message is
// wanted only now and then: at gives one as text.
class MessageTable {
 public:
  MessageTable() { reset(); }
  MessageTable(const MessageTable&) = delete;
  MessageTable& operator=(const MessageTable&) = delete;
  MessageTable(MessageTable&&) = default;
  MessageTable& operator=(MessageTable&&) = default;

  // Back to one empty entry and no messages, from no file.
  void reset();

  // Adds a message behind the last one; raises Overflow when 32767 are held,
  // leaving the table as it was.
  void append(TextView message);

  // A load keeps the messages as read, which is quick; this makes them
  // small, for a table that is then held all day. Each reads as before.
  void pack() { msgList.pack(); }

  // Reads the file into the table, replacing what it held. A failure raises,
  // and the table keeps every message read before it. The table knows the
  // file only after a read that went to its end while the file's stamp held
  // still and that ended on a whole character; otherwise (the file locked
  // or being written) the next reload reads it again.
  void load(const Text& path, FileOps& ops);
  void load(InputFile& file);

  // A new reading of the file the table was last loaded from, if its stamp
  // is no longer the one it had then (one call when nothing changed) or the
  // table never knew it. Null when nothing changed, and when the file
  // cannot be read whole now: the messages held stay, and the next call
  // tries again. A reading that may have met a writer (it ends inside a
  // character, or is empty where messages were held) is taken only when
  // the next call finds the file the same.
  std::unique_ptr<MessageTable> reloaded(FileOps& ops);
  // The same, in place; true if the table changed.
  bool reloadIfChanged(FileOps& ops);

  // Raises SubscriptOutOfRange outside 0 .. count(), the spare empty entry included.
  Text at(long index) const;
  // The same into text, its storage kept, for a caller that reads every message.
  void textInto(long index, Text& text) const;
  // Whether the message holds sought (see PackedTexts::holds); the spare
  // empty entry holds nothing.
  bool holds(long index, const SoughtText& sought) const {
    return index >= 0 && index < msgCount && msgList.holds(static_cast<std::size_t>(index), sought);
  }

  // The file the table was read from, as it was then.
  const MessageFile& file() const { return file_; }

  int16_t count() const { return msgCount; }

 private:
  // How a load from a path went, beyond its messages.
  struct Reading {
    bool moved = false;     // the file's stamp changed while it was read
    bool doubtful = false;  // it ends inside a character: a writer may be at work
  };
  Reading loadFrom(const Text& path, FileOps& ops);
  void read(InputFile& file, ReadFacts* facts = nullptr);
  void add(TextView message, bool asRead);

  // msgList: entries 0 .. msgCount - 1; the spare empty entry is implied.
  PackedTexts msgList;
  int16_t msgCount = 0;
  MessageFile file_;
  // A doubtful reading seen before, at this stamp: seen twice, it stands.
  bool doubted_ = false;
  FileStamp doubtedStamp_;
};

}  // namespace tepo
