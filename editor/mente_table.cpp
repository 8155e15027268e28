#include "editor/mente_table.h"

#include <new>

#include "store/message_file.h"

namespace tepo {

void MenteTable::reset() {
  menteList.assign(1, Text());
  changedOnLoad_.assign(1, false);
  menteCount = 0;
  loadComplete_ = true;
  encoding_ = FileEncoding::Ansi;
}

void MenteTable::appendRead(TextView message, bool changed) {
  int16_t grown = add16(menteCount, 1);
  menteList.emplace_back();
  changedOnLoad_.push_back(false);
  menteList[static_cast<std::size_t>(menteCount)] = Text(message);
  changedOnLoad_[static_cast<std::size_t>(menteCount)] = changed;
  menteCount = grown;
}

template <typename Read>
void MenteTable::loadWith(Read read) {
  reset();
  loadComplete_ = false;
  try {
    read([this](TextView message, bool changed) { appendRead(message, changed); }, &encoding_);
  } catch (const RuntimeError& e) {
    // Nothing was there to lose.
    if (e.code() == ErrorCode::FileNotFound && menteCount == 0) loadComplete_ = true;
    throw;
  } catch (const std::bad_alloc&) {
    raise(ErrorCode::OutOfMemory);
  }
  loadComplete_ = true;
}

void MenteTable::load(const Text& path, FileOps& ops) {
  source_ = LoadedFile{path, ops.stamp(path)};
  loadWith([&path](const MessageSink& store, FileEncoding* encoding) { readMessageFile(path, store, encoding); });
}

void MenteTable::load(InputFile& file) {
  loadWith([&file](const MessageSink& store, FileEncoding* encoding) { readMessages(file, store, encoding); });
}

int MenteTable::add(const Text& text) {
  // Checked before anything moves, so that a full table stays as it was.
  int16_t grown = add16(menteCount, 1);
  try {
    // Upper bound menteCount + 1: shrinks after deletions, grows by one otherwise.
    menteList.resize(static_cast<std::size_t>(grown) + 1);
    changedOnLoad_.resize(menteList.size());
  } catch (const std::bad_alloc&) {
    raise(ErrorCode::OutOfMemory);
  }
  menteList[static_cast<std::size_t>(menteCount)] = text;
  menteList[static_cast<std::size_t>(grown)].clear();
  changedOnLoad_[static_cast<std::size_t>(menteCount)] = false;
  menteCount = grown;
  return menteCount - 1;
}

void MenteTable::update(int row, const Text& text) {
  if (!isMessageRow(row)) raise(ErrorCode::SubscriptOutOfRange);
  menteList[static_cast<std::size_t>(row)] = text;
  // The user's own text now: nothing of the file is left in it to lose.
  changedOnLoad_[static_cast<std::size_t>(row)] = false;
}

int MenteTable::remove(int row) {
  if (!isMessageRow(row)) raise(ErrorCode::SubscriptOutOfRange);
  for (int i = row; i < menteCount; ++i) {
    menteList[static_cast<std::size_t>(i)] = std::move(menteList[static_cast<std::size_t>(i) + 1]);
    changedOnLoad_[static_cast<std::size_t>(i)] = changedOnLoad_[static_cast<std::size_t>(i) + 1];
  }
  // The vacated slot at the old count holds an empty string again.
  menteList[static_cast<std::size_t>(menteCount)].clear();
  changedOnLoad_[static_cast<std::size_t>(menteCount)] = false;
  menteCount = sub16(menteCount, 1);
  // r - 1 > 0, not >= 0: deleting the second row selects the message that followed it.
  return row - 1 > 0 ? row - 1 : row;
}

std::string MenteTable::fileBytes(bool* lossy) const {
  return formatFile(menteList, static_cast<std::size_t>(menteCount), encoding_, lossy);
}

int MenteTable::firstChangedOnLoadRow() const {
  for (int i = 0; i < menteCount; ++i) {
    if (changedOnLoad_[static_cast<std::size_t>(i)]) return i;
  }
  return -1;
}

int MenteTable::firstUnrepresentableRow() const {
  for (int i = 0; i < menteCount; ++i) {
    if (hasUnrepresentable(menteList[static_cast<std::size_t>(i)], encoding_)) return i;
  }
  return -1;
}

int MenteTable::firstUncarriableRow() const {
  for (int i = 0; i < menteCount; ++i) {
    if (formatCannotCarry(menteList[static_cast<std::size_t>(i)])) return i;
  }
  return -1;
}

SaveResult MenteTable::save(const Text& path, FileOps& ops) {
  std::string bytes;
  try {
    // The same conversion the window's question is based on: what cannot be
    // written becomes '?', never a look-alike.
    bool lossy = false;
    bytes = fileBytes(&lossy);
  } catch (const RuntimeError&) {
    return SaveResult();
  } catch (const std::bad_alloc&) {
    return SaveResult();
  }
  SaveResult result = saveAtomically(ops, path, bytes);
  // The file is now what this table wrote: the next save asks nothing.
  if (result) source_ = LoadedFile{path, ops.stamp(path)};
  return result;
}

}  // namespace tepo
