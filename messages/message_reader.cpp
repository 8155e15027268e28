// The message file's reader: bytes to messages, in whichever encoding each
// line is in.
#include "messages/message_file.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "encodings/ansi.h"
#include "encodings/line_encoding.h"
#include "encodings/utf16.h"
#include "encodings/utf8.h"
#include "messages/fields.h"

namespace tepo {

namespace {

constexpr std::size_t kBlockSize = 256 * 1024;

// Turns the file's bytes, as they are read, into fields for store. A byte
// order mark settles the encoding at once. Without one each line is read on
// its own: a line only one of the code page and UTF-8 reads, or whose two
// readings differ much as real text, goes its own way; the others go with
// the file. The file's encoding is settled as soon as its lines' evidence
// adds up to enough, and lines before that wait for it. A line only one
// reading takes is enough alone: a Shift-JIS file settles at its first line
// with kana, a UTF-8 file at its first line that the code page cannot read
// or after a few that read much better as UTF-8, so both stream; what waits
// is bounded, and decided by the evidence so far when it grows too long.
class MessageReader {
 public:
  MessageReader(const MessageSink& store, ReadFacts& facts) : store_(store), facts_(facts) {}

  void add(const char* bytes, std::size_t length) {
    // Bytes already decoded go first, now and then, so that what is pending
    // stays small when the file streams.
    const std::size_t consumed = at_ - base_;
    if (consumed > 0 && consumed >= bytes_.size() / 2) {
      bytes_.erase(0, consumed);
      base_ = at_;
    }
    bytes_.append(bytes, length);
    if (form_ == Form::Unknown && !readMark(false)) return;
    if (form_ == Form::Utf16) {
      readUtf16(false);
    } else {
      readLines(false);
    }
  }

  // complete: the file was read to its end; otherwise a read failed, and the
  // line it cut off is no message.
  void finish(bool complete) {
    if (form_ == Form::Unknown) readMark(true);
    if (form_ == Form::Utf16) {
      readUtf16(complete);
    } else {
      if (complete) readLines(true);
      if (!mainKnown_) settleByEvidence();
      flushRun();
    }
    if (complete) takeFields(true);
  }

 private:
  enum class Form { Unknown, Lines, Utf16 };
  // A line that waits until the file's encoding is settled.
  struct Waiting {
    std::size_t end;
    LineReadings readings;
    bool last;  // the file's last line, whose end may cut a character
  };

  std::size_t end() const { return base_ + bytes_.size(); }
  const char* at(std::size_t offset) const { return bytes_.data() + (offset - base_); }
  unsigned char byteAt(std::size_t offset) const { return static_cast<unsigned char>(*at(offset)); }

  // Looks for a byte order mark; false while too few bytes are there to tell.
  bool readMark(bool final) {
    const std::size_t n = bytes_.size();
    if (n < 3 && !final) return false;
    if (n >= 2 && ((byteAt(0) == 0xFF && byteAt(1) == 0xFE) || (byteAt(0) == 0xFE && byteAt(1) == 0xFF))) {
      form_ = Form::Utf16;
      at_ = 2;
      settle(byteAt(0) == 0xFF ? FileEncoding::Utf16Le : FileEncoding::Utf16Be);
      return true;
    }
    form_ = Form::Lines;
    if (n >= 3 && bytes_.compare(0, 3, utf8::kByteOrderMark) == 0) {
      at_ = runEnd_ = scan_ = 3;
      settle(FileEncoding::Utf8Bom);
    }
    return true;
  }

  // The file's lines so far had too little evidence to settle it: it goes
  // the way they lean, UTF-8 on a tie of lines beyond ASCII. A lone pair of
  // bytes is the file's evidence and goes with the file, whatever it weighs
  // alone.
  void settleByEvidence() {
    const std::int32_t evidence = evidence_.utf8();
    settle(evidence > 0 || (evidence == 0 && sawNonAscii_) ? FileEncoding::Utf8 : FileEncoding::Ansi,
           evidence_.lonePair());
  }

  void settle(FileEncoding encoding, bool withFile = false) {
    main_ = encoding;
    mainKnown_ = true;
    facts_.encoding = encoding;
    // The lines that waited for it, in their order.
    std::vector<Waiting> waiting;
    waiting.swap(waiting_);
    std::size_t begin = runEnd_;
    for (Waiting& line : waiting) {
      place(begin, line.end, line.readings, line.last, withFile);
      begin = line.end;
    }
  }

  // Hands every whole line on; with final, the last one without its line end
  // too. A line longer than a block goes in pieces, cut after a byte below
  // 0x40, which ends a character in both encodings.
  void readLines(bool final) {
    for (;;) {
      const std::size_t available = end() - scan_;
      if (available == 0) return;
      const void* lf = std::memchr(at(scan_), '\n', available);
      std::size_t lineEnd;
      bool last = false;
      if (lf) {
        lineEnd = scan_ + static_cast<std::size_t>(static_cast<const char*>(lf) - at(scan_)) + 1;
      } else if (available > kBlockSize) {
        lineEnd = scan_ + pieceLength(at(scan_), kBlockSize);
      } else if (final) {
        lineEnd = end();
        last = true;
      } else {
        return;
      }
      readLine(scan_, lineEnd, last);
      scan_ = lineEnd;
    }
  }

  std::size_t pieceLength(const char* bytes, std::size_t length) const {
    for (std::size_t i = length; i > 0; --i) {
      if (static_cast<unsigned char>(bytes[i - 1]) < 0x40) return i;
    }
    if (!mainKnown_) return length;
    std::size_t whole = isUtf8(main_) ? utf8::completePrefix(bytes, length) : ansi::completePrefix(bytes, length);
    return whole > 0 ? whole : length;
  }

  void readLine(std::size_t begin, std::size_t end, bool last) {
    LineReadings readings = examineLine(at(begin), end - begin);
    if (!mainKnown_) {
      // ASCII reads the same in either: it is taken at once unless lines wait.
      if (readings.ascii && waiting_.empty()) {
        append(begin, end, FileEncoding::Ansi, false, last);
        return;
      }
      if (!readings.ascii) {
        if (readings.utf8 || readings.utf8Cut) readAnsi(readings, at(begin), end - begin);
        sawNonAscii_ = true;
        evidence_.add(readings);
      }
      const std::int32_t evidence = evidence_.utf8();
      if (evidence >= kDecisive) {
        settle(FileEncoding::Utf8);
      } else if (evidence <= -kDecisive) {
        settle(FileEncoding::Ansi);
      } else {
        waiting_.push_back({end, readings, last});
        // What waits stays bounded in a file that never says much.
        if (end - runEnd_ > kBlockSize) settleByEvidence();
        return;
      }
    }
    place(begin, end, readings, last);
  }

  // Decides how the line reads, the file's encoding being settled; withFile:
  // as the file does.
  void place(std::size_t begin, std::size_t end, LineReadings& readings, bool last, bool withFile = false) {
    const bool mainUtf8 = isUtf8(main_);
    bool utf8;
    if (readings.ascii || withFile) {
      utf8 = mainUtf8;
    } else if (!readings.utf8 && !(last && readings.utf8Cut)) {
      utf8 = false;
      if (mainUtf8) {
        // No UTF-8: the code page, unless that reads it no better.
        if (!readings.ansiKnown) readAnsi(readings, at(begin), end - begin);
        utf8 = !readings.ansi;
      }
    } else if (main_ == FileEncoding::Utf8Bom && readings.utf8) {
      // The mark said UTF-8.
      utf8 = true;
    } else if (mainUtf8 && plainlyUtf8(readings)) {
      utf8 = true;
    } else {
      // A character cut off at the end after UTF-8 is a writer at work; it
      // weighs like any other line.
      if (!readings.ansiKnown) readAnsi(readings, at(begin), end - begin);
      const std::int32_t evidence = utf8Evidence(readings);
      utf8 = evidence >= kStrongLine || (evidence > -kStrongLine && mainUtf8);
    }
    append(begin, end, utf8 ? FileEncoding::Utf8 : FileEncoding::Ansi, utf8 != mainUtf8, last);
  }

  // Adds the line to the bytes to decode in one go; a change of reading
  // decodes what was gathered first.
  void append(std::size_t begin, std::size_t end, FileEncoding reading, bool other, bool last) {
    if (runEnd_ > at_ && (reading != runReading_ || other != runOther_)) flushRun();
    if (runEnd_ == at_) {
      runReading_ = reading;
      runOther_ = other;
    }
    runEnd_ = end;
    if (last) {
      const std::size_t length = end - begin;
      const std::size_t whole = reading == FileEncoding::Utf8 ? utf8::completePrefix(at(begin), length)
                                                              : ansi::completePrefix(at(begin), length);
      facts_.endsInsideCharacter = whole < length;
    }
    if (runEnd_ - at_ >= kBlockSize) flushRun();
  }

  void flushRun() {
    if (runEnd_ == at_) return;
    bad_.clear();
    if (runReading_ == FileEncoding::Utf8) {
      utf8::decodeInto(at(at_), runEnd_ - at_, decoded_, &bad_);
    } else {
      ansi::decodeInto(at(at_), runEnd_ - at_, decoded_, &bad_);
    }
    at_ = runEnd_;
    parser_.feed(decoded_, &bad_, runOther_);
    takeFields(false);
  }

  void readUtf16(bool final) {
    const bool bigEndian = main_ == FileEncoding::Utf16Be;
    while (at_ < end()) {
      const std::size_t length = std::min(end() - at_, kBlockSize) & ~std::size_t(1);
      bad_.clear();
      if (length > 0) {
        utf16::decodeInto(at(at_), length, bigEndian, decoded_);
        at_ += length;
      } else if (final) {
        // One byte of a unit that never ends.
        bad_.push_back(0);
        decoded_.assign(1, u'\uFFFD');
        facts_.endsInsideCharacter = true;
        ++at_;
      } else {
        return;
      }
      parser_.feed(decoded_, &bad_);
      takeFields(false);
    }
  }

  void takeFields(bool atEnd) {
    // Each field is expanded where it lies and handed on without a copy.
    char16_t* field = nullptr;
    std::size_t length = 0;
    FieldNote note;
    while (parser_.next(field, length, atEnd, &note.changed, &note.otherEncoding, &note.lines)) {
      expandLineBreaks(field, length);
      store_(TextView(field, length), note);
    }
  }

  const MessageSink& store_;
  ReadFacts& facts_;
  Form form_ = Form::Unknown;
  FileEncoding main_ = FileEncoding::Ansi;
  bool mainKnown_ = false;
  // What the lines before the file settled say of it.
  FileEvidence evidence_;
  bool sawNonAscii_ = false;
  std::vector<Waiting> waiting_;
  // The bytes from base_ (a file offset) on; offsets below are the file's.
  std::string bytes_;
  std::size_t base_ = 0;
  std::size_t at_ = 0;      // the first byte not yet decoded
  std::size_t runEnd_ = 0;  // the lines from at_ to here decode in one go
  FileEncoding runReading_ = FileEncoding::Ansi;
  bool runOther_ = false;
  std::size_t scan_ = 0;  // the lines up to here are placed or waiting
  FieldParser parser_;
  Text decoded_;  // one buffer for every block
  std::vector<std::size_t> bad_;
};

}  // namespace

void readMessages(InputFile& file, const MessageSink& store, ReadFacts* facts) {
  ReadFacts ignored;
  MessageReader reader(store, facts ? *facts : ignored);
  std::unique_ptr<char[]> block(new char[kBlockSize]);
  for (;;) {
    std::size_t got;
    try {
      got = file.read(block.get(), kBlockSize);
    } catch (const RuntimeError&) {
      // What was read before the failure still counts.
      reader.finish(false);
      throw;
    }
    if (got == 0) break;
    reader.add(block.get(), got);
  }
  reader.finish(true);
}

}  // namespace tepo
