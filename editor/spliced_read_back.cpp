#include "editor/spliced_read_back.h"

#include <algorithm>
#include <string>

#include "editor/table_reader.h"
#include "messages/line_starts.h"

namespace tepo {

namespace {

// A line longer than this is read in pieces that depend on where it starts
// among the reader's blocks, so that it may read otherwise elsewhere.
constexpr std::size_t kLongestPiece = 64 * 1024;

// Whether the piece is one of the file's own stretches, byte for byte, that
// begins and ends a line both in the file and in the output, and was read
// where the file's encoding was known: such a piece reads back as it read.
bool unread(const MenteRows& table, const KeptFile& kept, const SaveOutput& out, const SaveOutput::Piece& piece) {
  if (!piece.kept || piece.rows == 0) return false;
  const int32_t stretch = table.stretch(piece.row);
  if (stretch == kNoStretch || kept.lineEndOf(stretch) != KeptFile::LineEnd::CrLf) return false;
  const KeptFile::Stretch& own = kept[stretch];
  const std::size_t unit = unitSize(out.encoding);
  return own.end - own.begin == piece.end - piece.begin && own.begin >= kept.settledAt() && own.begin >= unit &&
         piece.begin >= unit && unitAt(kept.bytes(), own.begin - unit, out.encoding) == '\n' &&
         unitAt(out.bytes, piece.begin - unit, out.encoding) == '\n';
}

void append(BackReading& back, const FieldNote& note, int32_t stretch, bool same) {
  back.rows.appendRead(TextView(), note);
  back.rows.setStretch(back.rows.count() - 1, stretch);
  back.same.push_back(same);
}

// The rows of the pieces read and of those not, in the output's order; false
// where a piece read does not read alone as its own rows.
bool splice(const MenteRows& table, const SaveOutput& out, const std::vector<char>& unreadPiece, const MenteRows& rows,
            const KeptFile& read, BackReading& back) {
  const PageVector<KeptFile::Stretch>& stretches = read.stretches();
  std::size_t j = 0;        // the next stretch read
  int next = 0;             // the next row read
  std::size_t skipped = 0;  // the bytes not read before the piece
  back.kept.clear();
  back.kept.setEncoding(read.encoding(), read.settledAt());
  // A stretch for each piece left out and each one read: the table of a full
  // file is not moved, page by page, as it grows.
  back.kept.reserve(stretches.size() + static_cast<std::size_t>(std::count(unreadPiece.begin(), unreadPiece.end(), 1)));
  back.rows.clear();
  back.rows.reserve(static_cast<std::size_t>(table.count()));
  back.same.clear();
  back.same.reserve(static_cast<std::size_t>(table.count()));
  for (std::size_t p = 0; p < out.pieces.size(); ++p) {
    const SaveOutput::Piece& piece = out.pieces[p];
    if (unreadPiece[p]) {
      const int32_t stretch = back.kept.add({piece.begin, piece.end, piece.rows, true});
      for (int r = 0; r < piece.rows; ++r) append(back, table.note(piece.row + r), stretch, true);
      skipped += piece.end - piece.begin;
      continue;
    }
    if (j == stretches.size() || stretches[j].begin + skipped != piece.begin) return false;
    for (int done = 0; done < piece.rows;) {
      if (j == stretches.size()) return false;
      const KeptFile::Stretch& s = stretches[j++];
      if (s.end + skipped > piece.end || done + s.rows > piece.rows) return false;
      const int32_t stretch = back.kept.add({s.begin + skipped, s.end + skipped, s.rows, s.keepable});
      for (int r = 0; r < s.rows; ++r, ++next, ++done) {
        // A quote left open takes in the lines that follow it in the whole
        // output, which were left out here.
        if (rows.note(next).lines.unclosed && p + 1 < out.pieces.size()) return false;
        append(back, rows.note(next), stretch, rows.text(next) == table.text(piece.row + done));
      }
    }
    if (back.kept.stretches().back().end != piece.end) return false;
  }
  return j == stretches.size() && next == rows.count();
}

}  // namespace

bool readSpliced(const MenteRows& table, const KeptFile& kept, const SaveOutput& out, BackReading& back) {
  if (out.encoding != kept.encoding() || kept.rest() != kNoStretch || out.restKept ||
      kept.settledAt() == std::string::npos || (isUtf16(out.encoding) && out.bytes.size() % 2 != 0)) {
    return false;
  }
  // The output without the pieces that read back as they read.
  std::vector<char> unreadPiece(out.pieces.size(), 0);
  std::string bytes;
  std::size_t from = 0;
  std::size_t firstUnread = std::string::npos;
  for (std::size_t p = 0; p < out.pieces.size(); ++p) {
    const SaveOutput::Piece& piece = out.pieces[p];
    if (piece.end - piece.begin > kLongestPiece) return false;
    if (!unread(table, kept, out, piece)) continue;
    unreadPiece[p] = 1;
    if (firstUnread == std::string::npos) firstUnread = piece.begin;
    bytes.append(out.bytes, from, piece.begin - from);
    from = piece.end;
  }
  if (firstUnread == std::string::npos) return false;
  bytes.append(out.bytes, from, std::string::npos);
  MenteRows rows;
  KeptFile read;
  read.takeBytes(std::move(bytes));
  try {
    TableReader(rows, read).readKept();
  } catch (const RuntimeError&) {
    return false;
  }
  // Up to the first piece left out, what was read is the output itself: its
  // encoding must be the file's, and known there.
  if (read.encoding() != kept.encoding() || read.settledAt() > firstUnread) return false;
  return splice(table, out, unreadPiece, rows, read, back);
}

}  // namespace tepo
