// The maintenance editor's own copy of the messages and the operations on it.
// Slots 0 .. menteCount - 1 hold the messages; the array's upper bound U is at
// least menteCount, and the slots from menteCount to U are empty. The list
// shows one row per slot 0 .. U - 1, so deletions leave blank rows at its end
// until the next addition or load.
#pragma once

#include <string>
#include <vector>

#include "files/file_ops.h"
#include "files/save.h"
#include "messages/message_file.h"
#include "messages/message_reader.h"
#include "messages/message_table.h"
#include "runtime/runtime.h"

namespace tepo {

struct Saving;

class MenteTable {
 public:
  MenteTable() { reset(); }

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
  FileEncoding encoding() const { return file_.encoding; }

  // The file the table was read from or last wrote, as it was then.
  const MessageFile& file() const { return file_; }

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

  // What a save writes in an encoding. Each stretch of lines whose messages
  // the user left as they were read goes back as the file's own bytes (its
  // last line end as CR LF), in whatever encoding and form it was written;
  // every other message is written as the writer's line. The messages past
  // the 32767th, which the table does not hold, follow as they were.
  struct Output {
    FileEncoding encoding = FileEncoding::Ansi;
    std::string bytes;
    // One stretch of the bytes and the message rows it carries.
    struct Piece {
      int row = 0;
      int rows = 0;
      bool kept = false;  // the file's own bytes; otherwise one row as the writer's line
      std::size_t begin = 0;
      std::size_t end = 0;
    };
    std::vector<Piece> pieces;
    // Some character had no form in the encoding.
    bool lossy = false;
    // The file held more than the table: whether that rest is written
    // behind the messages, or lost (it could not stay as it was).
    bool restKept = false;
    bool restLost = false;
  };
  // The file's own bytes are kept only in the encoding the file was read in,
  // and not for the segments of the rows in anew, which are written anew.
  Output output(FileEncoding encoding, const std::vector<int>& anew = {}) const;
  // The output in the encoding and what its bytes read back as. A stretch
  // of the file's own lines that would read back otherwise beside what is
  // written anew (a line that read with its neighbours reads alone now,
  // say) is written anew too.
  Saving settle(FileEncoding encoding) const;

  // How a piece of an output reads back: the row of the table its bytes
  // read back as where its messages begin, or -1 where its lines read back
  // as other pieces' too (a quote never closed runs on); same tells whether
  // they read back as this table holds them.
  struct ReadBack {
    int backRow = -1;
    bool same = false;
  };

  // Writes the output to path through a temporary file; on failure the old
  // file stays as it was. Last, right before the write, the file on disk is
  // compared with what this table read or wrote there, or with accepted
  // when given: if someone else changed it since, nothing is written and
  // the result says what is on disk now, which a second write may accept.
  // The messages never change by saving; the table then knows the file as
  // written.
  SaveResult write(const Text& path, FileOps& ops, const Saving& saving, const FileVersion* accepted = nullptr);

  // What the reader noted of the message in row: whether its rules changed
  // it from what the file said (an update clears that), and whether its
  // line was in the other of the code page and UTF-8.
  const FieldNote& note(int row) const { return notes_[static_cast<std::size_t>(row)]; }

 private:
  // The table the bytes of an output read back as, as a load would read them.
  static MenteTable readBack(const std::string& bytes);
  // How each piece of the output reads back as back.
  std::vector<ReadBack> compare(const Output& output, const MenteTable& back) const;

  // A stretch of the file's lines that held whole messages: its bytes in
  // bytes_, and whether the user changed, deleted or moved any of them.
  struct Segment {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool touched = false;
  };
  static constexpr int32_t kNoSegment = -1;

  // Back to no messages, the file's path kept.
  void clear();
  void appendRead(TextView message, const FieldNote& note);
  void read(InputFile& file);
  // Finds each message's lines in the bytes read; stored is false when the
  // read stopped at more messages than the table holds.
  void findSegments(bool overflowed, bool endsInsideCharacter);
  void touch(int row);
  // How a segment's last line ends in the file.
  enum class LineEnd { CrLf, Lf, Cr, None };
  LineEnd lineEndOf(const Segment& segment) const;
  // Whether the segment of the rows from row on may go back as it was read
  // when what follows it is written as the output has it.
  bool keepable(int32_t segment, int row, int rows, int32_t before) const;
  // The bytes of a kept segment, its last line end as CR LF where a lone LF
  // ended it, and where nothing did but something follows; after a quote
  // never closed, as it was.
  void appendSegment(std::string& out, const Segment& segment, bool followed, bool unclosed) const;

  std::vector<Text> menteList;
  int16_t menteCount = 0;
  // Per slot: what the reader noted of the message, and its segment.
  std::vector<FieldNote> notes_;
  std::vector<int32_t> segmentOf_;
  bool loadComplete_ = true;
  bool modified_ = false;
  // The file's bytes as read or last written, and the stretches of them
  // that a save may write back as they are.
  std::string bytes_;
  std::vector<Segment> segments_;
  // The segment that runs from the first line the table does not hold
  // wholly to the end of the file; its messages, if any, are the last the
  // table holds.
  int32_t rest_ = kNoSegment;
  // The file last read or written, and what it held then.
  MessageFile file_;
};

// What a save writes, what its bytes read back as, and how each piece of
// them reads back.
struct Saving {
  MenteTable::Output output;
  MenteTable back;
  std::vector<MenteTable::ReadBack> reading;
};

}  // namespace tepo
