// libFuzzer target for the message file reader: whatever the bytes, the load
// ends, the table keeps its invariant, no message holds a "\n", and the
// table gives back each message as the reader handed it over, before and
// after it is packed. The field rules also split the bytes, taken as text
// of the characters they care about, the same whether the text comes whole
// (looked at 64 units at a time) or a unit at a time.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "messages/fields.h"
#include "messages/message_table.h"

namespace {

class MemoryFile : public tepo::InputFile {
 public:
  MemoryFile(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::size_t read(char* buffer, std::size_t size) override {
    // Small, uneven reads put block boundaries inside characters.
    std::size_t n = size_ - pos_;
    if (n > size) n = size;
    if (n > 7 + pos_ % 13) n = 7 + pos_ % 13;
    for (std::size_t i = 0; i < n; ++i) buffer[i] = static_cast<char>(data_[pos_ + i]);
    pos_ += n;
    return n;
  }

 private:
  const uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

void check(bool condition) {
  if (!condition) std::abort();
}

struct Split {
  std::vector<tepo::Text> texts;
  std::vector<int> notes;  // changed, line ends, ends its line, unclosed
  bool operator==(const Split& other) const { return texts == other.texts && notes == other.notes; }
};

Split split(const tepo::Text& text, bool unitByUnit) {
  tepo::FieldParser parser;
  Split out;
  auto take = [&](bool atEnd) {
    while (std::optional<tepo::Field> field = parser.next(atEnd)) {
      out.texts.emplace_back(field->text, field->length);
      out.notes.push_back(field->changed + 2 * field->lines.endsLine + 4 * field->lines.unclosed +
                          8 * static_cast<int>(field->lines.lineEnds));
    }
  };
  if (unitByUnit) {
    for (char16_t c : text) {
      parser.feed(&c, 1);
      take(false);
    }
  } else {
    parser.feed(text);
  }
  take(true);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  tepo::MessageTable table;
  MemoryFile file(data, size);
  try {
    table.load(file);
  } catch (const tepo::RuntimeError&) {
    // Ending early is allowed; the table must still be whole.
  }
  check(table.count() >= 0 && table.count() <= 32767);
  check(table.at(table.count()).empty());
  std::vector<tepo::Text> read;
  MemoryFile again(data, size);
  try {
    tepo::readMessages(again, [&](tepo::TextView message, const tepo::FieldNote&) { read.emplace_back(message); });
  } catch (const tepo::RuntimeError&) {
    // As above.
  }
  check(read.size() >= static_cast<std::size_t>(table.count()));
  // As read, and once made small.
  for (int packed = 0; packed < 2; ++packed) {
    if (packed) table.pack();
    for (long i = 0; i < table.count(); ++i) {
      const tepo::Text message = table.at(i);
      check(message == read[static_cast<std::size_t>(i)]);
      check(message.find(u"\\n") == tepo::Text::npos);
    }
  }
  static const char16_t kUnits[] = u" ,\"\r\n\\nax";
  tepo::Text text;
  for (std::size_t i = 0; i < size; ++i) text.push_back(kUnits[data[i] % 9]);
  check(split(text, false) == split(text, true));
  return 0;
}
