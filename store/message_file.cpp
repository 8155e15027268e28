#include "store/message_file.h"

#include <algorithm>
#include <memory>

#include "store/ansi.h"
#include "store/fields.h"
#include "store/utf8.h"

namespace tepo {

namespace {

constexpr std::size_t kBlockSize = 256 * 1024;
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

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

// Turns the file's bytes, as they are read, into fields for store. Which
// encoding the file is in decides itself as early as the bytes allow: at the
// byte order mark, or at the first byte that is no UTF-8. Until then ASCII is
// read at once (it is the same in both), and bytes beyond it that are
// well-formed UTF-8 wait: only the end of the file can tell that all of it is.
// A Shift-JIS file is never well-formed UTF-8 for long, so it streams.
class MessageReader {
 public:
  MessageReader(const MessageSink& store, FileEncoding* encoding) : store_(store), encoding_(encoding) {}

  void add(const char* bytes, std::size_t length) {
    // Bytes already decoded go first, now and then, so that what is pending
    // stays small when the file streams.
    if (at_ > 0 && at_ >= bytes_.size() / 2) {
      bytes_.erase(0, at_);
      at_ = 0;
    }
    bytes_.append(bytes, length);
    if (state_ == State::Start) {
      if (pendingSize() < 3) return;
      if (bytes_.compare(at_, 3, kByteOrderMark) == 0) {
        at_ += 3;
        decide(FileEncoding::Utf8Bom);
      } else {
        state_ = State::Ascii;
      }
    }
    if (state_ == State::Ascii) readAscii();
    if (state_ == State::Utf8SoFar) checkUtf8();
    if (state_ == State::Decided) decodePending(false);
  }

  // complete: the file was read to its end; otherwise a read failed, and what
  // it cut off is no message.
  void finish(bool complete) {
    if (state_ == State::Start || state_ == State::Ascii) {
      decide(FileEncoding::Ansi);
    } else if (state_ == State::Utf8SoFar) {
      checkUtf8();
      const bool wholeFile = at_ + checked_ == bytes_.size();
      if (state_ != State::Decided) decide(wholeFile || !complete ? FileEncoding::Utf8 : FileEncoding::Ansi);
    }
    decodePending(complete);
    if (complete) takeFields(true);
  }

 private:
  enum class State { Start, Ascii, Utf8SoFar, Decided };

  std::size_t pendingSize() const { return bytes_.size() - at_; }

  void decide(FileEncoding found) {
    found_ = found;
    if (encoding_) *encoding_ = found;
    state_ = State::Decided;
  }

  // ASCII reads the same in either encoding: it is taken at once.
  void readAscii() {
    std::size_t ascii = 0;
    while (at_ + ascii < bytes_.size() && static_cast<unsigned char>(bytes_[at_ + ascii]) < 0x80) ++ascii;
    decode(ascii, false);
    if (pendingSize() > 0) state_ = State::Utf8SoFar;
  }

  void checkUtf8() {
    bool illFormed = false;
    checked_ += utf8::wellFormedPrefix(bytes_.data() + at_ + checked_, pendingSize() - checked_, illFormed);
    if (illFormed) decide(FileEncoding::Ansi);
  }

  // Decodes what is pending in blocks of a bounded size, each up to its last
  // whole character unless it ends the complete file.
  void decodePending(bool complete) {
    const bool ansiFile = found_ == FileEncoding::Ansi;
    while (pendingSize() > 0) {
      const char* bytes = bytes_.data() + at_;
      std::size_t length = std::min(kBlockSize, pendingSize());
      if (!complete || length < pendingSize()) {
        length = ansiFile ? ansiCompletePrefix(bytes, length) : utf8::completePrefix(bytes, length);
        if (length == 0) return;  // a character that more bytes would complete
      }
      decode(length, ansiFile);
    }
  }

  void decode(std::size_t length, bool ansiFile) {
    if (length == 0) return;
    bad_.clear();
    if (ansiFile) {
      ansi::decodeInto(bytes_.data() + at_, length, decoded_, &bad_);
    } else {
      utf8::decodeInto(bytes_.data() + at_, length, decoded_, &bad_);
    }
    at_ += length;
    checked_ = 0;
    parser_.feed(decoded_, &bad_);
    takeFields(false);
  }

  void takeFields(bool atEnd) {
    // Each field is expanded where it lies and handed on without a copy.
    char16_t* field = nullptr;
    std::size_t length = 0;
    bool changed = false;
    while (parser_.next(field, length, atEnd, &changed)) {
      expandLineBreaks(field, length);
      store_(TextView(field, length), changed);
    }
  }

  const MessageSink& store_;
  FileEncoding* encoding_;
  State state_ = State::Start;
  FileEncoding found_ = FileEncoding::Ansi;
  std::string bytes_;  // read, and from at_ on not yet decoded
  std::size_t at_ = 0;
  std::size_t checked_ = 0;  // of the pending bytes, found to be well-formed UTF-8
  FieldParser parser_;
  Text decoded_;  // one buffer for every block
  std::vector<std::size_t> bad_;
};

}  // namespace

void readMessages(InputFile& file, const MessageSink& store, FileEncoding* encoding) {
  MessageReader reader(store, encoding);
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

void readMessageFile(const Text& path, const MessageSink& store, FileEncoding* encoding) {
  std::unique_ptr<InputFile> file = openInput(path);
  readMessages(*file, store, encoding);
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
  if (encoding == FileEncoding::Ansi) return ansi::encode(all, lossy);
  std::string bytes = encoding == FileEncoding::Utf8Bom ? kByteOrderMark : "";
  return bytes + utf8::encode(all, lossy);
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
  } else {
    utf8::encode(message, &lossy);
  }
  return lossy;
}

}  // namespace tepo
