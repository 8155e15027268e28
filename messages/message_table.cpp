#include "messages/message_table.h"

#include <memory>
#include <new>

#include "messages/message_reader.h"

namespace tepo {

void MessageTable::reset() {
  msgList.clear();
  msgCount = 0;
  file_ = MessageFile();
  doubted_ = false;
}

void MessageTable::append(TextView message) { add(message, false); }

void MessageTable::add(TextView message, bool asRead) {
  int16_t grown = add16(msgCount, 1);
  try {
    if (asRead) {
      msgList.addAsIs(message);
    } else {
      msgList.add(message);
    }
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
  // Room for every message the file can make, and for its characters as
  // UTF-16 (twice its bytes at most), at once: pages cost nothing until they
  // are filled, and the table never grows through copies.
  try {
    msgList.reserve(mostMessages(before.size), roomForBytes(before.size * 2));
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
        file, [this](TextView message, const FieldNote&) { add(message, true); }, facts);
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

Text MessageTable::at(long index) const {
  Text text;
  textInto(index, text);
  return text;
}

void MessageTable::textInto(long index, Text& text) const {
  if (index < 0 || index > msgCount) raise(ErrorCode::SubscriptOutOfRange);
  if (index == msgCount) {
    text.clear();
  } else {
    msgList.textInto(static_cast<std::size_t>(index), text);
  }
}

}  // namespace tepo
