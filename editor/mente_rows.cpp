#include "editor/mente_rows.h"

#include <new>
#include <utility>

namespace tepo {

void MenteRows::clear() {
  // A new vector, not assign: the room of a cleared one would stay.
  PageVector<MenteRow>(1).swap(menteList);
  characters_.clear();
  menteCount = 0;
  modified_ = false;
}

void MenteRows::appendRead(TextView message, const FieldNote& note) {
  const int16_t grown = add16(menteCount, 1);
  const TextView stored = characters_.store(message);
  menteList.push_back(MenteRow());
  MenteRow& row = at(menteCount);
  row.text = stored;
  row.origin.note = note;
  menteCount = grown;
}

int MenteRows::add(const Text& text) {
  // Checked before anything moves, so that a full table stays as it was.
  const int16_t grown = add16(menteCount, 1);
  TextView stored;
  try {
    stored = characters_.store(text);
    // Upper bound menteCount + 1: shrinks after deletions, grows by one otherwise.
    menteList.resize(static_cast<std::size_t>(grown) + 1);
  } catch (const std::bad_alloc&) {
    raise(ErrorCode::OutOfMemory);
  }
  at(menteCount) = MenteRow{stored, RowOrigin()};
  at(grown) = MenteRow();
  menteCount = grown;
  modified_ = true;
  return menteCount - 1;
}

void MenteRows::update(int row, const Text& text) {
  if (!isMessageRow(row)) raise(ErrorCode::SubscriptOutOfRange);
  TextView stored;
  try {
    stored = characters_.store(text);
  } catch (const std::bad_alloc&) {
    raise(ErrorCode::OutOfMemory);
  }
  // The user's own text now: nothing of the file is left in it to lose.
  at(row) = MenteRow{stored, RowOrigin()};
  modified_ = true;
}

int MenteRows::remove(int row) {
  if (!isMessageRow(row)) raise(ErrorCode::SubscriptOutOfRange);
  for (int i = row; i < menteCount; ++i) at(i) = std::move(at(i + 1));
  // The vacated slot at the old count holds an empty string again.
  at(menteCount) = MenteRow();
  menteCount = sub16(menteCount, 1);
  modified_ = true;
  // r - 1 > 0, not >= 0: deleting the second row selects the message that followed it.
  return row - 1 > 0 ? row - 1 : row;
}

void MenteRows::setOrigins(std::vector<RowOrigin> origins) {
  for (int row = 0; row < menteCount && static_cast<std::size_t>(row) < origins.size(); ++row) {
    at(row).origin = std::move(origins[static_cast<std::size_t>(row)]);
  }
}

}  // namespace tepo
