#include "store/message_file.h"

#include <algorithm>
#include <memory>

#include "store/ansi.h"
#include "store/fields.h"

namespace tepo {

namespace {

constexpr std::size_t kBlockSize = 256 * 1024;

// How much of the bytes ends on a whole character: a byte below 0x40 is never
// half of a two-byte character, so the text up to the last one is safe to
// decode; without one, walk the lead bytes from the start.
std::size_t completePrefix(const std::string& bytes) {
  for (std::size_t i = bytes.size(); i > 0; --i) {
    if (static_cast<unsigned char>(bytes[i - 1]) < 0x40) return i;
  }
  std::size_t i = 0;
  while (i < bytes.size()) {
    std::size_t step = ansi::isLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
    if (i + step > bytes.size()) break;
    i += step;
  }
  return i;
}

}  // namespace

void readMessages(InputFile& file, const std::function<void(TextView)>& store) {
  FieldParser parser;
  std::string pending;
  std::unique_ptr<char[]> block(new char[kBlockSize]);
  bool atEnd = false;
  Text decoded;  // one buffer for every block
  for (;;) {
    // Each field is expanded where it lies and handed on without a copy.
    char16_t* field = nullptr;
    std::size_t length = 0;
    while (parser.next(field, length, atEnd)) {
      expandLineBreaks(field, length);
      store(TextView(field, length));
    }
    if (atEnd) return;

    std::size_t got = file.read(block.get(), kBlockSize);
    if (got == 0) {
      atEnd = true;
      ansi::decodeInto(pending.data(), pending.size(), decoded);
      parser.feed(decoded);
      pending.clear();
      continue;
    }
    pending.append(block.get(), got);
    std::size_t whole = completePrefix(pending);
    ansi::decodeInto(pending.data(), whole, decoded);
    parser.feed(decoded);
    pending.erase(0, whole);
  }
}

void readMessageFile(const Text& path, const std::function<void(TextView)>& store) {
  std::unique_ptr<InputFile> file = openInput(path);
  readMessages(*file, store);
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

std::string formatFile(const std::vector<Text>& messages, std::size_t count, bool* lossy) {
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
  return ansi::encode(all, lossy);
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
  if (hasLoneLineEnd(message)) return true;
  // Without a double quote, quoting carries commas and leading blanks.
  if (message.find(u'"') == Text::npos) return false;
  std::size_t first = message.find_first_not_of(u' ');
  return message[first] == u'"' || message[0] == u' ' || message.find(u',') != Text::npos;
}

bool hasUnrepresentable(const Text& message) {
  bool lossy = false;
  ansi::encode(message, &lossy);
  return lossy;
}

}  // namespace tepo
