// libFuzzer target for the editor's save: a file of any bytes, edited in any
// way. A read-back of only what the save writes anew learns all that one of
// the whole output does. Where the save asks nothing, or the user took UTF-8
// with its mark at each question, the bytes it writes read back as the editor
// holds them, and a second save, by the same window or after the file is
// opened again, asks nothing and writes the same bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "editor/mente_table.h"
#include "editor/read_back.h"
#include "editor/save_plan.h"
#include "files/file_ops.h"
#include "files/input.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

// Pieces of what users type, the troublesome ones among them.
const tepo::Text kPieces[] = {u"a",  u"Z",  u" ",  u",",      u"\"",     u"\r\n",       u"\\", u"n",
                              u"あ", u"ｶ",  u"凜", u"。",     u"é",      u"\U0001F600", u"～", u"①",
                              u"\t", u"\r", u"\n", u"\uFEFF", u"\uF8F3", u"\uF8F2",     u"꒳", u"\xD83D"};

// A file system in memory: the save goes through every step at no cost.
class MemoryOps : public tepo::FileOps {
 public:
  std::map<tepo::Text, std::string> files;

  std::unique_ptr<tepo::InputFile> open(const tepo::Text& path) override {
    auto found = files.find(path);
    if (found == files.end()) tepo::raise(tepo::ErrorCode::FileNotFound);
    return std::make_unique<tepo::BytesInput>(found->second);
  }
  std::unique_ptr<tepo::OutputFile> createTemp(const tepo::Text& target, tepo::Text& tempPath) override {
    tempPath = target + u".tmp";
    files[tempPath].clear();
    return std::make_unique<Output>(files[tempPath]);
  }
  bool exists(const tepo::Text& path) override { return files.count(path) > 0; }
  bool replace(const tepo::Text& target, const tepo::Text& replacement, const tepo::Text&) override {
    return move(replacement, target);
  }
  bool move(const tepo::Text& from, const tepo::Text& to) override {
    if (!exists(from)) return false;
    files[to] = files[from];
    files.erase(from);
    ++writes_;
    return true;
  }
  bool remove(const tepo::Text& path) override { return files.erase(path) > 0; }
  tepo::FileStamp stamp(const tepo::Text& path) override {
    auto found = files.find(path);
    if (found == files.end()) return tepo::FileStamp();
    return tepo::FileStamp{true, found->second.size(), writes_};
  }

 private:
  class Output : public tepo::OutputFile {
   public:
    explicit Output(std::string& bytes) : bytes_(bytes) {}
    bool write(const char* data, std::size_t size) override {
      bytes_.append(data, size);
      return true;
    }
    bool flush() override { return true; }
    bool close() override { return true; }

   private:
    std::string& bytes_;
  };
  uint64_t writes_ = 0;
};

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
  std::vector<tepo::Text> texts;
  for (int row = 0; row < table.count(); ++row) texts.emplace_back(table.rows().text(row));
  return texts;
}

bool sameNote(const tepo::FieldNote& a, const tepo::FieldNote& b) {
  return a.changed == b.changed && a.otherEncoding == b.otherEncoding && a.lines.lineEnds == b.lines.lineEnds &&
         a.lines.endsLine == b.lines.endsLine && a.lines.unclosed == b.lines.unclosed;
}

// Everything a save learns of its output, the same however much of it was read back.
bool sameSaving(const tepo::Saving& a, const tepo::Saving& b) {
  if (a.output.bytes != b.output.bytes || a.output.pieces.size() != b.output.pieces.size() ||
      a.reading.size() != b.reading.size() || a.origins.size() != b.origins.size() ||
      a.back.encoding() != b.back.encoding() || a.back.settledAt() != b.back.settledAt() ||
      a.back.rest() != b.back.rest() || a.back.stretches().size() != b.back.stretches().size()) {
    return false;
  }
  for (std::size_t p = 0; p < a.reading.size(); ++p) {
    const tepo::SaveOutput::Piece &x = a.output.pieces[p], &y = b.output.pieces[p];
    if (x.row != y.row || x.rows != y.rows || x.kept != y.kept || x.begin != y.begin || x.end != y.end ||
        a.reading[p].backRow != b.reading[p].backRow || a.reading[p].same != b.reading[p].same) {
      return false;
    }
  }
  for (std::size_t k = 0; k < a.back.stretches().size(); ++k) {
    const tepo::KeptFile::Stretch &x = a.back.stretches()[k], &y = b.back.stretches()[k];
    if (x.begin != y.begin || x.end != y.end || x.rows != y.rows || x.keepable != y.keepable) return false;
  }
  for (std::size_t r = 0; r < a.origins.size(); ++r) {
    if (a.origins[r].stretch != b.origins[r].stretch || !sameNote(a.origins[r].note, b.origins[r].note)) return false;
  }
  return true;
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
  MemoryOps disk;
  const tepo::Text path = u"tepo.dat";
  disk.files[path] = fuzz.ConsumeRandomLengthString(2048);
  tepo::MenteTable table;
  try {
    table.load(path, disk);
  } catch (const tepo::RuntimeError&) {
  }
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
  for (tepo::FileEncoding encoding : {table.encoding(), tepo::FileEncoding::Utf8Bom}) {
    check(sameSaving(tepo::settle(table.rows(), table.kept(), encoding),
                     tepo::settle(table.rows(), table.kept(), encoding, tepo::ReadBack::Whole)));
  }
  tepo::SavePlan plan(table, path, disk);
  if (!follow(plan, fuzz)) return 0;
  const std::string written = plan.saving().output.bytes;
  check(table.write(path, disk, plan.saving()).saved);
  check(disk.files[path] == written);
  const tepo::MenteTable back = readBack(written);
  check(messages(back) == messages(table));
  // Saved again as it now stands, by the same window and after the file is
  // opened again: nothing to ask, nothing that moves.
  for (const tepo::MenteTable* again : {static_cast<const tepo::MenteTable*>(&table), &back}) {
    tepo::SavePlan plan2(*again, again->file().path, disk);
    check(plan2.question() == nullptr);
    check(plan2.saving().output.bytes == written);
  }
  return 0;
}
