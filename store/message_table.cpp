#include "store/message_table.h"

#include <memory>
#include <new>

#include "store/message_file.h"

namespace tepo {

void MessageTable::reset() {
  msgList.assign(1, Text());
  msgCount = 0;
}

void MessageTable::append(Text message) {
  int16_t grown = add16(msgCount, 1);
  try {
    // The spare entry becomes the message; a new spare goes behind it.
    msgList.emplace_back();
  } catch (const std::bad_alloc&) {
    raise(ErrorCode::OutOfMemory);
  }
  msgList[static_cast<std::size_t>(msgCount)] = std::move(message);
  msgCount = grown;
}

void MessageTable::load(const Text& path) {
  reset();
  std::unique_ptr<InputFile> file = openInput(path);
  load(*file);
}

void MessageTable::load(InputFile& file) {
  reset();
  try {
    readMessages(file, [this](Text&& message) { append(std::move(message)); });
  } catch (const std::bad_alloc&) {
    raise(ErrorCode::OutOfMemory);
  }
}

const Text& MessageTable::at(long index) const {
  if (index < 0 || index > msgCount) raise(ErrorCode::SubscriptOutOfRange);
  return msgList[static_cast<std::size_t>(index)];
}

MessageTable& mainTable() {
  static MessageTable table;
  return table;
}

}  // namespace tepo
