// The message file's reader: bytes to lines, lines to decoded runs, runs to
// fields. Which encoding each line is read in is EncodingChooser's choice.
#include "messages/message_reader.h"

#include <algorithm>
#include <cstring>

#include "encodings/ansi.h"
#include "encodings/utf16.h"
#include "encodings/utf8.h"
#include "messages/encoding_choice.h"
#include "messages/fields.h"
#include "runtime/pages.h"

namespace tepo {

namespace {

constexpr std::size_t kBlockSize = 256 * 1024;
// Decoded a piece at a time: its characters stay in the processor's cache.
constexpr std::size_t kDecodingPiece = 32 * 1024;

// Turns the file's bytes, as they are read, into fields for store. A byte
// order mark settles the encoding at once; without one the chooser reads
// each line in the code page or as UTF-8. Lines of one reading are decoded
// together, a block at a time.
class MessageReader : private ChosenLines {
 public:
  MessageReader(const MessageSink& store, ReadFacts& facts) : store_(store), facts_(facts), chooser_(*this) {
    // What waits, what is not decoded yet and a block read: room for all
    // at once, so that the buffer does not grow block by block.
    bytes_.reserve(3 * kBlockSize);
  }

  // Where the next block of the file goes, read straight into the buffer.
  char* room() {
    // Bytes already decoded go first, now and then, so that what is pending
    // stays small when the file streams.
    const std::size_t consumed = at_ - base_;
    if (consumed > 0 && consumed >= bytes_.size() / 2) {
      bytes_.dropFront(consumed);
      base_ = at_;
    }
    return bytes_.room(kBlockSize);
  }

  // The block read into room: length bytes.
  void add(std::size_t length) {
    bytes_.commit(length);
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
      chooser_.finish();
      flushRun();
    }
    if (complete) takeFields(true);
  }

 private:
  enum class Form { Unknown, Lines, Utf16 };

  std::size_t end() const { return base_ + bytes_.size(); }
  const char* bytesAt(std::size_t offset) const override { return bytes_.data() + (offset - base_); }
  unsigned char byteAt(std::size_t offset) const { return static_cast<unsigned char>(*bytesAt(offset)); }
  void settled(FileEncoding encoding, std::size_t at) override {
    facts_.encoding = encoding;
    facts_.settledAt = at;
  }

  // Looks for a byte order mark; false while too few bytes are there to tell.
  bool readMark(bool final) {
    const std::size_t n = bytes_.size();
    if (n < 3 && !final) return false;
    if (n >= 2 && ((byteAt(0) == 0xFF && byteAt(1) == 0xFE) || (byteAt(0) == 0xFE && byteAt(1) == 0xFF))) {
      form_ = Form::Utf16;
      at_ = 2;
      bigEndian_ = byteAt(0) == 0xFE;
      settled(bigEndian_ ? FileEncoding::Utf16Be : FileEncoding::Utf16Le, 0);
      return true;
    }
    form_ = Form::Lines;
    if (n >= 3 && std::memcmp(bytes_.data(), utf8::kByteOrderMark, 3) == 0) {
      at_ = runEnd_ = scan_ = 3;
      chooser_.settle(FileEncoding::Utf8Bom);
    }
    return true;
  }

  // Hands every whole line on; with final, the last one without its line end
  // too. A line longer than a block goes in pieces, cut after a byte below
  // 0x40, which ends a character in both encodings.
  void readLines(bool final) {
    for (;;) {
      // Most lines of a file in the code page go together, up to where the
      // run would be decoded, as line by line.
      const bool joins = runEnd_ == at_ || (runReading_ == FileEncoding::Ansi && !runOther_);
      scan_ = chooser_.addCodePageLines(scan_, end(), kBlockSize - (joins ? runEnd_ - at_ : 0));
      const std::size_t available = end() - scan_;
      if (available == 0) return;
      const void* lf = std::memchr(bytesAt(scan_), '\n', available);
      std::size_t lineEnd;
      bool last = false;
      if (lf) {
        lineEnd = scan_ + static_cast<std::size_t>(static_cast<const char*>(lf) - bytesAt(scan_)) + 1;
      } else if (available > kBlockSize) {
        lineEnd = scan_ + pieceLength(bytesAt(scan_), kBlockSize);
      } else if (final) {
        lineEnd = end();
        last = true;
      } else {
        return;
      }
      chooser_.add(scan_, lineEnd, last);
      scan_ = lineEnd;
    }
  }

  std::size_t pieceLength(const char* bytes, std::size_t length) const {
    for (std::size_t i = length; i > 0; --i) {
      if (static_cast<unsigned char>(bytes[i - 1]) < 0x40) return i;
    }
    if (!chooser_.settled()) return length;
    std::size_t whole =
        isUtf8(chooser_.encoding()) ? utf8::completePrefix(bytes, length) : ansi::completePrefix(bytes, length);
    return whole > 0 ? whole : length;
  }

  // Adds the line to the bytes to decode in one go; a change of reading
  // decodes what was gathered first.
  void take(std::size_t begin, std::size_t end, FileEncoding reading, bool other, bool last) override {
    if (runEnd_ > at_ && (reading != runReading_ || other != runOther_)) flushRun();
    if (runEnd_ == at_) {
      runReading_ = reading;
      runOther_ = other;
    }
    runEnd_ = end;
    if (last) {
      const std::size_t length = end - begin;
      const std::size_t whole = reading == FileEncoding::Utf8 ? utf8::completePrefix(bytesAt(begin), length)
                                                              : ansi::completePrefix(bytesAt(begin), length);
      facts_.endsInsideCharacter = whole < length;
    }
    if (runEnd_ - at_ >= kBlockSize) flushRun();
  }

  // Decodes the run and splits it into fields, a piece at a time, each
  // ending after a line end, so that its characters are still in the cache
  // when they are split and copied.
  void flushRun() {
    while (at_ < runEnd_) {
      const std::size_t pieceEnd = decodingEnd();
      bad_.clear();
      if (runReading_ == FileEncoding::Utf8) {
        utf8::decodeInto(bytesAt(at_), pieceEnd - at_, decoded_, &bad_);
      } else {
        ansi::decodeInto(bytesAt(at_), pieceEnd - at_, decoded_, &bad_);
      }
      at_ = pieceEnd;
      parser_.feed(std::move(decoded_), &bad_, runOther_);
      takeFields(false);
    }
  }

  // After the last line end within a piece's length of at_, else the next.
  std::size_t decodingEnd() const {
    const std::size_t length = runEnd_ - at_;
    if (length <= kDecodingPiece) return runEnd_;
    const char* bytes = bytesAt(at_);
    for (std::size_t i = kDecodingPiece; i > 0; --i) {
      if (bytes[i - 1] == '\n') return at_ + i;
    }
    const void* lf = std::memchr(bytes + kDecodingPiece, '\n', length - kDecodingPiece);
    return lf ? at_ + static_cast<std::size_t>(static_cast<const char*>(lf) - bytes) + 1 : runEnd_;
  }

  void readUtf16(bool final) {
    while (at_ < end()) {
      const std::size_t length = std::min(end() - at_, kBlockSize) & ~std::size_t(1);
      bad_.clear();
      if (length > 0) {
        utf16::decodeInto(bytesAt(at_), length, bigEndian_, decoded_);
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
      parser_.feed(std::move(decoded_), &bad_);
      takeFields(false);
    }
  }

  void takeFields(bool atEnd) {
    // Each field is handed on where it lies, without a copy.
    while (std::optional<Field> field = parser_.next(atEnd)) {
      store_(TextView(field->text, field->length), FieldNote{field->changed, field->otherEncoding, field->lines});
    }
  }

  const MessageSink& store_;
  ReadFacts& facts_;
  EncodingChooser chooser_;
  Form form_ = Form::Unknown;
  bool bigEndian_ = false;  // of a UTF-16 file
  // The bytes from base_ (a file offset) on; offsets below are the file's.
  PageBytes bytes_;
  std::size_t base_ = 0;
  std::size_t at_ = 0;      // the first byte not yet decoded
  std::size_t runEnd_ = 0;  // the lines from at_ to here decode in one go
  FileEncoding runReading_ = FileEncoding::Ansi;
  bool runOther_ = false;
  std::size_t scan_ = 0;  // the lines up to here are handed to the chooser
  FieldParser parser_;
  Text decoded_;  // one buffer for every block, handed to the parser and back
  std::vector<std::size_t> bad_;
};

}  // namespace

void readMessages(InputFile& file, const MessageSink& store, ReadFacts* facts) {
  ReadFacts ignored;
  MessageReader reader(store, facts ? *facts : ignored);
  for (;;) {
    std::size_t got;
    try {
      got = file.read(reader.room(), kBlockSize);
    } catch (const RuntimeError&) {
      // What was read before the failure still counts.
      reader.finish(false);
      throw;
    }
    if (got == 0) break;
    reader.add(got);
  }
  reader.finish(true);
}

}  // namespace tepo
