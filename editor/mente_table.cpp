#include "editor/mente_table.h"

#include <memory>
#include <new>

#include "messages/line_starts.h"
#include "messages/message_writer.h"

namespace tepo {

namespace {

// What is on disk now. A file held by a writer cannot be read: whether it
// changed cannot be told, and the write will most likely fail anyway.
bool currentVersion(FileOps& ops, const Text& path, FileVersion& now) {
  try {
    now = ops.version(path);
    return true;
  } catch (const RuntimeError&) {
    return false;
  }
}

}  // namespace

// A file read through another, its bytes kept on the way.
class KeepingInput : public InputFile {
 public:
  KeepingInput(InputFile& file, std::string& kept) : file_(file), kept_(kept) {}
  std::size_t read(char* buffer, std::size_t size) override {
    std::size_t got = file_.read(buffer, size);
    kept_.append(buffer, got);
    return got;
  }

 private:
  InputFile& file_;
  std::string& kept_;
};

void MenteTable::reset(const Text& path) {
  // A copy first: path may be the table's own.
  MessageFile file;
  file.path = path;
  clear();
  file_ = std::move(file);
}

void MenteTable::clear() {
  menteList.assign(1, Text());
  notes_.assign(1, FieldNote());
  segmentOf_.assign(1, kNoSegment);
  menteCount = 0;
  loadComplete_ = true;
  modified_ = false;
  file_.encoding = FileEncoding::Ansi;
  bytes_.clear();
  segments_.clear();
  rest_ = kNoSegment;
}

void MenteTable::appendRead(TextView message, const FieldNote& note) {
  int16_t grown = add16(menteCount, 1);
  menteList.emplace_back();
  notes_.emplace_back();
  segmentOf_.emplace_back(kNoSegment);
  menteList[static_cast<std::size_t>(menteCount)] = Text(message);
  notes_[static_cast<std::size_t>(menteCount)] = note;
  menteCount = grown;
}

void MenteTable::read(InputFile& file) {
  clear();
  loadComplete_ = false;
  ReadFacts facts;
  KeepingInput keeping(file, bytes_);
  try {
    readMessages(
        keeping, [this](TextView message, const FieldNote& note) { appendRead(message, note); }, &facts);
  } catch (const RuntimeError& e) {
    file_.encoding = facts.encoding;
    if (e.code() == ErrorCode::Overflow) {
      // The rest of the file stays as it is: read it to its end, so that a
      // save can write it back behind the messages the table holds.
      try {
        readToTheEnd(keeping);
        loadComplete_ = true;
        findSegments(true, false);
      } catch (const RuntimeError&) {
      }
    }
    throw;
  } catch (const std::bad_alloc&) {
    file_.encoding = facts.encoding;
    raise(ErrorCode::OutOfMemory);
  }
  file_.encoding = facts.encoding;
  loadComplete_ = true;
  findSegments(false, facts.endsInsideCharacter);
}

void MenteTable::findSegments(bool overflowed, bool endsInsideCharacter) {
  const std::vector<std::size_t> starts = lineStarts(bytes_, file_.encoding);
  const std::size_t lines = starts.size() - 1;  // line ends in the bytes
  std::size_t line = 0;                         // line ends before the message
  std::size_t segmentLine = 0;
  int first = 0;
  for (int i = 0; i < menteCount; ++i) {
    const FieldLines& at = notes_[static_cast<std::size_t>(i)].lines;
    line += at.lineEnds;
    if (line > lines) break;
    if (!at.endsLine) continue;
    // The last message ends where the file ends, with or without a line end.
    const bool last = i + 1 == menteCount && !overflowed;
    segments_.push_back({starts[segmentLine], last ? bytes_.size() : starts[line], false});
    for (int k = first; k <= i; ++k)
      segmentOf_[static_cast<std::size_t>(k)] = static_cast<int32_t>(segments_.size() - 1);
    first = i + 1;
    segmentLine = line;
  }
  // The bytes do not hold the lines the reader found (a decoder that took a
  // line end into a character): nothing of the file is kept.
  const bool found = overflowed ? line <= lines : line == lines && first == menteCount;
  if (!found) {
    segments_.clear();
    std::fill(segmentOf_.begin(), segmentOf_.end(), kNoSegment);
    return;
  }
  if (overflowed) {
    // From the first line the table does not hold wholly to the end.
    segments_.push_back({starts[segmentLine], bytes_.size(), false});
    rest_ = static_cast<int32_t>(segments_.size() - 1);
    for (int k = first; k < menteCount; ++k) segmentOf_[static_cast<std::size_t>(k)] = rest_;
  }
  // A last line that ends inside a character, or half a UTF-16 unit, reads
  // otherwise once a line end follows it: it is written anew.
  const bool halfUnit = isUtf16(file_.encoding) && (bytes_.size() - std::min<std::size_t>(bytes_.size(), 2)) % 2 != 0;
  if ((endsInsideCharacter || halfUnit) && !segments_.empty() && !overflowed) segments_.back().touched = true;
}

void MenteTable::load(const Text& path, FileOps& ops) {
  reset(path);
  std::unique_ptr<InputFile> file;
  try {
    file = ops.open(path);
  } catch (const RuntimeError& e) {
    // Nothing was there to lose. A file that cannot be read may hold
    // anything: the question about an incomplete load speaks for it.
    loadComplete_ = e.code() == ErrorCode::FileNotFound;
    file_.known = loadComplete_;
    throw;
  }
  // The bytes the table keeps are the file's version too.
  try {
    read(*file);
  } catch (const RuntimeError&) {
    // Past the 32767th message the rest was read as well; after a read
    // error nothing is known of the file.
    file_.known = loadComplete_;
    if (file_.known) file_.version = versionOf(bytes_);
    throw;
  }
  file_.version = versionOf(bytes_);
  file_.known = true;
}

void MenteTable::load(InputFile& file) {
  reset();
  read(file);
}

MenteTable MenteTable::readBack(const std::string& bytes) {
  MenteTable back;
  BytesInput file(bytes);
  try {
    back.load(file);
  } catch (const RuntimeError&) {
    // Past the 32767th message: the rest is kept as it is.
  }
  return back;
}

void MenteTable::touch(int row) {
  const int32_t segment = segmentOf_[static_cast<std::size_t>(row)];
  if (segment != kNoSegment) segments_[static_cast<std::size_t>(segment)].touched = true;
}

int MenteTable::add(const Text& text) {
  // Checked before anything moves, so that a full table stays as it was.
  int16_t grown = add16(menteCount, 1);
  try {
    // Upper bound menteCount + 1: shrinks after deletions, grows by one otherwise.
    menteList.resize(static_cast<std::size_t>(grown) + 1);
    notes_.resize(menteList.size());
    segmentOf_.resize(menteList.size(), kNoSegment);
  } catch (const std::bad_alloc&) {
    raise(ErrorCode::OutOfMemory);
  }
  menteList[static_cast<std::size_t>(menteCount)] = text;
  menteList[static_cast<std::size_t>(grown)].clear();
  notes_[static_cast<std::size_t>(menteCount)] = FieldNote();
  segmentOf_[static_cast<std::size_t>(menteCount)] = kNoSegment;
  // The messages on the rest's first line are no longer the last ones.
  if (rest_ != kNoSegment && menteCount > 0 && segmentOf_[static_cast<std::size_t>(menteCount) - 1] == rest_) {
    segments_[static_cast<std::size_t>(rest_)].touched = true;
  }
  menteCount = grown;
  modified_ = true;
  return menteCount - 1;
}

void MenteTable::update(int row, const Text& text) {
  if (!isMessageRow(row)) raise(ErrorCode::SubscriptOutOfRange);
  menteList[static_cast<std::size_t>(row)] = text;
  // The user's own text now: nothing of the file is left in it to lose.
  touch(row);
  notes_[static_cast<std::size_t>(row)] = FieldNote();
  segmentOf_[static_cast<std::size_t>(row)] = kNoSegment;
  modified_ = true;
}

int MenteTable::remove(int row) {
  if (!isMessageRow(row)) raise(ErrorCode::SubscriptOutOfRange);
  touch(row);
  for (int i = row; i < menteCount; ++i) {
    menteList[static_cast<std::size_t>(i)] = std::move(menteList[static_cast<std::size_t>(i) + 1]);
    notes_[static_cast<std::size_t>(i)] = notes_[static_cast<std::size_t>(i) + 1];
    segmentOf_[static_cast<std::size_t>(i)] = segmentOf_[static_cast<std::size_t>(i) + 1];
  }
  // The vacated slot at the old count holds an empty string again.
  menteList[static_cast<std::size_t>(menteCount)].clear();
  notes_[static_cast<std::size_t>(menteCount)] = FieldNote();
  segmentOf_[static_cast<std::size_t>(menteCount)] = kNoSegment;
  menteCount = sub16(menteCount, 1);
  modified_ = true;
  // r - 1 > 0, not >= 0: deleting the second row selects the message that followed it.
  return row - 1 > 0 ? row - 1 : row;
}

MenteTable::LineEnd MenteTable::lineEndOf(const Segment& segment) const {
  const std::size_t unit = unitSize(file_.encoding);
  const std::size_t length = segment.end - segment.begin;
  if (length < unit) return LineEnd::None;
  const unsigned last = unitAt(bytes_, segment.end - unit, file_.encoding);
  if (last == '\r') return LineEnd::Cr;
  if (last != '\n') return LineEnd::None;
  return length >= 2 * unit && unitAt(bytes_, segment.end - 2 * unit, file_.encoding) == '\r' ? LineEnd::CrLf
                                                                                              : LineEnd::Lf;
}

bool MenteTable::keepable(int32_t segment, int row, int rows, int32_t before) const {
  const std::size_t next = static_cast<std::size_t>(segment) + 1;
  // A quote never closed runs to the end of the file: nothing may follow it,
  // and its line ends are its message's.
  if (notes_[static_cast<std::size_t>(row + rows - 1)].lines.unclosed) {
    return row + rows == menteCount && rest_ == kNoSegment;
  }
  // The reader's lines end at LF: a lone CR joins a line to what follows, so
  // such lines go back together or not at all.
  if (segment > 0 && lineEndOf(segments_[static_cast<std::size_t>(segment) - 1]) == LineEnd::Cr &&
      before != segment - 1) {
    return false;
  }
  if (lineEndOf(segments_[static_cast<std::size_t>(segment)]) != LineEnd::Cr) return true;
  if (row + rows == menteCount) {
    return rest_ == kNoSegment || (static_cast<std::size_t>(rest_) == next && !segments_[next].touched);
  }
  return static_cast<std::size_t>(segmentOf_[static_cast<std::size_t>(row + rows)]) == next && !segments_[next].touched;
}

void MenteTable::appendSegment(std::string& out, const Segment& segment, bool followed, bool unclosed) const {
  switch (unclosed ? LineEnd::CrLf : lineEndOf(segment)) {
    case LineEnd::Lf:
      out.append(bytes_, segment.begin, segment.end - unitSize(file_.encoding) - segment.begin);
      out += encodeText(u"\r\n", file_.encoding);
      break;
    case LineEnd::None:
      out.append(bytes_, segment.begin, segment.end - segment.begin);
      if (followed) out += encodeText(u"\r\n", file_.encoding);
      break;
    default:
      out.append(bytes_, segment.begin, segment.end - segment.begin);
      break;
  }
}

MenteTable::Output MenteTable::output(FileEncoding encoding, const std::vector<int>& anew) const {
  Output out;
  out.encoding = encoding;
  out.bytes = byteOrderMark(encoding);
  const bool keep = encoding == file_.encoding;
  // The writer's lines gather into one text, for one conversion.
  Text run;
  std::vector<std::size_t> runLineEnds;
  int runRow = 0;
  auto flush = [&] {
    if (runLineEnds.empty()) return;
    const std::size_t from = out.bytes.size();
    bool lossy = false;
    out.bytes += encodeText(run, encoding, &lossy);
    out.lossy = out.lossy || lossy;
    // Each line ends as the text said, CR and LF being the same in every encoding.
    const std::vector<std::size_t> starts = lineStarts(out.bytes, encoding, from);
    std::size_t line = 0;
    for (std::size_t k = 0; k < runLineEnds.size(); ++k) {
      const std::size_t begin = starts[line];
      line += runLineEnds[k];
      out.pieces.push_back({runRow + static_cast<int>(k), 1, false, begin, starts[std::min(line, starts.size() - 1)]});
    }
    run.clear();
    runLineEnds.clear();
  };
  std::vector<bool> written(segments_.size(), false);
  for (int row : anew) {
    const int32_t segment = segmentOf_[static_cast<std::size_t>(row)];
    if (segment != kNoSegment) written[static_cast<std::size_t>(segment)] = true;
  }
  int32_t before = kNoSegment;  // the segment just kept, if the last piece was one
  int i = 0;
  while (i < menteCount) {
    const int32_t segment = segmentOf_[static_cast<std::size_t>(i)];
    if (keep && segment != kNoSegment && !segments_[static_cast<std::size_t>(segment)].touched &&
        !written[static_cast<std::size_t>(segment)]) {
      // The rest's messages are the last ones: it follows everything.
      if (segment == rest_) break;
      int rows = 1;
      while (i + rows < menteCount && segmentOf_[static_cast<std::size_t>(i + rows)] == segment) ++rows;
      if (keepable(segment, i, rows, before)) {
        flush();
        const std::size_t begin = out.bytes.size();
        appendSegment(out.bytes, segments_[static_cast<std::size_t>(segment)], i + rows < menteCount,
                      notes_[static_cast<std::size_t>(i + rows - 1)].lines.unclosed);
        out.pieces.push_back({i, rows, true, begin, out.bytes.size()});
        before = segment;
        i += rows;
        continue;
      }
    }
    before = kNoSegment;
    if (runLineEnds.empty()) runRow = i;
    const std::size_t lineAt = run.size();
    appendLine(run, menteList[static_cast<std::size_t>(i)]);
    run += u"\r\n";
    // A lone CR or LF, which only a line no format can carry holds, ends a line too.
    std::size_t ends = 0;
    for (std::size_t k = lineAt; k < run.size(); ++k) {
      if (run[k] == u'\n' || (run[k] == u'\r' && run[k + 1] != u'\n')) ++ends;
    }
    runLineEnds.push_back(ends);
    ++i;
  }
  flush();
  if (rest_ != kNoSegment) {
    const Segment& rest = segments_[static_cast<std::size_t>(rest_)];
    if (keep && !rest.touched) {
      const std::size_t begin = out.bytes.size();
      out.bytes.append(bytes_, rest.begin, rest.end - rest.begin);
      out.pieces.push_back({i, menteCount - i, true, begin, out.bytes.size()});
      out.restKept = true;
    } else {
      out.restLost = true;
    }
  }
  return out;
}

Saving MenteTable::settle(FileEncoding encoding) const {
  Saving saving;
  std::vector<int> anew;
  // Each round writes at least one more stretch anew; a few are plenty.
  for (int round = 0; round < 4; ++round) {
    saving.output = output(encoding, anew);
    saving.back = readBack(saving.output.bytes);
    saving.reading = compare(saving.output, saving.back);
    const std::size_t before = anew.size();
    for (std::size_t p = 0; p < saving.reading.size(); ++p) {
      const Output::Piece& piece = saving.output.pieces[p];
      if (piece.kept && saving.reading[p].backRow >= 0 && !saving.reading[p].same) anew.push_back(piece.row);
    }
    if (anew.size() == before) break;
  }
  return saving;
}

std::vector<MenteTable::ReadBack> MenteTable::compare(const Output& out, const MenteTable& back) const {
  // Where each of back's segments begins among its rows.
  std::vector<int> firstRow(back.segments_.size() + 1, back.menteCount);
  for (int r = back.menteCount - 1; r >= 0; --r) {
    const int32_t segment = back.segmentOf_[static_cast<std::size_t>(r)];
    if (segment != kNoSegment) firstRow[static_cast<std::size_t>(segment)] = r;
  }
  for (std::size_t k = back.segments_.size(); k-- > 0;) firstRow[k] = std::min(firstRow[k], firstRow[k + 1]);
  std::vector<ReadBack> result(out.pieces.size());
  std::size_t j = 0;
  // The rest reads back as more messages than the table holds of it.
  const std::size_t compared = out.pieces.size() - (out.restKept ? 1 : 0);
  for (std::size_t p = 0; p < compared; ++p) {
    const Output::Piece& piece = out.pieces[p];
    while (j < back.segments_.size() && back.segments_[j].begin < piece.begin) ++j;
    if (j == back.segments_.size() || back.segments_[j].begin != piece.begin) continue;
    std::size_t k = j;
    while (k < back.segments_.size() && back.segments_[k].end < piece.end) ++k;
    if (k == back.segments_.size() || back.segments_[k].end != piece.end) continue;
    const int backRow = firstRow[j];
    const int backRows = firstRow[k + 1] - backRow;
    result[p].backRow = backRow;
    result[p].same = backRows == piece.rows;
    for (int r = 0; result[p].same && r < piece.rows; ++r) {
      result[p].same =
          back.menteList[static_cast<std::size_t>(backRow + r)] == menteList[static_cast<std::size_t>(piece.row + r)];
    }
  }
  // Bytes that begin as a byte order mark the output has none of are read
  // as that mark, and the file in its encoding: the first message a user
  // began with U+FEFF loses it, or, in the code page, all of them read as
  // UTF-16. Its lines match none of the bytes, so the first is marked here:
  // kept, the file's line is written anew; written anew, it is asked about.
  if (!result.empty() && byteOrderMark(out.encoding).empty() && !byteOrderMark(back.file_.encoding).empty()) {
    result[0].backRow = 0;
    result[0].same = false;
  }
  return result;
}

SaveResult MenteTable::write(const Text& path, FileOps& ops, const Saving& saving, const FileVersion* accepted) {
  const Output& out = saving.output;
  const MenteTable& back = saving.back;
  // Last before the write, since a question may have stood for minutes: what
  // is on disk now against what this table read or wrote there. A file it
  // never read has nothing of it to compare.
  FileVersion now;
  if (file_.known && path == file_.path && currentVersion(ops, path, now) &&
      now != (accepted ? *accepted : file_.version)) {
    SaveResult changed;
    changed.changedElsewhere = true;
    changed.onDisk = now;
    return changed;
  }
  SaveResult result = saveAtomically(ops, path, out.bytes);
  if (!result) return result;
  // The file is now what this table wrote: the next save asks nothing, and
  // keeps every line that reads back as the table holds it.
  file_.path = path;
  file_.version = versionOf(out.bytes);
  file_.known = true;
  modified_ = false;
  const std::vector<ReadBack>& reading = saving.reading;
  bytes_ = out.bytes;
  file_.encoding = back.file_.encoding;
  segments_ = back.segments_;
  rest_ = kNoSegment;
  for (std::size_t p = 0; p < out.pieces.size(); ++p) {
    const Output::Piece& piece = out.pieces[p];
    const bool rest = out.restKept && p + 1 == out.pieces.size();
    if (rest) {
      // Behind the messages, as it was: whatever the table holds of it.
      segments_.push_back({piece.begin, piece.end, false});
      rest_ = static_cast<int32_t>(segments_.size() - 1);
    }
    for (int r = 0; r < piece.rows; ++r) {
      const std::size_t row = static_cast<std::size_t>(piece.row + r);
      if (rest) {
        segmentOf_[row] = rest_;
      } else if (reading[p].same) {
        const std::size_t backRow = static_cast<std::size_t>(reading[p].backRow + r);
        notes_[row] = back.notes_[backRow];
        segmentOf_[row] = back.segmentOf_[backRow];
      } else {
        segmentOf_[row] = kNoSegment;
      }
    }
  }
  return result;
}

}  // namespace tepo
