#include "editor/read_back.h"

#include <algorithm>
#include <memory>
#include <string>

#include "editor/spliced_read_back.h"
#include "editor/table_reader.h"
#include "messages/message_writer.h"

namespace tepo {

namespace {

// The output's bytes as a load would read them, each message compared with
// the table's row of its number as it arrives; where it can be told so, only
// what may read otherwise than the kept file says is read. The bytes stay
// the output's: the kept file holds them only while it reads.
class BackTable {
 public:
  BackTable(SaveOutput& out, const MenteRows& table, const KeptFile& file, ReadBack how) : bytes_(out.bytes) {
    if (how == ReadBack::Needed && readSpliced(table, file, out, result)) return;
    result.kept.takeBytes(std::move(out.bytes));
    TableReader reader(result.rows, result.kept);
    reader.compareWith(table, result.same);
    read(reader);
    out.bytes = std::move(result.kept.bytes());
  }

  // Whether the n messages from backRow on are the table's from row on.
  bool same(int backRow, const MenteRows& table, int row, int n) {
    for (int r = 0; r < n; ++r) {
      const bool equal = backRow == row ? result.same[static_cast<std::size_t>(row + r)] != 0
                                        : texts().text(backRow + r) == table.text(row + r);
      if (!equal) return false;
    }
    return true;
  }

  BackReading result;

 private:
  static void read(TableReader& reader) {
    try {
      reader.readKept();
    } catch (const RuntimeError&) {
      // Past the 32767th message: the rest is kept as it is.
    }
  }
  // The messages read back, for a piece that reads back in another place
  // than it is written (a line before it read as two messages, say).
  const MenteRows& texts() {
    if (!texts_) {
      texts_ = std::make_unique<MenteRows>();
      KeptFile kept;
      kept.takeBytes(std::move(bytes_));
      TableReader reader(*texts_, kept);
      read(reader);
      bytes_ = std::move(kept.bytes());
    }
    return *texts_;
  }

  std::string& bytes_;
  std::unique_ptr<MenteRows> texts_;
};

// Where each of back's stretches begins among its rows.
std::vector<int> firstRows(const BackTable& back) {
  const std::size_t stretches = back.result.kept.stretches().size();
  std::vector<int> first(stretches + 1, back.result.rows.count());
  for (int r = back.result.rows.count() - 1; r >= 0; --r) {
    const int32_t stretch = back.result.rows.stretch(r);
    if (stretch != kNoStretch) first[static_cast<std::size_t>(stretch)] = r;
  }
  for (std::size_t k = stretches; k-- > 0;) first[k] = std::min(first[k], first[k + 1]);
  return first;
}

// How each piece of the output reads back as back.
std::vector<PieceReading> compare(const MenteRows& rows, const SaveOutput& out, BackTable& back) {
  const PageVector<KeptFile::Stretch>& stretches = back.result.kept.stretches();
  const std::vector<int> firstRow = firstRows(back);
  std::vector<PieceReading> result(out.pieces.size());
  std::size_t j = 0;
  // The rest reads back as more messages than the rows hold of it.
  const std::size_t compared = out.pieces.size() - (out.restKept ? 1 : 0);
  for (std::size_t p = 0; p < compared; ++p) {
    const SaveOutput::Piece& piece = out.pieces[p];
    while (j < stretches.size() && stretches[j].begin < piece.begin) ++j;
    if (j == stretches.size() || stretches[j].begin != piece.begin) continue;
    std::size_t k = j;
    while (k < stretches.size() && stretches[k].end < piece.end) ++k;
    if (k == stretches.size() || stretches[k].end != piece.end) continue;
    const int backRow = firstRow[j];
    result[p].backRow = backRow;
    // A line the output ends inside a character of (its bytes read in
    // another encoding than the file's did) is one the next save writes
    // anew: this one does.
    bool keepable = true;
    for (std::size_t s = j; s <= k; ++s) keepable = keepable && stretches[s].keepable;
    result[p].same =
        keepable && firstRow[k + 1] - backRow == piece.rows && back.same(backRow, rows, piece.row, piece.rows);
  }
  // Bytes that begin as a byte order mark the output has none of are read
  // as that mark, and the file in its encoding: the first message a user
  // began with U+FEFF loses it, or, in the code page, all of them read as
  // UTF-16. Its lines match none of the bytes, so the first is marked here:
  // kept, the file's line is written anew; written anew, it is asked about.
  if (!result.empty() && byteOrderMark(out.encoding).empty() && !byteOrderMark(back.result.kept.encoding()).empty()) {
    result[0] = PieceReading{0, false};
  }
  return result;
}

// What the editor knows of each row once the bytes are on disk: a row that
// reads back as it is has the origin back gives it; the rest keeps its
// rows behind the others.
void takeOrigins(const MenteRows& rows, BackTable& back, Saving& saving) {
  const SaveOutput& out = saving.output;
  saving.back = std::move(back.result.kept);
  saving.back.releaseBytes();
  saving.back.forgetRest();
  saving.origins.assign(static_cast<std::size_t>(rows.count()), RowOrigin());
  for (std::size_t p = 0; p < out.pieces.size(); ++p) {
    const SaveOutput::Piece& piece = out.pieces[p];
    const bool rest = out.restKept && p + 1 == out.pieces.size();
    const int32_t restStretch = rest ? saving.back.addRest(piece.begin, piece.end, piece.rows) : kNoStretch;
    for (int r = 0; r < piece.rows; ++r) {
      RowOrigin& origin = saving.origins[static_cast<std::size_t>(piece.row + r)];
      if (!rest && saving.reading[p].same) {
        origin = back.result.rows[saving.reading[p].backRow + r].origin;
      } else {
        origin = RowOrigin{rows.note(piece.row + r), restStretch};
      }
    }
  }
}

}  // namespace

Saving settle(const MenteRows& rows, const KeptFile& kept, FileEncoding encoding, ReadBack how) {
  Saving saving;
  std::vector<int> anew;
  // Each round writes at least one more stretch anew; a few are plenty.
  for (int round = 0;; ++round) {
    saving.output = formatSave(rows, kept, encoding, anew);
    BackTable back(saving.output, rows, kept, how);
    saving.reading = compare(rows, saving.output, back);
    const std::size_t before = anew.size();
    for (std::size_t p = 0; p < saving.reading.size(); ++p) {
      const SaveOutput::Piece& piece = saving.output.pieces[p];
      if (piece.kept && saving.reading[p].backRow >= 0 && !saving.reading[p].same) anew.push_back(piece.row);
    }
    if (anew.size() == before || round == 3) {
      takeOrigins(rows, back, saving);
      return saving;
    }
  }
}

}  // namespace tepo
