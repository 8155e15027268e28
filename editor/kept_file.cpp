#include "editor/kept_file.h"

#include <algorithm>

#include "messages/line_starts.h"
#include "messages/message_writer.h"

namespace tepo {

namespace {

// CR LF in each encoding, in the order of FileEncoding, made once: a file of
// LF lines needs it behind every one of its stretches.
const std::string& crLf(FileEncoding encoding) {
  static const std::string forms[] = {
      encodeText(u"\r\n", FileEncoding::Ansi),    encodeText(u"\r\n", FileEncoding::Utf8),
      encodeText(u"\r\n", FileEncoding::Utf8Bom), encodeText(u"\r\n", FileEncoding::Utf16Le),
      encodeText(u"\r\n", FileEncoding::Utf16Be),
  };
  return forms[static_cast<std::size_t>(encoding)];
}

}  // namespace

void KeptFile::clear() {
  // Not clear(): the room the bytes took would stay the string's.
  releaseBytes();
  clearStretches();
}

void KeptFile::clearStretches() {
  setEncoding(FileEncoding::Ansi);
  PageVector<Stretch>().swap(stretches_);
  rest_ = kNoStretch;
}

int32_t KeptFile::addStretch(MenteRows& rows, int first, int end, std::size_t begin, std::size_t stop) {
  const auto stretch = static_cast<int32_t>(stretches_.size());
  stretches_.push_back({begin, stop, end - first, true});
  for (int row = first; row < end; ++row) rows.setStretch(row, stretch);
  return stretch;
}

int32_t KeptFile::addRest(std::size_t begin, std::size_t end, int rows) {
  stretches_.push_back({begin, end, rows, true});
  rest_ = static_cast<int32_t>(stretches_.size() - 1);
  return rest_;
}

void KeptFile::find(MenteRows& rows, bool overflowed, bool endsInsideCharacter) {
  const std::vector<std::size_t> starts = lineStarts(bytes_, encoding_);
  const std::size_t lines = starts.size() - 1;  // line ends in the bytes
  std::size_t line = 0;                         // line ends before the message
  std::size_t stretchLine = 0;
  const int count = rows.count();
  // A stretch per line at most, and the rest.
  stretches_.reserve(std::min(lines, static_cast<std::size_t>(count)) + 1);
  int first = 0;
  for (int i = 0; i < count; ++i) {
    const FieldLines& at = rows.note(i).lines;
    line += at.lineEnds;
    if (line > lines) break;
    if (!at.endsLine) continue;
    // The last message ends where the file ends, with or without a line end.
    const bool last = i + 1 == count && !overflowed;
    addStretch(rows, first, i + 1, starts[stretchLine], last ? bytes_.size() : starts[line]);
    first = i + 1;
    stretchLine = line;
  }
  // The bytes do not hold the lines the reader found (a decoder that took a
  // line end into a character): nothing of the file is kept.
  const bool found = overflowed ? line <= lines : line == lines && first == count;
  if (!found) {
    stretches_.clear();
    for (int row = 0; row < count; ++row) rows.setStretch(row, kNoStretch);
    return;
  }
  if (overflowed) rest_ = addStretch(rows, first, count, starts[stretchLine], bytes_.size());
  // A last line that ends inside a character, or half a UTF-16 unit, reads
  // otherwise once a line end follows it: it is written anew.
  const bool halfUnit = isUtf16(encoding_) && (bytes_.size() - std::min<std::size_t>(bytes_.size(), 2)) % 2 != 0;
  if ((endsInsideCharacter || halfUnit) && !stretches_.empty() && !overflowed) stretches_.back().keepable = false;
}

std::vector<bool> KeptFile::intact(const MenteRows& rows) const {
  // A stretch's rows never move apart: counting them tells whether any went.
  std::vector<int> seen(stretches_.size(), 0);
  int lastOfRest = -1;
  for (int row = 0; row < rows.count(); ++row) {
    const int32_t stretch = rows.stretch(row);
    if (stretch == kNoStretch) continue;
    ++seen[static_cast<std::size_t>(stretch)];
    if (stretch == rest_) lastOfRest = row;
  }
  std::vector<bool> result(stretches_.size());
  for (std::size_t k = 0; k < stretches_.size(); ++k) {
    result[k] = stretches_[k].keepable && seen[k] == stretches_[k].rows;
  }
  // The messages on the rest's first line must stay the last ones.
  if (rest_ != kNoStretch && lastOfRest >= 0 && lastOfRest + 1 != rows.count()) {
    result[static_cast<std::size_t>(rest_)] = false;
  }
  return result;
}

KeptFile::LineEnd KeptFile::lineEndOf(int32_t stretch) const {
  const Stretch& s = (*this)[stretch];
  const std::size_t unit = unitSize(encoding_);
  const std::size_t length = s.end - s.begin;
  if (length < unit) return LineEnd::None;
  const unsigned last = unitAt(bytes_, s.end - unit, encoding_);
  if (last == '\r') return LineEnd::Cr;
  if (last != '\n') return LineEnd::None;
  return length >= 2 * unit && unitAt(bytes_, s.end - 2 * unit, encoding_) == '\r' ? LineEnd::CrLf : LineEnd::Lf;
}

void KeptFile::append(std::string& out, int32_t stretch, bool followed, bool unclosed) const {
  const Stretch& s = (*this)[stretch];
  if (appendsAsIs(stretch, followed, unclosed)) {
    out.append(bytes_, s.begin, s.end - s.begin);
  } else if (lineEndOf(stretch) == LineEnd::Lf) {
    out.append(bytes_, s.begin, s.end - unitSize(encoding_) - s.begin);
    out += crLf(encoding_);
  } else {
    out.append(bytes_, s.begin, s.end - s.begin);
    out += crLf(encoding_);
  }
}

}  // namespace tepo
