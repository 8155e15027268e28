// The questions of a save, in their order, and what tepo writes reading back
// as it wrote it.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "encodings/ansi.h"
#include "mente_fixture.h"
#include "messages/message_file.h"
#include "messages/message_reader.h"
#include "messages/message_writer.h"
#include "tests/failing_ops.h"
#include "tests/mente_slots.h"

namespace tepo {
namespace {

using testing::BrokenFile;
using testing::loadedFrom;
using testing::planOf;
using testing::slotTexts;
using testing::TempDir;

// The questions of a save, in their order, each naming the first row it is
// about; answered OK (or Yes) they all come, and then the bytes are settled.
TEST(SavePlan, AsksInOrderNamingTheFirstRow) {
  const Text kUncarriable = u"行目のメッセージは、\" で始まるか、\" と共に , か先頭の空白を含むか";
  const Text kLossyOrUtf8 =
      u"行目のメッセージには、ANSI で保存できない文字が含まれています。UTF-8（BOM 付き）で保存しますか？";
  const Text kLossy = u"行目のメッセージにはファイルに保存できない文字が含まれています。";
  const Text kMisread = u"行目のメッセージは、このまま ANSI で保存すると、次に開いたとき別の文字コードとして読まれ";
  const Text kMisreadUtf8 =
      u"行目のメッセージは、このまま UTF-8 で保存すると、次に開いたとき別の文字コードとして読まれ";
  const Text kChanged = u"行目のメッセージは、ファイルに書かれていたとおりには読み込めていません";
  const Text kOther =
      u"行目のメッセージは、ファイルのほかの行と違う文字コード（ANSI）で書かれていました。保存すると、この行もほかの行"
      u"と同じ文字コード（UTF-8）で書き換わります。";
  const Text kIncomplete = u"ファイルを最後まで読み込めませんでした。";
  struct Case {
    const char* name;
    std::string bytes;  // the file, if any
    std::function<void(MenteTable&)> edit;
    std::vector<Text> questions;  // the start of each text after the row's number
    std::vector<int> rows;
  };
  const auto adding = [](std::vector<Text> messages) {
    return [messages](MenteTable& t) {
      for (const Text& m : messages) t.add(m);
    };
  };
  const Case cases[] = {
      {"a quote first", "", adding({u"\"quoted\" first"}), {kUncarriable}, {1}},
      {"a lone CR", "", adding({u"ok", u"one\rtwo"}), {kUncarriable}, {2}},
      {"a lone LF", "", adding({u"one\ntwo"}), {kUncarriable}, {1}},
      {"a backslash before n", "", adding({u"C:\\new folder"}), {kUncarriable}, {1}},
      {"an emoji in the code page", "", adding({u"smile \U0001F600"}), {kLossyOrUtf8}, {1}},
      {"half a pair in UTF-8", "\xEF\xBB\xBFok\r\n", adding({u"half \xD83D"}), {kLossy}, {2}},
      {"a misread line kept in the code page, then an emoji written in UTF-8, and a quote",
       "",
       adding({u"ok", u"荳。", u"\"q", u"\U0001F600"}),
       {kMisread, kLossyOrUtf8, kUncarriable},
       {2, 4, 3}},
      {"an emoji before a quote, no is the code page's",
       "",
       adding({u"\"q", u"\U0001F600"}),
       {kLossyOrUtf8, kUncarriable},
       {2, 1}},
      {"one piece of a Shift-JIS line split at a comma, in UTF-8",
       u8"日本語\r\n\x82\xA0,\x82\xA2\r\n",
       [](MenteTable& t) { t.remove(2); },
       {kChanged, kOther},
       {2, 2}},
      {"a file that could not be read whole", "one\r\ntwo\r\nthr", adding({u"x"}), {kIncomplete}, {0}},
      // The bytes of a mark first: read back, the file would begin with one.
      {"U+FEFF first in UTF-8",
       u8"日本語\r\n",
       [](MenteTable& t) { t.update(0, u"\uFEFFfirst"); },
       {kMisreadUtf8},
       {1}},
      {"the code page's FF FE first", "", adding({u"\uF8F3\uF8F2 first", u"ok"}), {kMisread}, {1}},
      // Alone, "ﾃｽ" reads as UTF-8's "ý": only the first line told the code page.
      {"the line that told the code page made ASCII, the lines after it either's",
       "\x82\xA0\r\n\xC3\xBD\r\n\xC3\xBD\r\n",
       [](MenteTable& t) { t.update(0, u"abc"); },
       {kMisread},
       {2}},
      {"a line of the file that comes first once the line before it goes",
       "x\r\n\xFF\xFE\r\n",
       [](MenteTable& t) { t.remove(0); },
       {kMisread},
       {1}},
  };
  TempDir dir;
  for (const Case& c : cases) {
    MenteTable table;
    if (c.name == std::string("a file that could not be read whole")) {
      BrokenFile broken(c.bytes);
      EXPECT_THROW(table.load(broken), RuntimeError);
    } else if (!c.bytes.empty()) {
      table = loadedFrom(dir, c.bytes);
    }
    c.edit(table);
    SavePlan plan = planOf(table);
    std::vector<Text> asked;
    while (const SavePlan::Question* q = plan.question()) {
      asked.push_back(q->text);
      // Yes only where it would not write UTF-8 instead of what the case is about.
      plan.answer(q->offersUtf8 && asked.size() > 1 ? SavePlan::Answer::Yes : SavePlan::Answer::No);
    }
    ASSERT_EQ(asked.size(), c.questions.size()) << c.name;
    for (std::size_t k = 0; k < asked.size(); ++k) {
      const Text number = c.rows[k] > 0 ? decimal(c.rows[k]) : Text();
      EXPECT_EQ(asked[k].compare(0, number.size() + c.questions[k].size(), number + c.questions[k]), 0)
          << c.name << " question " << k;
    }
  }
  // Yes to UTF-8 in a file past the 32767th message: the rest cannot stay as
  // it was read, and the save says so before it drops it.
  std::string many;
  for (int i = 0; i < kMaxMessages + 2; ++i) many += "m\r\n";
  dir.write("tepo.dat", many);
  MenteTable full;
  EXPECT_THROW(full.load(dir.text("tepo.dat"), systemFileOps()), RuntimeError);
  full.update(0, u"\U0001F600");
  SavePlan toUtf8 = planOf(full);
  ASSERT_NE(toUtf8.question(), nullptr);
  toUtf8.answer(SavePlan::Answer::Yes);
  ASSERT_NE(toUtf8.question(), nullptr);
  EXPECT_EQ(toUtf8.question()->text.compare(0, kIncomplete.size(), kIncomplete), 0);
  // Yes to UTF-8 for an emoji beside half a pair, which UTF-8 lacks too:
  // that loss is asked about again, in its own words.
  MenteTable half;
  half.add(u"\U0001F600 \xD83D");
  SavePlan plan = planOf(half);
  ASSERT_NE(plan.question(), nullptr);
  plan.answer(SavePlan::Answer::Yes);
  ASSERT_NE(plan.question(), nullptr);
  EXPECT_EQ(plan.question()->text.compare(0, 1 + kLossy.size(), u"1" + kLossy), 0);
}

// Every kanji of the code page followed by 。, added and saved as the code
// page's bytes, comes back as it was; where those bytes would pass for UTF-8
// the save is told, and in UTF-8 with its mark they come back too.
TEST(MenteSave, TepoReadsBackWhatItWrote) {
  int misread = 0, kanji = 0;
  for (unsigned lead = 0x88; lead <= 0xFC; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
      const Text one = ansi::decode(bytes);
      if (one.size() != 1 || one[0] < 0x4E00 || one[0] > 0x9FFF || ansi::encode(one) != bytes) continue;
      ++kanji;
      MenteTable table;
      table.add(one + u"。");
      SavePlan plan = planOf(table);
      const bool told = plan.question() != nullptr;
      misread += told;
      if (told) plan.answer(SavePlan::Answer::Yes);
      ASSERT_EQ(plan.question(), nullptr);
      const std::string written = plan.saving().output.bytes;
      if (!told) {
        ASSERT_EQ(written, bytes + "\x81\x42\r\n");
      }
      BrokenFile file(written, true);
      MenteTable back;
      back.load(file);
      ASSERT_EQ(slotTexts(back), slotTexts(table)) << written;
    }
  }
  std::printf("%d kanji and 。: %d read back as UTF-8 unless saved with the mark\n", kanji, misread);
  EXPECT_GT(kanji, 6000);
  // A first message whose bytes begin as a mark's would: U+FEFF in UTF-8,
  // the code page's FF FE. The save says so, and with the mark it comes back.
  TempDir dir;
  MenteTable utf8 = loadedFrom(dir, u8"日本語\r\n");
  utf8.update(0, u"\uFEFFfirst");
  MenteTable ansi;
  ansi.add(u"\uF8F3\uF8F2 first");
  for (MenteTable* table : {&utf8, &ansi}) {
    SavePlan plan = planOf(*table);
    ASSERT_NE(plan.question(), nullptr);
    plan.answer(SavePlan::Answer::Yes);
    ASSERT_EQ(plan.question(), nullptr);
    BrokenFile file(plan.saving().output.bytes, true);
    MenteTable back;
    back.load(file);
    EXPECT_EQ(slotTexts(back), slotTexts(*table));
  }
}

}  // namespace
}  // namespace tepo
