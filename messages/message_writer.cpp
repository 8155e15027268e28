// The message file's writer: messages to bytes, and what the reader would
// make of them.
#include <algorithm>
#include <cstring>

#include "encodings/ansi.h"
#include "encodings/utf16.h"
#include "encodings/utf8.h"
#include "messages/message_writer.h"

namespace tepo {

namespace {

// Whether the reader would split or trim the message unless it is quoted, and
// whether quoting can carry it (it cannot hold a double quote). CR LF becomes
// "\n", which changes neither answer.
bool wantsQuotes(TextView message) {
  bool splitOrTrimmed = message.find(u',') != TextView::npos || (!message.empty() && message[0] == u' ');
  return splitOrTrimmed && message.find(u'"') == TextView::npos;
}

}  // namespace

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

Text formatLine(const Text& message) {
  Text line;
  appendLine(line, message);
  return line;
}

std::string byteOrderMark(FileEncoding encoding) {
  switch (encoding) {
    case FileEncoding::Utf8Bom:
      return utf8::kByteOrderMark;
    case FileEncoding::Utf16Le:
    case FileEncoding::Utf16Be:
      return utf16::encode(u"\uFEFF", encoding == FileEncoding::Utf16Be);
    default:
      return std::string();
  }
}

std::string encodeText(const Text& text, FileEncoding encoding, bool* lossy) {
  if (lossy) *lossy = false;
  switch (encoding) {
    case FileEncoding::Ansi:
      return ansi::encodeForFile(text, lossy);
    case FileEncoding::Utf8:
    case FileEncoding::Utf8Bom:
      return utf8::encode(text, lossy);
    case FileEncoding::Utf16Le:
    case FileEncoding::Utf16Be:
      break;
  }
  // UTF-16 holds every unit as it is, even half of a pair.
  return utf16::encode(text, encoding == FileEncoding::Utf16Be);
}

std::string formatFile(const std::vector<Text>& messages, std::size_t count, FileEncoding encoding, bool* lossy) {
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
  return byteOrderMark(encoding) + encodeText(all, encoding, lossy);
}

namespace {

// A CR or LF that is not part of a CR LF pair: written as it is, it ends the
// line there for the reader.
bool hasLoneLineEnd(TextView message) {
  for (std::size_t i = 0; i < message.size(); ++i) {
    if (message[i] == u'\r' && (i + 1 == message.size() || message[i + 1] != u'\n')) return true;
    if (message[i] == u'\n' && (i == 0 || message[i - 1] != u'\r')) return true;
  }
  return false;
}

}  // namespace

bool formatCannotCarry(TextView message) {
  if (hasLoneLineEnd(message) || message.find(u"\\n") != Text::npos) return true;
  // Without a double quote, quoting carries commas and leading blanks.
  if (message.find(u'"') == Text::npos) return false;
  std::size_t first = message.find_first_not_of(u' ');
  return message[first] == u'"' || message[0] == u' ' || message.find(u',') != Text::npos;
}

bool hasUnrepresentable(TextView message, FileEncoding encoding) {
  bool lossy = false;
  encodeText(Text(message), encoding, &lossy);
  return lossy;
}

}  // namespace tepo
