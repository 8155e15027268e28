// The maintenance editor's rows: its own copy of the messages and the edits on
// it. Slots 0 .. menteCount - 1 hold the messages; the array's upper bound U is
// at least menteCount, and the slots from menteCount to U are empty. The list
// shows one row per slot 0 .. U - 1, so deletions leave blank rows at its end
// until the next addition or load.
#pragma once

#include <cstdint>
#include <vector>

#include "messages/message_reader.h"
#include "messages/message_table.h"
#include "messages/text_arena.h"
#include "runtime/pages.h"
#include "runtime/runtime.h"

namespace tepo {

// A stretch of the file's lines, by its number in the kept file, or none.
constexpr int32_t kNoStretch = -1;

// Where a row's message came from in the file as the table knows it.
struct RowOrigin {
  // What the reader noted of it: whether its rules changed it from what the
  // file said (an update clears that), whether its line was in the other of
  // the code page and UTF-8, and where it lay among the lines.
  FieldNote note;
  // The stretch of lines it was read from, while it is as read there.
  int32_t stretch = kNoStretch;
};

// One slot: a message and where it came from. Its characters are the rows'
// own, in their arena, until the rows are cleared.
struct MenteRow {
  TextView text;
  RowOrigin origin;
};

class MenteRows {
 public:
  MenteRows() { clear(); }

  // One empty slot and no messages.
  void clear();

  // Puts a message behind the last one as the reader read it. When full,
  // raises Overflow and leaves the rows as they were.
  void appendRead(TextView message, const FieldNote& note);
  // Room for that many messages read, so that the rows do not move as they
  // grow.
  void reserve(std::size_t messages) { menteList.reserve(messages + 1); }

  // Puts text behind the last message, dropping the blank rows of earlier
  // deletions. Returns the row of the new message. When full, raises Overflow
  // and leaves the rows as they were.
  int add(const Text& text);

  // Replaces the message in row: the user's own text, from no stretch of the
  // file. The text replaced keeps its room until the rows are cleared.
  // Raises SubscriptOutOfRange, changing nothing, unless isMessageRow(row).
  void update(int row, const Text& text);

  // Removes the message in row and closes the gap; the array keeps its size.
  // Returns the row to select afterwards. Raises SubscriptOutOfRange,
  // changing nothing, unless isMessageRow(row).
  int remove(int row);

  // The messages' origins in a file just written, one per message.
  void setOrigins(std::vector<RowOrigin> origins);
  void setStretch(int row, int32_t stretch) { at(row).origin.stretch = stretch; }

  const PageVector<MenteRow>& slots() const { return menteList; }
  const MenteRow& operator[](int slot) const { return menteList[static_cast<std::size_t>(slot)]; }
  TextView text(int slot) const { return (*this)[slot].text; }
  const FieldNote& note(int slot) const { return (*this)[slot].origin.note; }
  int32_t stretch(int slot) const { return (*this)[slot].origin.stretch; }

  int16_t count() const { return menteCount; }
  // U: the number of rows the list shows.
  int16_t upperBound() const { return static_cast<int16_t>(menteList.size() - 1); }
  bool isFull() const { return menteCount == kMaxMessages; }
  // A row that holds a message, as opposed to none (-1) or a blank row past the last.
  bool isMessageRow(int row) const { return row >= 0 && row < menteCount; }

  // Whether messages were added, updated or deleted since the last load or save.
  bool modified() const { return modified_; }
  void markSaved() { modified_ = false; }

 private:
  MenteRow& at(int slot) { return menteList[static_cast<std::size_t>(slot)]; }

  // The messages' characters: a few large blocks, which go back to the
  // system together when the window closes, instead of one heap block each.
  TextArena characters_;
  // In pages, as the icon's table: what it outgrows goes back.
  PageVector<MenteRow> menteList;
  int16_t menteCount = 0;
  bool modified_ = false;
};

}  // namespace tepo
