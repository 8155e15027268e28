// The editor table and the message file: loading, the bytes a save writes
// back of each file, round trips and failed saves.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <random>

#include "encodings/ansi.h"
#include "encodings/utf8.h"
#include "mente_fixture.h"
#include "messages/message_file.h"
#include "messages/message_reader.h"
#include "messages/message_writer.h"
#include "tests/failing_ops.h"
#include "tests/mente_slots.h"

namespace tepo {
namespace {

using testing::BrokenFile;
using testing::firstChanged;
using testing::firstLossy;
using testing::firstRow;
using testing::loadedFrom;
using testing::planOf;
using testing::saveUnasked;
using testing::slotTexts;
using testing::TempDir;
using testing::utf16;
using testing::written;

TEST(MenteLoad, MissingFileRaisesAndLeavesAnEmptyTable) {
  TempDir dir;
  MenteTable table;
  table.add(u"left over");
  EXPECT_THROW(table.load(dir.text("tepo.dat"), systemFileOps()), RuntimeError);
  EXPECT_EQ(table.count(), 0);
  EXPECT_EQ(slotTexts(table), std::vector<Text>{u""});
}

TEST(MenteLoad, UnreadableFileRaises) {
  TempDir dir;
  MenteTable table;
  // A folder where the file should be cannot be read as one.
  EXPECT_THROW(table.load(dir.text(""), systemFileOps()), RuntimeError);
  EXPECT_EQ(table.count(), 0);
}

TEST(MenteLoad, EmptyFileGivesNoMessages) {
  TempDir dir;
  MenteTable table = loadedFrom(dir, "");
  EXPECT_EQ(table.count(), 0);
  EXPECT_EQ(table.upperBound(), 0);
}

TEST(MenteLoad, InvalidBytesDoNotDisturbTheOtherMessages) {
  TempDir dir;
  // A lone lead byte at the end of a line, and a byte that is no character at all.
  MenteTable table = loadedFrom(dir, "first\r\nbad\x81\r\n\xFF\r\n\x82\xA0\r\n");
  ASSERT_EQ(table.count(), 4);
  EXPECT_EQ(slotTexts(table)[0], u"first");
  EXPECT_EQ(slotTexts(table)[3], u"あ");
}

TEST(MenteLoad, MoreThan32767FieldsKeepsTheFirst32767AndRaises) {
  TempDir dir;
  std::string bytes;
  for (int i = 0; i < kMaxMessages + 3; ++i) bytes += std::to_string(i) + "\r\n";
  dir.write("tepo.dat", bytes);
  MenteTable table;
  try {
    table.load(dir.text("tepo.dat"), systemFileOps());
    FAIL() << "no overflow";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.code(), ErrorCode::Overflow);
  }
  ASSERT_EQ(table.count(), kMaxMessages);
  EXPECT_EQ(table.upperBound(), kMaxMessages);
  EXPECT_EQ(slotTexts(table)[32766], u"32766");
  EXPECT_TRUE(slotTexts(table).back().empty());
}

TEST(MenteLoad, ALoadThatStopsEarlyIsIncompleteUntilACompleteOne) {
  MenteTable table;
  BrokenFile broken("one\r\ntwo\r\nthr");
  EXPECT_THROW(table.load(broken), RuntimeError);
  EXPECT_EQ(slotTexts(table), (std::vector<Text>{u"one", u"two", u""}));
  EXPECT_FALSE(table.loadComplete());

  TempDir dir;
  table = loadedFrom(dir, "one\r\n");
  EXPECT_TRUE(table.loadComplete());

  // Too many messages: the rest is read too, and a save keeps it.
  std::string many;
  for (int i = 0; i <= kMaxMessages; ++i) many += "m\r\n";
  dir.write("tepo.dat", many);
  EXPECT_THROW(table.load(dir.text("tepo.dat"), systemFileOps()), RuntimeError);
  EXPECT_TRUE(table.loadComplete());

  // A file that exists but cannot be read may hold anything.
  EXPECT_THROW(table.load(dir.text(""), systemFileOps()), RuntimeError);
  EXPECT_FALSE(table.loadComplete());

  // No file at all: a save loses nothing.
  EXPECT_THROW(table.load(dir.text("missing.dat"), systemFileOps()), RuntimeError);
  EXPECT_TRUE(table.loadComplete());
}

// Hand-written lines that the reader's rules change: the load notes the
// first, so that a save asks before it writes them back changed.
TEST(MenteLoad, NotesTheFirstMessageTheReaderChanged) {
  struct Case {
    const char* name;
    std::string bytes;
    int firstChanged;
  };
  const Case cases[] = {
      {"a stray quote", "one\r\n\"two\r\nthree\r\nfour\r\nsay \"hi\" there\r\nsix\r\n", 1},
      {"text after the closing quote", "ok\r\n\"quoted\"tail\r\n", 1},
      {"doubled quotes", "\"He said \"\"no\"\"\"\r\n", 0},
      {"leading blanks", "x\r\ny\r\n  indented\r\n", 2},
      {"a lead byte before the line end", "ok\r\nbad\x81\r\n", 1},
      {"bytes of no character", "ok\r\n\x85\x40\r\n", 1},
      // The code page reads these as private-use characters and writes them back.
      {"bytes of private-use characters", "ok\r\n\xFF\xFE\r\n", -1},
      {"the same beside bytes of no character", "ok\r\n\xFF\r\nx\x85\x40\r\n", 2},
      {"UTF-8 with a byte of no character", "\xEF\xBB\xBFok\r\n\xE3\r\n", 1},
      {"a comma typed in Notepad",
       "\x83\x89\x83\x93\x83\x60\x82\xCD"
       "1,000\x89\x7E\r\n",
       0},
      {"the writer's own lines", "plain\r\n\"a,b\"\r\n\"  x\"\r\nsay \"hi\"\r\n\r\n\"quoted\"\r\n\"\"", -1},
  };
  TempDir dir;
  for (const Case& c : cases) EXPECT_EQ(firstChanged(loadedFrom(dir, c.bytes)), c.firstChanged) << c.name;
  // The note moves with its message, and goes once the user replaced it.
  MenteTable table = loadedFrom(dir, cases[1].bytes);
  table.remove(0);
  EXPECT_EQ(firstChanged(table), 0);
  table.update(0, u"rewritten");
  EXPECT_EQ(firstChanged(table), -1);
}

// Files as Notepad saves them: read in their own encoding, and written back in
// it, byte for byte, with what was added behind.
TEST(MenteSave, KeepsTheEncodingTheFileWasReadIn) {
  struct Case {
    const char* name;
    std::string bytes;
    FileEncoding encoding;
    std::vector<Text> messages;
    std::string added;  // what was typed, with its line end
    Text typed = u"追加";
  };
  const Case cases[] = {
      {"UTF-8 with the byte order mark",
       "\xEF\xBB\xBF"
       u8"こんにちは\r\n絵文字 😀\r\n",
       FileEncoding::Utf8Bom,
       {u"こんにちは", u"絵文字 😀"},
       u8"追加\r\n"},
      {"UTF-8", u8"こんにちは\r\n絵文字 😀\r\n", FileEncoding::Utf8, {u"こんにちは", u"絵文字 😀"}, u8"追加\r\n"},
      // Past U+1FFFF: four bytes from the third plane on.
      {"UTF-8, 𠮷 typed",
       u8"こんにちは\r\n",
       FileEncoding::Utf8,
       {u"こんにちは"},
       "\xF0\xA0\xAE\xB7\r\n",
       u"\U00020BB7"},
      {"Shift-JIS",
       "\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD\r\n\x83\x5C\x95\x5C\\n\r\n",
       FileEncoding::Ansi,
       {u"こんにちは", u"ソ表\r\n"},
       "\x92\xC7\x89\xC1\r\n"},
      {"ASCII", "hello\r\n", FileEncoding::Ansi, {u"hello"}, "\x92\xC7\x89\xC1\r\n"},
      // Notepad's "Unicode" and "Unicode big endian".
      {"UTF-16 LE",
       utf16(u"\uFEFFこんにちは\r\n絵文字 😀\r\n", false),
       FileEncoding::Utf16Le,
       {u"こんにちは", u"絵文字 😀"},
       utf16(u"追加\r\n", false)},
      {"UTF-16 BE",
       utf16(u"\uFEFFこんにちは\r\n", true),
       FileEncoding::Utf16Be,
       {u"こんにちは"},
       utf16(u"追加\r\n", true)},
  };
  TempDir dir;
  for (const Case& c : cases) {
    MenteTable table = loadedFrom(dir, c.bytes);
    EXPECT_EQ(table.encoding(), c.encoding) << c.name;
    std::vector<Text> messages = c.messages;
    messages.emplace_back();
    EXPECT_EQ(slotTexts(table), messages) << c.name;
    // An emoji needs no question where the file can hold it.
    table.add(c.typed);
    EXPECT_EQ(planOf(table).question(), nullptr) << c.name;
    EXPECT_EQ(firstChanged(table), -1) << c.name;
    ASSERT_TRUE(saveUnasked(table, dir.text("tepo.dat")));
    EXPECT_EQ(dir.read("tepo.dat"), c.bytes + c.added) << c.name;
  }
}

// A save writes back every line whose messages the user left alone exactly
// as it was read (its line end as CR LF), whatever the reader made of it,
// and asks only where the user's own change meets a line the writer must
// write anew.
TEST(MenteSave, KeepsEveryLineTheUserDidNotChange) {
  const Text kChanged = u"ファイルに書かれていたとおりには読み込めていません";
  struct Case {
    const char* name;
    std::string bytes;
    std::function<void(MenteTable&)> edit;
    std::string saved;
    Text question = {};  // a part of the first question's text, if one is asked
  };
  const auto add = [](MenteTable& t) { t.add(u"追加"); };
  const std::string added = "\x92\xC7\x89\xC1\r\n";
  std::string many;
  for (int i = 0; i < kMaxMessages + 2; ++i) many += "m" + std::to_string(i) + (i % 2 ? ",x\r\n" : "\r\n");
  // Lines of Japanese, some of two messages, some of two lines in quotes, in
  // Shift-JIS, UTF-8 with its mark and UTF-16 big endian; and the same with
  // the 151st line (message 251) written anew.
  std::string sjis[2], withMark[2] = {"\xEF\xBB\xBF", "\xEF\xBB\xBF"}, bigEndian[2] = {"\xFE\xFF", "\xFE\xFF"};
  for (int i = 0; i < 300; ++i) {
    const std::string digits = std::to_string(i);
    const Text line =
        u"あ" + Text(digits.begin(), digits.end()) + (i % 3 ? i % 3 == 1 ? u",x\r\n" : u",\"q\nr\"\r\n" : u"\r\n");
    const Text& written = i == 150 ? u"追加\r\n" : line;
    sjis[0] += ansi::encode(line), sjis[1] += ansi::encode(written);
    withMark[0] += utf8::encode(line), withMark[1] += utf8::encode(written);
    bigEndian[0] += testing::utf16(line, true), bigEndian[1] += testing::utf16(written, true);
  }
  const auto update = [](MenteTable& t) { t.update(250, u"追加"); };
  const Case cases[] = {
      {"NEC and IBM codes", "\x87\x90\xED\x95\xFA\xB1\r\n", add, "\x87\x90\xED\x95\xFA\xB1\r\n" + added},
      {"hand-written lines the reader changed",
       "a,b\r\n  lead\r\n\"q\"tail\r\n\"two\nlines\"\r\nbad\x81\r\n\xFF\xFE\r\n", add,
       "a,b\r\n  lead\r\n\"q\"tail\r\n\"two\nlines\"\r\nbad\x81\r\n\xFF\xFE\r\n" + added},
      {"line ends of Unix and of old Macs, no line end at the end", "a\nb\rc", add, "a\r\nb\rc\r\n" + added},
      {"a hand-written last line without a line end", "a\r\n  say hi", add, "a\r\n  say hi\r\n" + added},
      {"a line in the other encoding", u8"日本語\r\n\x82\xA0\r\n", add, u8"日本語\r\n\x82\xA0\r\n追加\r\n"},
      {"UTF-16 with half a pair",
       std::string("\xFF\xFE"
                   "a\0\x3D\xD8\r\0\n\0",
                   10),
       add,
       std::string("\xFF\xFE"
                   "a\0\x3D\xD8\r\0\n\0\xFD\x8F\xA0\x52\r\0\n\0",
                   18)},
      {"UTF-16 big endian lines of Unix", std::string("\xFE\xFF\0a\0\n\0b", 8), add,
       std::string("\xFE\xFF\0a\0\r\0\n\0b\0\r\0\n\x8F\xFD\x52\xA0\0\r\0\n", 22)},
      {"one message updated", "a\r\n  b\r\nc\r\n", [](MenteTable& t) { t.update(2, u"C"); }, "a\r\n  b\r\nC\r\n"},
      {"one message deleted", "a,b\r\nc\r\n\"d\"e\r\n", [](MenteTable& t) { t.remove(2); }, "a,b\r\n\"d\"e\r\n"},
      {"one piece of a line split at a comma deleted", "a,b\r\nc\r\n", [](MenteTable& t) { t.remove(1); }, "a\r\nc\r\n",
       kChanged},
      {"a line ended by a lone CR, which joins it to the next for the reader, when the next goes", "a\rb\r\nc\r\n",
       [](MenteTable& t) { t.remove(1); }, "a\r\nc\r\n"},
      {"a quote never closed at the end", "a\r\n\"b\n", [](MenteTable& t) { t.update(0, u"A"); }, "A\r\n\"b\n"},
      {"a quote never closed, its text ending in a comma", "a\r\n\"b,", [](MenteTable& t) { t.update(0, u"A"); },
       "A\r\n\"b,"},
      {"one message in the middle of a Shift-JIS file updated", sjis[0], update, sjis[1]},
      {"the same in UTF-8", withMark[0], update, withMark[1]},
      {"the same in UTF-16", bigEndian[0], update, bigEndian[1]},
      {"a tail the reader dropped, cut inside a character once the line that told the code page goes",
       "\x82\xA0\r\n\"q\"x\xDA", [](MenteTable& t) { t.remove(0); }, "q\r\n", kChanged},
      {"the messages past the 32767th", many, [](MenteTable& t) { t.remove(0); }, many.substr(many.find("m1,"))},
  };
  TempDir dir;
  for (const Case& c : cases) {
    dir.write("tepo.dat", c.bytes);
    MenteTable table;
    try {
      table.load(dir.text("tepo.dat"), systemFileOps());
    } catch (const RuntimeError&) {
    }
    c.edit(table);
    SavePlan plan = planOf(table);
    Text asked;
    while (const SavePlan::Question* q = plan.question()) {
      asked += q->text;
      plan.answer(SavePlan::Answer::Ok);
    }
    EXPECT_EQ(asked.empty(), c.question.empty()) << c.name << std::string(asked.begin(), asked.end());
    EXPECT_NE(asked.find(c.question), Text::npos) << c.name;
    ASSERT_TRUE(table.write(dir.text("tepo.dat"), systemFileOps(), plan.saving())) << c.name;
    EXPECT_EQ(dir.read("tepo.dat"), c.saved) << c.name;
    // Saved again, nothing changes and nothing is asked.
    EXPECT_EQ(planOf(table).question(), nullptr) << c.name;
    ASSERT_TRUE(saveUnasked(table, dir.text("tepo.dat"))) << c.name;
    EXPECT_EQ(dir.read("tepo.dat"), c.saved) << c.name;
  }
}

// Every shape of line the writer makes reads back as the same message and is
// saved again as the same bytes, in each encoding.
TEST(MenteSave, AValidFileIsSavedBackByteForByte) {
  const std::vector<Text> shapes = {u"plain",      u"",          u"a,b",   u"  leading",  u" ",    u"two\r\nlines\r\n",
                                    u"say \"hi\"", u"trailing ", u"\ttab", u"日本語ソ表", u"ｶﾀｶﾅ", u"C:\\",
                                    u"a\\\r\nb"};
  TempDir dir;
  for (FileEncoding encoding :
       {FileEncoding::Ansi, FileEncoding::Utf8, FileEncoding::Utf8Bom, FileEncoding::Utf16Le, FileEncoding::Utf16Be}) {
    const std::string bytes = formatFile(shapes, shapes.size(), encoding);
    MenteTable table = loadedFrom(dir, bytes);
    EXPECT_EQ(table.encoding(), encoding);
    std::vector<Text> slots = slotTexts(table);
    slots.pop_back();
    EXPECT_EQ(slots, shapes);
    EXPECT_EQ(firstChanged(table), -1);
    EXPECT_EQ(firstRow(table, [&](int row) { return formatCannotCarry(table.rows().text(row)); }), -1);
    ASSERT_TRUE(saveUnasked(table, dir.text("tepo.dat")));
    EXPECT_EQ(dir.read("tepo.dat"), bytes);
  }
}

// Every message the reader can carry must come back unchanged: no double quote,
// no lone CR or LF, no literal "\n" (those the format cannot tell from a break).
Text randomMessage(std::mt19937& rng) {
  static const std::vector<Text> pieces = {u"a",  u"Z",    u"0",    u" ",  u"  ",  u",",  u",,", u"\\",
                                           u"\t", u"\r\n", u"あ",   u"ソ", u"表",  u"能", u"　", u"ｶﾅ",
                                           u"'",  u"!",    u"\\\\", u"n",  u"\\ ", u"￥", u"～", u"①"};
  std::uniform_int_distribution<int> length(0, 12);
  std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
  for (;;) {
    Text m;
    for (int n = length(rng); n > 0; --n) m += pieces[pick(rng)];
    if (m.find(u"\\n") == Text::npos && m.find(u"\\\r\n") == Text::npos) return m;
  }
}

TEST(MenteRoundTrip, EveryCarriableMessageSurvivesSaveAndLoad) {
  std::mt19937 rng(20261207);
  TempDir dir;
  for (int round = 0; round < 40; ++round) {
    MenteTable table;
    std::uniform_int_distribution<int> count(0, 60);
    for (int n = count(rng); n > 0; --n) table.add(randomMessage(rng));
    ASSERT_EQ(firstLossy(table), -1);
    ASSERT_TRUE(saveUnasked(table, dir.text("tepo.dat")));

    MenteTable back;
    back.load(dir.text("tepo.dat"), systemFileOps());
    ASSERT_EQ(slotTexts(back), slotTexts(table)) << "round " << round;
  }
}

TEST(MenteRoundTrip, AVeryLongMessageSurvives) {
  TempDir dir;
  Text longOne;
  for (int i = 0; i < 200000; ++i) longOne += (i % 7 == 0) ? u"表" : u"x";
  MenteTable table;
  table.add(longOne);
  table.add(u"after");
  ASSERT_TRUE(saveUnasked(table, dir.text("tepo.dat")));
  MenteTable back;
  back.load(dir.text("tepo.dat"), systemFileOps());
  EXPECT_EQ(slotTexts(back), slotTexts(table));
}

using testing::FailAt;
using testing::FailingOps;

class MenteFailedSave : public ::testing::TestWithParam<FailAt> {};

TEST_P(MenteFailedSave, KeepsTheOldFileAndTheTableAndATryLaterSucceeds) {
  TempDir dir;
  const std::string old("old one\r\n\x82\xA0\r\n");
  MenteTable table = loadedFrom(dir, old);
  table.add(u"new");
  table.remove(0);
  const std::vector<Text> edited = slotTexts(table);

  FailingOps ops(GetParam());
  EXPECT_FALSE(saveUnasked(table, dir.text("tepo.dat"), ops));
  EXPECT_EQ(dir.read("tepo.dat"), old);
  EXPECT_EQ(dir.files(), std::vector<std::string>{"tepo.dat"});
  EXPECT_EQ(slotTexts(table), edited);

  ASSERT_TRUE(saveUnasked(table, dir.text("tepo.dat")));
  EXPECT_EQ(dir.read("tepo.dat"), "\x82\xA0\r\nnew\r\n");
}

INSTANTIATE_TEST_SUITE_P(EachStep, MenteFailedSave,
                         ::testing::Values(FailAt::CreateTemp, FailAt::Write, FailAt::Flush, FailAt::Close,
                                           FailAt::Replace));

TEST(MenteSave, FirstSaveCreatesTheFile) {
  TempDir dir;
  MenteTable table;
  ASSERT_TRUE(saveUnasked(table, dir.text("tepo.dat")));
  EXPECT_EQ(dir.files(), std::vector<std::string>{"tepo.dat"});
  EXPECT_EQ(dir.read("tepo.dat"), "");
}

TEST(MenteSave, FullTableLoadsAndSavesBackTheSameBytes) {
  TempDir dir;
  MenteTable source;
  for (int i = 0; i < kMaxMessages; ++i) {
    std::string n = std::to_string(i);
    source.add(u"メッセージ番号 " + Text(n.begin(), n.end()) + u"\r\n二行目");
  }
  ASSERT_TRUE(saveUnasked(source, dir.text("tepo.dat")));
  const std::string written = dir.read("tepo.dat");

  auto start = std::chrono::steady_clock::now();
  MenteTable table;
  table.load(dir.text("tepo.dat"), systemFileOps());
  auto loadedAt = std::chrono::steady_clock::now();
  ASSERT_EQ(table.count(), kMaxMessages);
  ASSERT_TRUE(saveUnasked(table, dir.text("tepo.dat")));
  auto savedAt = std::chrono::steady_clock::now();
  EXPECT_EQ(dir.read("tepo.dat"), written);
  EXPECT_EQ(slotTexts(table), slotTexts(source));
  std::printf("32767 messages: load %.1f ms, save %.1f ms\n",
              std::chrono::duration<double, std::milli>(loadedAt - start).count(),
              std::chrono::duration<double, std::milli>(savedAt - loadedAt).count());
}

}  // namespace
}  // namespace tepo
