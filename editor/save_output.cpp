#include "editor/save_output.h"

#include <algorithm>

#include "messages/line_starts.h"
#include "messages/message_writer.h"

namespace tepo {

namespace {

// The writer's lines between two kept stretches, gathered into one text for
// one conversion.
class LineRun {
 public:
  explicit LineRun(SaveOutput& out) : out_(out) {}

  void add(int row, TextView message) {
    if (lineEnds_.empty()) first_ = row;
    const std::size_t lineAt = text_.size();
    appendLine(text_, message);
    text_ += u"\r\n";
    // A lone CR or LF, which only a line no format can carry holds, ends a line too.
    std::size_t ends = 0;
    for (std::size_t k = lineAt; k < text_.size(); ++k) {
      if (text_[k] == u'\n' || (text_[k] == u'\r' && text_[k + 1] != u'\n')) ++ends;
    }
    lineEnds_.push_back(ends);
  }

  bool empty() const { return lineEnds_.empty(); }

  void flush() {
    if (lineEnds_.empty()) return;
    const std::size_t from = out_.bytes.size();
    bool lossy = false;
    out_.bytes += encodeText(text_, out_.encoding, &lossy);
    out_.lossy = out_.lossy || lossy;
    // Each line ends as the text said, CR and LF being the same in every encoding.
    const std::vector<std::size_t> starts = lineStarts(out_.bytes, out_.encoding, from);
    std::size_t line = 0;
    for (std::size_t k = 0; k < lineEnds_.size(); ++k) {
      const std::size_t begin = starts[line];
      line += lineEnds_[k];
      out_.pieces.push_back({first_ + static_cast<int>(k), 1, false, begin, starts[std::min(line, starts.size() - 1)]});
    }
    text_.clear();
    lineEnds_.clear();
  }

 private:
  SaveOutput& out_;
  Text text_;
  std::vector<std::size_t> lineEnds_;
  int first_ = 0;
};

class Formatter {
 public:
  Formatter(const MenteRows& rows, const KeptFile& kept, SaveOutput& out)
      : rows_(rows), kept_(kept), out_(out), intact_(kept.intact(rows)), run_(out) {}

  void format(const std::vector<int>& anew);

 private:
  bool keepable(int32_t stretch, int row, int count, int32_t before) const;
  // Writes the stretch of the rows from row on as it was, if it may go back so.
  bool keep(int32_t stretch, int row, int& count, int32_t before);
  void appendRest(int row);
  // The file's own bytes go out in runs as long as they lie together in the
  // file, not one line at a time; written() counts the run not copied yet.
  void copyKept() {
    out_.bytes.append(kept_.bytes(), copyFrom_, copyTo_ - copyFrom_);
    copyFrom_ = copyTo_ = 0;
  }
  std::size_t written() const { return out_.bytes.size() + (copyTo_ - copyFrom_); }
  void flushRun() {
    if (run_.empty()) return;
    copyKept();
    run_.flush();
  }

  const MenteRows& rows_;
  const KeptFile& kept_;
  SaveOutput& out_;
  std::vector<bool> intact_;
  LineRun run_;
  std::size_t copyFrom_ = 0, copyTo_ = 0;  // in the kept file
};

// Whether the stretch of the rows from row on may go back as it was read
// when what follows it is written as the output has it.
bool Formatter::keepable(int32_t stretch, int row, int count, int32_t before) const {
  const int end = row + count;
  const int32_t next = stretch + 1;
  const int32_t rest = kept_.rest();
  // A quote never closed runs to the end of the file: nothing may follow it,
  // and its line ends are its message's.
  if (rows_.note(end - 1).lines.unclosed) return end == rows_.count() && rest == kNoStretch;
  // The reader's lines end at LF: a lone CR joins a line to what follows, so
  // such lines go back together or not at all.
  using LineEnd = KeptFile::LineEnd;
  if (stretch > 0 && kept_.lineEndOf(stretch - 1) == LineEnd::Cr && before != stretch - 1) return false;
  if (kept_.lineEndOf(stretch) != LineEnd::Cr) return true;
  const bool nextIntact = static_cast<std::size_t>(next) < intact_.size() && intact_[static_cast<std::size_t>(next)];
  if (end == rows_.count()) return rest == kNoStretch || (rest == next && nextIntact);
  return rows_.stretch(end) == next && nextIntact;
}

bool Formatter::keep(int32_t stretch, int row, int& count, int32_t before) {
  count = 1;
  while (row + count < rows_.count() && rows_.stretch(row + count) == stretch) ++count;
  if (!keepable(stretch, row, count, before)) return false;
  flushRun();
  const std::size_t begin = written();
  const bool followed = row + count < rows_.count(), unclosed = rows_.note(row + count - 1).lines.unclosed;
  const KeptFile::Stretch& own = kept_[stretch];
  if (!kept_.appendsAsIs(stretch, followed, unclosed)) {
    copyKept();
    kept_.append(out_.bytes, stretch, followed, unclosed);
  } else {
    if (own.begin != copyTo_) {
      copyKept();
      copyFrom_ = own.begin;
    }
    copyTo_ = own.end;
  }
  out_.pieces.push_back({row, count, true, begin, written()});
  return true;
}

void Formatter::format(const std::vector<int>& anew) {
  // The file's own bytes go back only in the encoding they were read in.
  const bool keeping = out_.encoding == kept_.encoding();
  std::vector<bool> written(intact_.size(), false);
  for (int row : anew) {
    if (rows_.stretch(row) != kNoStretch) written[static_cast<std::size_t>(rows_.stretch(row))] = true;
  }
  const int32_t rest = kept_.rest();
  int32_t before = kNoStretch;  // the stretch just kept, if the last piece was one
  int row = 0;
  while (row < rows_.count()) {
    const int32_t stretch = rows_.stretch(row);
    if (keeping && stretch != kNoStretch && intact_[static_cast<std::size_t>(stretch)] &&
        !written[static_cast<std::size_t>(stretch)]) {
      // The rest's messages are the last ones: it follows everything.
      if (stretch == rest) break;
      int count = 0;
      if (keep(stretch, row, count, before)) {
        before = stretch;
        row += count;
        continue;
      }
    }
    before = kNoStretch;
    run_.add(row, rows_.text(row));
    ++row;
  }
  flushRun();
  copyKept();
  if (rest == kNoStretch) return;
  if (keeping && intact_[static_cast<std::size_t>(rest)]) {
    appendRest(row);
  } else {
    out_.restLost = true;
  }
}

void Formatter::appendRest(int row) {
  const KeptFile::Stretch& rest = kept_[kept_.rest()];
  const std::size_t begin = out_.bytes.size();
  out_.bytes.append(kept_.bytes(), rest.begin, rest.end - rest.begin);
  out_.pieces.push_back({row, rows_.count() - row, true, begin, out_.bytes.size()});
  out_.restKept = true;
}

}  // namespace

SaveOutput formatSave(const MenteRows& rows, const KeptFile& kept, FileEncoding encoding,
                      const std::vector<int>& anew) {
  SaveOutput out;
  out.encoding = encoding;
  out.bytes = byteOrderMark(encoding);
  // About the file's size with room for what was added or lengthened, and a
  // piece per row at most and the rest: the output does not move as it
  // grows, which would copy it whole into new pages.
  const std::size_t room = kept.bytes().size() + std::max<std::size_t>(kept.bytes().size() / 16, 64 * 1024);
  out.bytes.reserve(room + out.bytes.size());
  out.pieces.reserve(static_cast<std::size_t>(rows.count()) + 1);
  Formatter(rows, kept, out).format(anew);
  return out;
}

}  // namespace tepo
