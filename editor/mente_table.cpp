#include "editor/mente_table.h"

#include <memory>
#include <new>

#include "messages/message_file.h"

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

void MenteTable::reset() {
  menteList.assign(1, Text());
  notes_.assign(1, FieldNote());
  menteCount = 0;
  loadComplete_ = true;
  modified_ = false;
  encoding_ = FileEncoding::Ansi;
}

void MenteTable::appendRead(TextView message, const FieldNote& note) {
  int16_t grown = add16(menteCount, 1);
  menteList.emplace_back();
  notes_.emplace_back();
  menteList[static_cast<std::size_t>(menteCount)] = Text(message);
  notes_[static_cast<std::size_t>(menteCount)] = note;
  menteCount = grown;
}

void MenteTable::read(InputFile& file) {
  reset();
  loadComplete_ = false;
  ReadFacts facts;
  try {
    readMessages(
        file, [this](TextView message, const FieldNote& note) { appendRead(message, note); }, &facts);
  } catch (const std::bad_alloc&) {
    encoding_ = facts.encoding;
    raise(ErrorCode::OutOfMemory);
  } catch (...) {
    encoding_ = facts.encoding;
    throw;
  }
  encoding_ = facts.encoding;
  loadComplete_ = true;
}

void MenteTable::load(const Text& path) {
  sourcePath_ = path;
  sourceVersion_ = FileVersion();
  std::unique_ptr<InputFile> file;
  try {
    file = openInput(path);
  } catch (const RuntimeError& e) {
    reset();
    // Nothing was there to lose. A file that cannot be read may hold
    // anything: the question about an incomplete load speaks for it.
    loadComplete_ = e.code() == ErrorCode::FileNotFound;
    if (!loadComplete_) sourcePath_.clear();
    throw;
  }
  VersionedInput versioned(*file);
  try {
    read(versioned);
  } catch (const RuntimeError& e) {
    // The messages past the 32767th still belong to the file's version;
    // after a read error nothing is known of it.
    bool whole = e.code() == ErrorCode::Overflow;
    if (whole) {
      try {
        readToTheEnd(versioned);
      } catch (const RuntimeError&) {
        whole = false;
      }
    }
    if (whole) {
      sourceVersion_ = versioned.version();
    } else {
      sourcePath_.clear();
    }
    throw;
  }
  sourceVersion_ = versioned.version();
}

void MenteTable::load(InputFile& file) {
  sourcePath_.clear();
  read(file);
}

int MenteTable::add(const Text& text) {
  // Checked before anything moves, so that a full table stays as it was.
  int16_t grown = add16(menteCount, 1);
  try {
    // Upper bound menteCount + 1: shrinks after deletions, grows by one otherwise.
    menteList.resize(static_cast<std::size_t>(grown) + 1);
    notes_.resize(menteList.size());
  } catch (const std::bad_alloc&) {
    raise(ErrorCode::OutOfMemory);
  }
  menteList[static_cast<std::size_t>(menteCount)] = text;
  menteList[static_cast<std::size_t>(grown)].clear();
  notes_[static_cast<std::size_t>(menteCount)] = FieldNote();
  menteCount = grown;
  modified_ = true;
  return menteCount - 1;
}

void MenteTable::update(int row, const Text& text) {
  if (!isMessageRow(row)) raise(ErrorCode::SubscriptOutOfRange);
  menteList[static_cast<std::size_t>(row)] = text;
  // The user's own text now: nothing of the file is left in it to lose.
  notes_[static_cast<std::size_t>(row)] = FieldNote();
  modified_ = true;
}

int MenteTable::remove(int row) {
  if (!isMessageRow(row)) raise(ErrorCode::SubscriptOutOfRange);
  for (int i = row; i < menteCount; ++i) {
    menteList[static_cast<std::size_t>(i)] = std::move(menteList[static_cast<std::size_t>(i) + 1]);
    notes_[static_cast<std::size_t>(i)] = notes_[static_cast<std::size_t>(i) + 1];
  }
  // The vacated slot at the old count holds an empty string again.
  menteList[static_cast<std::size_t>(menteCount)].clear();
  notes_[static_cast<std::size_t>(menteCount)] = FieldNote();
  menteCount = sub16(menteCount, 1);
  modified_ = true;
  // r - 1 > 0, not >= 0: deleting the second row selects the message that followed it.
  return row - 1 > 0 ? row - 1 : row;
}

std::string MenteTable::fileBytes(FileEncoding encoding, bool* lossy) const {
  return formatFile(menteList, static_cast<std::size_t>(menteCount), encoding, lossy);
}

int MenteTable::firstChangedOnLoadRow() const {
  for (int i = 0; i < menteCount; ++i) {
    if (notes_[static_cast<std::size_t>(i)].changed) return i;
  }
  return -1;
}

int MenteTable::firstOtherEncodingRow() const {
  for (int i = 0; i < menteCount; ++i) {
    if (notes_[static_cast<std::size_t>(i)].otherEncoding) return i;
  }
  return -1;
}

int MenteTable::firstUnrepresentableRow(FileEncoding encoding) const {
  for (int i = 0; i < menteCount; ++i) {
    if (hasUnrepresentable(menteList[static_cast<std::size_t>(i)], encoding)) return i;
  }
  return -1;
}

int MenteTable::firstUncarriableRow() const {
  for (int i = 0; i < menteCount; ++i) {
    if (formatCannotCarry(menteList[static_cast<std::size_t>(i)])) return i;
  }
  return -1;
}

int MenteTable::firstMisreadRow(const std::string& bytes) const {
  return firstMisreadMessage(bytes, menteList, static_cast<std::size_t>(menteCount), encoding_);
}

SaveResult MenteTable::save(const Text& path, FileOps& ops, const std::function<bool()>& mayOverwrite) {
  std::string bytes;
  try {
    bytes = fileBytes();
  } catch (const RuntimeError&) {
    return SaveResult();
  } catch (const std::bad_alloc&) {
    return SaveResult();
  }
  return save(path, ops, encoding_, bytes, mayOverwrite);
}

SaveResult MenteTable::save(const Text& path, FileOps& ops, FileEncoding encoding, const std::string& bytes,
                            const std::function<bool()>& mayOverwrite) {
  // Last before the write, since a question may have stood for minutes: what
  // is on disk now against what this table read or wrote there. A file it
  // never read has nothing of it to compare.
  if (mayOverwrite && path == sourcePath_) {
    FileVersion accepted = sourceVersion_;
    for (FileVersion now; currentVersion(ops, path, now) && now != accepted; accepted = now) {
      if (!mayOverwrite()) {
        SaveResult declined;
        declined.declined = true;
        return declined;
      }
    }
  }
  SaveResult result = saveAtomically(ops, path, bytes);
  if (result) {
    // The file is now what this table wrote: the next save asks nothing.
    sourcePath_ = path;
    VersionOf written;
    written.add(bytes.data(), bytes.size());
    sourceVersion_ = written.version();
    encoding_ = encoding;
    modified_ = false;
  }
  return result;
}

}  // namespace tepo
