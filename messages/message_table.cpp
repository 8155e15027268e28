#include "messages/message_table.h"

#include <memory>
#include <new>

#include "messages/message_reader.h"

namespace tepo {

void MessageTable::reset() {
  msgList.assign(1, TextView());
  characters_.clear();
  msgCount = 0;
  file_ = MessageFile();
  doubted_ = false;
}

void MessageTable::append(TextView message) {
  int16_t grown = add16(msgCount, 1);
  try {
    // Room for the new spare first, so that a failure leaves the table as it was.
    if (msgList.size() == msgList.capacity()) msgList.reserve(msgList.size() * 2);
    TextView stored = characters_.store(message);
    // The spare entry becomes the message; a new spare goes behind it.
    msgList[static_cast<std::size_t>(msgCount)] = stored;
    msgList.emplace_back();
  } catch (const std::bad_alloc&) {
    raise(ErrorCode::OutOfMemory);
  }
  msgCount = grown;
}

void MessageTable::load(const Text& path, FileOps& ops) { loadFrom(path, ops); }

MessageTable::Reading MessageTable::loadFrom(const Text& path, FileOps& ops) {
  reset();
  file_.path = path;
  const FileStamp before = ops.stamp(path);
  file_.stamp = before;
  // Room for every message the file can make and the spare, taken at once:
  // the list's pages cost nothing until it fills them, and it never grows
  // through copies.
  try {
    msgList.reserve(mostMessages(before.size) + 1);
  } catch (const std::bad_alloc&) {
    // The list grows as it fills instead.
  }
  ReadFacts facts;
  try {
    std::unique_ptr<InputFile> file = ops.open(path);
    read(*file, &facts);
  } catch (const RuntimeError& e) {
    // No file is a state like any other, and so is a file of more messages
    // than a table holds; after any other failure the next look tries again.
    file_.known = e.code() == ErrorCode::FileNotFound || (e.code() == ErrorCode::Overflow && ops.stamp(path) == before);
    throw;
  }
  file_.encoding = facts.encoding;
  Reading reading;
  reading.moved = ops.stamp(path) != before;
  reading.doubtful = facts.endsInsideCharacter;
  file_.known = !reading.moved && !reading.doubtful;
  return reading;
}

void MessageTable::load(InputFile& file) {
  reset();
  read(file);
}

void MessageTable::read(InputFile& file, ReadFacts* facts) {
  try {
    readMessages(
        file, [this](TextView message, const FieldNote&) { append(message); }, facts);
  } catch (const std::bad_alloc&) {
    raise(ErrorCode::OutOfMemory);
  }
}

std::unique_ptr<MessageTable> MessageTable::reloaded(FileOps& ops) {
  if (!file_.changed(ops)) return nullptr;
  auto fresh = std::make_unique<MessageTable>();
  Reading reading;
  try {
    reading = fresh->loadFrom(file_.path, ops);
  } catch (const RuntimeError& e) {
    if (e.code() != ErrorCode::Overflow) {
      // Gone (some editors save by delete and rename), locked or unreadable:
      // the messages held stay. A missing file is looked at again once it
      // is back.
      file_.known = fresh->file_.known;
      file_.stamp = fresh->file_.stamp;
      return nullptr;
    }
  }
  if (reading.moved) {
    file_.known = false;
    return nullptr;
  }
  const bool doubtful = reading.doubtful || (fresh->msgCount == 0 && msgCount > 0);
  if (doubtful && !(doubted_ && doubtedStamp_ == fresh->file_.stamp)) {
    file_.known = false;
    doubted_ = true;
    doubtedStamp_ = fresh->file_.stamp;
    return nullptr;
  }
  fresh->file_.known = true;
  return fresh;
}

bool MessageTable::reloadIfChanged(FileOps& ops) {
  std::unique_ptr<MessageTable> fresh = reloaded(ops);
  if (!fresh) return false;
  *this = std::move(*fresh);
  return true;
}

TextView MessageTable::at(long index) const {
  if (index < 0 || index > msgCount) raise(ErrorCode::SubscriptOutOfRange);
  return msgList[static_cast<std::size_t>(index)];
}

}  // namespace tepo
