// The maintenance editor's own copy of the messages and the operations on it.
// Slots 0 .. menteCount - 1 hold the messages; the array's upper bound U is at
// least menteCount, and the slots from menteCount to U are empty. The list
// shows one row per slot 0 .. U - 1, so deletions leave blank rows at its end
// until the next addition or load.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "files/files.h"
#include "messages/message_file.h"
#include "messages/message_table.h"
#include "runtime/runtime.h"

namespace tepo {

class MenteTable {
 public:
  MenteTable() { reset(); }

  // One empty slot and no messages.
  void reset();

  // Reads the file into the table, replacing what it held. A failure raises,
  // and the table keeps every message read before it (at most 32767). The
  // version of the bytes read tells a later save whether someone else has
  // written the file since.
  void load(const Text& path);
  void load(InputFile& file);

  // False after a load that ended before the end of an existing file: a save
  // would drop the messages it did not read. A missing file loses nothing.
  bool loadComplete() const { return loadComplete_; }

  // The encoding the file was read in, and will be written in; a new file is
  // in the ANSI code page.
  FileEncoding encoding() const { return encoding_; }

  // The first message row that the reader's rules changed from what the file
  // said, and that no update has replaced since; -1 if none.
  int firstChangedOnLoadRow() const;
  // The same for rows whose line was in the other of the code page and UTF-8
  // than the file's encoding, which a save writes in the file's.
  int firstOtherEncodingRow() const;

  // Whether messages were added, updated or deleted since the last load or save.
  bool modified() const { return modified_; }

  const std::vector<Text>& list() const { return menteList; }
  int16_t count() const { return menteCount; }
  // U: the number of rows the list shows.
  int16_t upperBound() const { return static_cast<int16_t>(menteList.size() - 1); }

  bool isFull() const { return menteCount == kMaxMessages; }
  // A row that holds a message, as opposed to none (-1) or a blank row past the last.
  bool isMessageRow(int row) const { return row >= 0 && row < menteCount; }

  // Puts text behind the last message, dropping the blank rows of earlier
  // deletions. Returns the row of the new message. When full, raises Overflow
  // and leaves the table as it was.
  int add(const Text& text);

  // Replaces the message in row. Raises SubscriptOutOfRange, changing nothing,
  // unless isMessageRow(row).
  void update(int row, const Text& text);

  // Removes the message in row and closes the gap; the array keeps its size.
  // Returns the row to select afterwards. Raises SubscriptOutOfRange,
  // changing nothing, unless isMessageRow(row).
  int remove(int row);

  // The file's contents for the messages (the slots past them are not
  // written), in the table's encoding unless another is given. lossy tells
  // whether some character had no form in it.
  std::string fileBytes(bool* lossy = nullptr) const { return fileBytes(encoding_, lossy); }
  std::string fileBytes(FileEncoding encoding, bool* lossy = nullptr) const;

  // The first message row that loses characters in the encoding (by default
  // the table's), or -1.
  int firstUnrepresentableRow() const { return firstUnrepresentableRow(encoding_); }
  int firstUnrepresentableRow(FileEncoding encoding) const;

  // The first message row that would not come back from the file as it is, or -1.
  int firstUncarriableRow() const;

  // The first message row that, saved in the table's encoding, the reader
  // would take for the other of the code page and UTF-8, or -1; bytes, when
  // given, are fileBytes() already made.
  int firstMisreadRow() const { return firstMisreadRow(fileBytes()); }
  int firstMisreadRow(const std::string& bytes) const;

  // Writes the messages to path through a temporary file, in the encoding
  // the file was read in; on failure the old file stays as it was. Last,
  // right before the write, the file on disk is compared with what this
  // table read or wrote there: if someone else changed it since,
  // mayOverwrite is asked (again after every new change), and a false answer
  // writes nothing and returns declined. The messages never change by
  // saving; the version becomes the new file's.
  SaveResult save(const Text& path, FileOps& ops, const std::function<bool()>& mayOverwrite = nullptr);
  // The same with the bytes fileBytes(encoding) made, in that encoding,
  // which becomes the table's.
  SaveResult save(const Text& path, FileOps& ops, FileEncoding encoding, const std::string& bytes,
                  const std::function<bool()>& mayOverwrite = nullptr);

 private:
  void appendRead(TextView message, const FieldNote& note);
  void read(InputFile& file);

  std::vector<Text> menteList;
  int16_t menteCount = 0;
  // Per slot: what the reader noted of the message.
  std::vector<FieldNote> notes_;
  bool loadComplete_ = true;
  bool modified_ = false;
  FileEncoding encoding_ = FileEncoding::Ansi;
  // The file last read or written, and what it held then.
  Text sourcePath_;
  FileVersion sourceVersion_;
};

}  // namespace tepo
