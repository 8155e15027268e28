#include "store/message_table.h"

#include <memory>
#include <new>

#include "store/message_file.h"

namespace tepo {

void MessageTable::reset() {
  msgList.assign(1, TextView());
  characters_.clear();
  msgCount = 0;
  source_ = LoadedFile();
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

void MessageTable::load(const Text& path, FileOps& ops) {
  reset();
  source_ = LoadedFile{path, ops.stamp(path)};
  std::unique_ptr<InputFile> file = openInput(path);
  read(*file);
}

void MessageTable::load(InputFile& file) {
  reset();
  read(file);
}

void MessageTable::read(InputFile& file) {
  try {
    readMessages(file, [this](TextView message, bool) { append(message); });
  } catch (const std::bad_alloc&) {
    raise(ErrorCode::OutOfMemory);
  }
}

bool MessageTable::reloadIfChanged(FileOps& ops) {
  if (!source_.changed(ops)) return false;
  MessageTable fresh;
  try {
    fresh.load(source_.path, ops);
  } catch (const RuntimeError& e) {
    // More messages than a table holds: the first 32767, as at start.
    if (e.code() != ErrorCode::Overflow) return false;
  }
  *this = std::move(fresh);
  return true;
}

TextView MessageTable::at(long index) const {
  if (index < 0 || index > msgCount) raise(ErrorCode::SubscriptOutOfRange);
  return msgList[static_cast<std::size_t>(index)];
}

}  // namespace tepo
