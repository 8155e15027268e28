#include "store/message_table.h"

#include <memory>
#include <new>

#include "store/message_file.h"

namespace tepo {

void MessageTable::reset() {
  msgList.assign(1, TextView());
  characters_.clear();
  msgCount = 0;
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

void MessageTable::load(const Text& path) {
  reset();
  std::unique_ptr<InputFile> file = openInput(path);
  load(*file);
}

void MessageTable::load(InputFile& file) {
  reset();
  try {
    readMessages(file, [this](TextView message) { append(message); });
  } catch (const std::bad_alloc&) {
    raise(ErrorCode::OutOfMemory);
  }
}

TextView MessageTable::at(long index) const {
  if (index < 0 || index > msgCount) raise(ErrorCode::SubscriptOutOfRange);
  return msgList[static_cast<std::size_t>(index)];
}

MessageTable& mainTable() {
  static MessageTable table;
  return table;
}

}  // namespace tepo
