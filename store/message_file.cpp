#include "store/message_file.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "store/ansi.h"
#include "store/fields.h"
#include "store/line_encoding.h"
#include "store/utf8.h"

namespace tepo {

namespace {

constexpr std::size_t kBlockSize = 256 * 1024;
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

bool isUtf8(FileEncoding encoding) { return encoding == FileEncoding::Utf8 || encoding == FileEncoding::Utf8Bom; }

// How much of the bytes ends on a whole character of the ANSI code page: a
// byte below 0x40 is never half of a two-byte character, so the text up to
// the last one is safe to decode; without one, walk the lead bytes from the
// start.
std::size_t ansiCompletePrefix(const char* bytes, std::size_t length) {
  for (std::size_t i = length; i > 0; --i) {
    if (static_cast<unsigned char>(bytes[i - 1]) < 0x40) return i;
  }
  std::size_t i = 0;
  while (i < length) {
    std::size_t step = ansi::isLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
    if (i + step > length) break;
    i += step;
  }
  return i;
}

// Turns the file's bytes, as they are read, into fields for store. A byte
// order mark settles the encoding at once. Without one each line is read on
// its own; the file's encoding is settled by its first line that only one
// reading takes, and lines before it that either could be wait for it. A
// Shift-JIS file settles at its first line with kana, a UTF-8 file at its
// first line that the code page cannot read, so both stream.
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
      if (!mainKnown_) settle(firstLean_ ? leanEncoding_ : sawEither_ ? FileEncoding::Utf8 : FileEncoding::Ansi);
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
    if (n >= 3 && bytes_.compare(0, 3, kUtf8Mark) == 0) {
      at_ = runEnd_ = scan_ = 3;
      settle(FileEncoding::Utf8Bom);
    }
    return true;
  }

  void settle(FileEncoding encoding) {
    main_ = encoding;
    mainKnown_ = true;
    facts_.encoding = encoding;
    // The lines that waited for it, in their order.
    std::vector<Waiting> waiting;
    waiting.swap(waiting_);
    std::size_t begin = runEnd_;
    for (Waiting& line : waiting) {
      place(begin, line.end, line.readings, false);
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
    std::size_t whole = isUtf8(main_) ? utf8::completePrefix(bytes, length) : ansiCompletePrefix(bytes, length);
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
      if (readings.utf8 && !readings.ascii) readAnsi(readings, at(begin), end - begin);
      switch (verdictOf(readings)) {
        case LineVerdict::Ansi:
          settle(FileEncoding::Ansi);
          break;
        case LineVerdict::Utf8:
          settle(FileEncoding::Utf8);
          break;
        case LineVerdict::LeansAnsi:
        case LineVerdict::LeansUtf8:
          if (!firstLean_) {
            firstLean_ = true;
            leanEncoding_ = verdictOf(readings) == LineVerdict::LeansAnsi ? FileEncoding::Ansi : FileEncoding::Utf8;
          }
          waiting_.push_back({end, readings});
          return;
        default:
          sawEither_ = sawEither_ || !readings.ascii;
          waiting_.push_back({end, readings});
          return;
      }
    }
    place(begin, end, readings, last);
  }

  // Decides how the line reads, the file's encoding being settled.
  void place(std::size_t begin, std::size_t end, LineReadings& readings, bool last) {
    const bool mainUtf8 = isUtf8(main_);
    bool utf8;
    if (readings.ascii) {
      utf8 = mainUtf8;
    } else if (!readings.utf8) {
      if (!mainUtf8) {
        utf8 = false;
      } else if (last && readings.utf8Cut) {
        // A character cut off at the end of a UTF-8 file: a writer at work.
        utf8 = true;
      } else {
        if (!readings.ansiKnown) readAnsi(readings, at(begin), end - begin);
        utf8 = !readings.ansi;
      }
    } else if (main_ == FileEncoding::Utf8Bom || (main_ == FileEncoding::Utf8 && readings.utf8Unlikely == 0)) {
      // The mark said UTF-8, or nothing in the line speaks against it.
      utf8 = true;
    } else {
      if (!readings.ansiKnown) readAnsi(readings, at(begin), end - begin);
      switch (verdictOf(readings)) {
        case LineVerdict::Utf8:
        case LineVerdict::LeansUtf8:
          utf8 = true;
          break;
        case LineVerdict::LeansAnsi:
          utf8 = false;
          break;
        default:
          utf8 = mainUtf8;
          break;
      }
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
                                                              : ansiCompletePrefix(at(begin), length);
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
      std::size_t length = std::min(end() - at_, kBlockSize) & ~std::size_t(1);
      if (length == 0 && !final) return;
      decoded_.resize(length / 2);
      const unsigned char* p = reinterpret_cast<const unsigned char*>(at(at_));
      for (std::size_t i = 0; i < length / 2; ++i) {
        const unsigned first = p[2 * i], second = p[2 * i + 1];
        decoded_[i] = static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
      }
      bad_.clear();
      if (length == 0) {
        // One byte of a unit that never ends.
        bad_.push_back(0);
        decoded_.assign(1, u'\uFFFD');
        facts_.endsInsideCharacter = true;
        length = 1;
      }
      at_ += length;
      parser_.feed(decoded_, &bad_);
      takeFields(false);
    }
  }

  void takeFields(bool atEnd) {
    // Each field is expanded where it lies and handed on without a copy.
    char16_t* field = nullptr;
    std::size_t length = 0;
    FieldNote note;
    while (parser_.next(field, length, atEnd, &note.changed, &note.otherEncoding)) {
      expandLineBreaks(field, length);
      store_(TextView(field, length), note);
    }
  }

  const MessageSink& store_;
  ReadFacts& facts_;
  Form form_ = Form::Unknown;
  FileEncoding main_ = FileEncoding::Ansi;
  bool mainKnown_ = false;
  bool firstLean_ = false;
  FileEncoding leanEncoding_ = FileEncoding::Ansi;
  bool sawEither_ = false;
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

void readMessageFile(const Text& path, const MessageSink& store, ReadFacts* facts) {
  std::unique_ptr<InputFile> file = openInput(path);
  readMessages(*file, store, facts);
}

namespace {

// Whether the reader would split or trim the message unless it is quoted, and
// whether quoting can carry it (it cannot hold a double quote). CR LF becomes
// "\n", which changes neither answer.
bool wantsQuotes(TextView message) {
  bool splitOrTrimmed = message.find(u',') != TextView::npos || (!message.empty() && message[0] == u' ');
  return splitOrTrimmed && message.find(u'"') == TextView::npos;
}

void appendLine(Text& out, TextView message) {
  bool quoted = wantsQuotes(message);
  if (quoted) out += u'"';
  std::size_t start = 0;
  for (std::size_t found; (found = message.find(u"\r\n", start)) != TextView::npos; start = found + 2) {
    out.append(message.substr(start, found - start));
    out += u"\\n";
  }
  out.append(message.substr(start));
  if (quoted) out += u'"';
}

}  // namespace

Text formatLine(const Text& message) {
  Text line;
  appendLine(line, message);
  return line;
}

std::string formatFile(const std::vector<Text>& messages, std::size_t count, FileEncoding encoding, bool* lossy) {
  if (lossy) *lossy = false;
  count = std::min(count, messages.size());
  std::size_t size = 0;
  for (std::size_t i = 0; i < count; ++i) size += messages[i].size() + 4;
  Text all;
  all.reserve(size);
  for (std::size_t i = 0; i < count; ++i) {
    appendLine(all, messages[i]);
    all += u"\r\n";
  }
  // One conversion for the whole file: far cheaper than one per line.
  switch (encoding) {
    case FileEncoding::Ansi:
      return ansi::encode(all, lossy);
    case FileEncoding::Utf8:
      return utf8::encode(all, lossy);
    case FileEncoding::Utf8Bom:
      return kUtf8Mark + utf8::encode(all, lossy);
    case FileEncoding::Utf16Le:
    case FileEncoding::Utf16Be:
      break;
  }
  // UTF-16 holds every unit as it is, even half of a pair.
  const bool bigEndian = encoding == FileEncoding::Utf16Be;
  std::string bytes(2 * (all.size() + 1), '\0');
  all.insert(all.begin(), u'\uFEFF');
  for (std::size_t i = 0; i < all.size(); ++i) {
    bytes[2 * i + (bigEndian ? 1 : 0)] = static_cast<char>(all[i] & 0xFF);
    bytes[2 * i + (bigEndian ? 0 : 1)] = static_cast<char>(all[i] >> 8);
  }
  return bytes;
}

namespace {

// A CR or LF that is not part of a CR LF pair: written as it is, it ends the
// line there for the reader.
bool hasLoneLineEnd(const Text& message) {
  for (std::size_t i = 0; i < message.size(); ++i) {
    if (message[i] == u'\r' && (i + 1 == message.size() || message[i + 1] != u'\n')) return true;
    if (message[i] == u'\n' && (i == 0 || message[i - 1] != u'\r')) return true;
  }
  return false;
}

}  // namespace

bool formatCannotCarry(const Text& message) {
  if (hasLoneLineEnd(message) || message.find(u"\\n") != Text::npos) return true;
  // Without a double quote, quoting carries commas and leading blanks.
  if (message.find(u'"') == Text::npos) return false;
  std::size_t first = message.find_first_not_of(u' ');
  return message[first] == u'"' || message[0] == u' ' || message.find(u',') != Text::npos;
}

bool hasUnrepresentable(const Text& message, FileEncoding encoding) {
  bool lossy = false;
  if (encoding == FileEncoding::Ansi) {
    ansi::encode(message, &lossy);
  } else if (isUtf8(encoding)) {
    utf8::encode(message, &lossy);
  }
  return lossy;
}

namespace {

// Bytes in memory, read as a file.
class BytesFile : public InputFile {
 public:
  explicit BytesFile(const std::string& bytes) : bytes_(bytes) {}
  std::size_t read(char* buffer, std::size_t size) override {
    std::size_t n = std::min(size, bytes_.size() - at_);
    std::memcpy(buffer, bytes_.data() + at_, n);
    at_ += n;
    return n;
  }

 private:
  const std::string& bytes_;
  std::size_t at_ = 0;
};

}  // namespace

int firstMisreadMessage(const std::string& bytes, const std::vector<Text>& messages, std::size_t count,
                        FileEncoding encoding) {
  // A mark leaves the reader no choice.
  if (encoding != FileEncoding::Ansi && encoding != FileEncoding::Utf8) return -1;
  std::vector<Text> back;
  bool otherEncoding = false;
  ReadFacts facts;
  BytesFile file(bytes);
  readMessages(
      file,
      [&](TextView message, const FieldNote& note) {
        back.emplace_back(message);
        otherEncoding = otherEncoding || note.otherEncoding;
      },
      &facts);
  if (facts.encoding == encoding && !otherEncoding) return -1;
  count = std::min(count, messages.size());
  for (std::size_t i = 0; i < count; ++i) {
    if (i >= back.size() || back[i] != messages[i]) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace tepo
