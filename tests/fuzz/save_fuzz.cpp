// libFuzzer target for the editor's save: a file of any bytes, edited in any
// way. Where the save asks nothing, or the user took UTF-8 with its mark at
// each question, the bytes it writes read back as the editor holds them, and
// a second save of what was written asks nothing and writes the same bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "editor/mente_table.h"
#include "editor/save_plan.h"
#include "files/input.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

// Pieces of what users type, the troublesome ones among them.
const tepo::Text kPieces[] = {u"a",  u"Z",  u" ",  u",",      u"\"",     u"\r\n",       u"\\", u"n",
                              u"あ", u"ｶ",  u"凜", u"。",     u"é",      u"\U0001F600", u"～", u"①",
                              u"\t", u"\r", u"\n", u"\uFEFF", u"\uF8F3", u"\uF8F2",     u"꒳", u"\xD83D"};

tepo::Text typed(FuzzedDataProvider& fuzz) {
  tepo::Text text;
  for (int n = fuzz.ConsumeIntegralInRange(0, 8); n > 0; --n) {
    text += kPieces[fuzz.ConsumeIntegralInRange<std::size_t>(0, sizeof(kPieces) / sizeof(kPieces[0]) - 1)];
  }
  return text;
}

// The table a load of the bytes gives.
tepo::MenteTable readBack(const std::string& bytes) {
  tepo::MenteTable table;
  tepo::BytesInput file(bytes);
  try {
    table.load(file);
  } catch (const tepo::RuntimeError&) {
  }
  return table;
}

std::vector<tepo::Text> messages(const tepo::MenteTable& table) {
  return std::vector<tepo::Text>(table.list().begin(), table.list().begin() + table.count());
}

// Follows the plan, answering as the data says; true if the user was told
// nothing, or took UTF-8 with its mark at every question.
bool follow(tepo::SavePlan& plan, FuzzedDataProvider& fuzz) {
  bool faithful = true;
  while (const tepo::SavePlan::Question* question = plan.question()) {
    const bool yes = question->offersUtf8 && fuzz.ConsumeBool();
    faithful = faithful && yes;
    plan.answer(yes ? tepo::SavePlan::Answer::Yes : tepo::SavePlan::Answer::No);
  }
  return faithful;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  FuzzedDataProvider fuzz(data, size);
  const std::string file = fuzz.ConsumeRandomLengthString(2048);
  tepo::MenteTable table = readBack(file);
  for (int edits = fuzz.ConsumeIntegralInRange(0, 4); edits > 0; --edits) {
    const int rows = table.count();
    switch (fuzz.ConsumeIntegralInRange(0, 2)) {
      case 0:
        if (!table.isFull()) table.add(typed(fuzz));
        break;
      case 1:
        if (rows > 0) table.update(fuzz.ConsumeIntegralInRange(0, rows - 1), typed(fuzz));
        break;
      default:
        if (rows > 0) table.remove(fuzz.ConsumeIntegralInRange(0, rows - 1));
        break;
    }
  }
  tepo::SavePlan plan(table);
  if (!follow(plan, fuzz)) return 0;
  const std::string& written = plan.saving().output.bytes;
  const tepo::MenteTable back = readBack(written);
  check(messages(back) == messages(table));
  // Saved again as it now stands: nothing to ask, nothing that moves.
  tepo::SavePlan again(back);
  check(again.question() == nullptr);
  check(again.saving().output.bytes == written);
  return 0;
}
