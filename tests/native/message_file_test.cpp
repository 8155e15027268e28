#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include <sys/stat.h>

#include "encodings/ansi.h"
#include "messages/message_file.h"
#include "messages/message_reader.h"
#include "messages/message_table.h"
#include "messages/message_writer.h"
#include "temp_dir.h"
#include "tests/failing_ops.h"

namespace tepo {
namespace {

using testing::TempDir;

// Hands out a byte string a few bytes at a time, to test block boundaries.
class ChunkedFile : public InputFile {
 public:
  ChunkedFile(std::string bytes, std::size_t chunk) : bytes_(std::move(bytes)), chunk_(chunk) {}
  std::size_t read(char* buffer, std::size_t size) override {
    std::size_t n = std::min({size, chunk_, bytes_.size() - pos_});
    std::copy_n(bytes_.data() + pos_, n, buffer);
    pos_ += n;
    return n;
  }

 private:
  std::string bytes_;
  std::size_t chunk_;
  std::size_t pos_ = 0;
};

std::vector<Text> readBytes(const std::string& bytes, std::size_t chunk = 1 << 20) {
  ChunkedFile file(bytes, chunk);
  std::vector<Text> out;
  readMessages(file, [&](TextView m, const FieldNote&) { out.emplace_back(m); });
  return out;
}

// The icon's table loaded from a tepo.dat of these bytes.
void loadFrom(MessageTable& table, const TempDir& dir, const std::string& bytes) {
  dir.write("tepo.dat", bytes);
  table.load(dir.text("tepo.dat"), systemFileOps());
}

void expectBoundsInvariant(const MessageTable& table) {
  ASSERT_EQ(table.list().size(), static_cast<std::size_t>(table.count()) + 1);
  EXPECT_TRUE(table.list().back().empty());
}

TEST(MessageTable, MissingFileLeavesOneEmptyEntry) {
  TempDir dir;
  MessageTable table;
  EXPECT_THROW(table.load(dir.text("tepo.dat"), systemFileOps()), RuntimeError);
  EXPECT_EQ(table.count(), 0);
  expectBoundsInvariant(table);
}

TEST(MessageTable, EmptyFileLeavesOneEmptyEntry) {
  TempDir dir;
  MessageTable table;
  loadFrom(table, dir, "");
  EXPECT_EQ(table.count(), 0);
  expectBoundsInvariant(table);
}

TEST(MessageTable, ThreeLinesWithALineBreakInTheMiddle) {
  TempDir dir;
  MessageTable table;
  loadFrom(table, dir, "first\r\na\\nb\r\nthird\r\n");
  ASSERT_EQ(table.count(), 3);
  EXPECT_EQ(table.at(1), u"a\r\nb");
  EXPECT_EQ(table.at(3), u"");
  expectBoundsInvariant(table);
}

TEST(MessageTable, LoadReplacesThePreviousContents) {
  TempDir dir;
  dir.write("a.dat", "1\r\n2\r\n3\r\n");
  dir.write("b.dat", "x\r\n");
  MessageTable table;
  table.load(dir.text("a.dat"), systemFileOps());
  table.load(dir.text("b.dat"), systemFileOps());
  ASSERT_EQ(table.count(), 1);
  EXPECT_EQ(table.at(0), u"x");
  expectBoundsInvariant(table);
}

TEST(MessageTable, StopsAt32767AndKeepsThem) {
  TempDir dir;
  std::string bytes;
  for (int i = 0; i < 32768; ++i) bytes += "m" + std::to_string(i) + "\r\n";
  dir.write("tepo.dat", bytes);
  MessageTable table;
  try {
    table.load(dir.text("tepo.dat"), systemFileOps());
    FAIL() << "the 32768th message must end the load";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.code(), ErrorCode::Overflow);
  }
  ASSERT_EQ(table.count(), 32767);
  EXPECT_EQ(table.at(32766), u"m32766");
  expectBoundsInvariant(table);
  EXPECT_THROW(table.append(u"more"), RuntimeError);
  EXPECT_EQ(table.count(), 32767);
  expectBoundsInvariant(table);
}

TEST(MessageTable, IndexOutsideTheTableRaises) {
  MessageTable table;
  EXPECT_EQ(table.at(0), u"");
  try {
    table.at(-1);
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.code(), ErrorCode::SubscriptOutOfRange);
  }
  EXPECT_THROW(table.at(1), RuntimeError);
}

TEST(MessageTable, FileIsClosedAfterAFailedLoad) {
  TempDir dir;
  std::string bytes;
  for (int i = 0; i < 32768; ++i) bytes += "x\r\n";
  dir.write("tepo.dat", bytes);
  MessageTable table;
  EXPECT_THROW(table.load(dir.text("tepo.dat"), systemFileOps()), RuntimeError);
  // An open descriptor left behind would show up in /proc/self/fd.
  std::string link = "/proc/self/fd";
  int open = 0;
  for (int fd = 0; fd < 1024; ++fd) {
    char target[4096];
    ssize_t n = ::readlink((link + "/" + std::to_string(fd)).c_str(), target, sizeof(target) - 1);
    if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == dir.file("tepo.dat")) ++open;
  }
  EXPECT_EQ(open, 0);
}

// Messages added in Notepad reach the icon without a restart; a file that
// cannot be read now (being written, replaced, gone) keeps what is held.
TEST(MessageTable, ReloadsAChangedFileAndKeepsItsMessagesWhileItCannotBeRead) {
  TempDir dir;
  const Text path = dir.text("tepo.dat");
  dir.write("tepo.dat", "old\r\n");
  MessageTable table;
  table.load(path, systemFileOps());
  EXPECT_FALSE(table.reloadIfChanged(systemFileOps()));

  dir.write("tepo.dat", "old\r\nnew\r\n");
  EXPECT_TRUE(table.reloadIfChanged(systemFileOps()));
  ASSERT_EQ(table.count(), 2);
  EXPECT_EQ(table.at(1), u"new");

  // A folder in its place opens but cannot be read; then nothing is there.
  ::rename(dir.file("tepo.dat").c_str(), dir.file("moved").c_str());
  ASSERT_EQ(::mkdir(dir.file("tepo.dat").c_str(), 0700), 0);
  EXPECT_FALSE(table.reloadIfChanged(systemFileOps()));
  ::rmdir(dir.file("tepo.dat").c_str());
  EXPECT_FALSE(table.reloadIfChanged(systemFileOps()));
  EXPECT_EQ(table.count(), 2);
  EXPECT_EQ(table.at(1), u"new");

  ::rename(dir.file("moved").c_str(), dir.file("tepo.dat").c_str());
  dir.write("tepo.dat", "a\r\nb\r\nc\r\n");
  EXPECT_TRUE(table.reloadIfChanged(systemFileOps()));
  EXPECT_EQ(table.count(), 3);

  // A writer at work: the file ends inside a character, or is empty for a
  // moment. The messages held stay; found the same at the next look, the
  // file is taken as it is.
  for (const char* meanwhile : {"a\r\nb\r\nc\r\nd\x82", ""}) {
    const int16_t held = table.count();
    dir.write("tepo.dat", meanwhile);
    EXPECT_FALSE(table.reloadIfChanged(systemFileOps()));
    EXPECT_EQ(table.count(), held);
    EXPECT_TRUE(table.reloadIfChanged(systemFileOps()));
    EXPECT_EQ(table.count(), meanwhile[0] ? 4 : 0);
  }

  // The stamp moved while the file was read: never taken, always tried again.
  struct Moving : testing::FailingOps {
    FileStamp stamp(const Text& path) override {
      FileStamp stamp = FailingOps::stamp(path);
      stamp.writeTime += ++calls;
      return stamp;
    }
    uint64_t calls = 0;
  } moving;
  dir.write("tepo.dat", "x\r\n");
  EXPECT_FALSE(table.reloadIfChanged(moving));
  EXPECT_FALSE(table.reloadIfChanged(moving));
  EXPECT_EQ(table.count(), 0);
  EXPECT_TRUE(table.reloadIfChanged(systemFileOps()));
  EXPECT_EQ(table.at(0), u"x");
}

TEST(ShiftJis, TrailByteBackslashIsNotALineBreak) {
  // ソ is 83 5C and 表 is 95 5C: their second byte is the backslash byte.
  const std::string bytes = "\x83\x5Cn\x95\x5Cn\r\n";
  for (std::size_t chunk : {1u, 2u, 3u, 1024u}) {
    std::vector<Text> m = readBytes(bytes, chunk);
    ASSERT_EQ(m.size(), 1u) << chunk;
    EXPECT_EQ(m[0], u"ソn表n") << chunk;
  }
}

TEST(ShiftJis, TwoByteCharactersSurviveEveryBlockBoundary) {
  const Text text = u"あいうえお,漢字ソ表\r\nカタカナ\\nです\r\n";
  const std::string bytes = ansi::encode(text);
  const std::vector<Text> expected = {u"あいうえお", u"漢字ソ表", u"カタカナ\r\nです"};
  for (std::size_t chunk = 1; chunk <= 7; ++chunk) EXPECT_EQ(readBytes(bytes, chunk), expected) << chunk;
}

TEST(ShiftJis, BadBytesDoNotStopTheLoad) {
  // A lead byte followed by a line end, a lone lead byte at the end, NUL bytes.
  std::vector<Text> m = readBytes(std::string("ok\r\n\x81\r\nnul\0in\r\n\xFF\xFE\r\nend\x82", 24), 3);
  ASSERT_EQ(m.size(), 5u);
  EXPECT_EQ(m[0], u"ok");
  EXPECT_EQ(m[2], Text(u"nul\0in", 6));
  EXPECT_EQ(m[4].substr(0, 3), u"end");
}

TEST(Utf8, ByteOrderMarkIsNoText) {
  std::vector<Text> m = readBytes("\xEF\xBB\xBFhello\r\nworld\r\n");
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0], u"hello");
  EXPECT_EQ(m[1], u"world");
}

// Which encoding each line is read in, whatever block boundaries the reads
// make; the file's own encoding is the one a save writes.
TEST(Encoding, EveryLineReadsAsItWasWritten) {
  struct Case {
    const char* name;
    std::string bytes;
    FileEncoding encoding;
    std::vector<Text> messages;
    std::vector<std::size_t> otherEncoding = {};  // messages read in the other encoding
    bool endsInsideCharacter = false;
  };
  const std::string utf16le("\xFF\xFE\x42\x30\r\0\n\0\x3D\xD8\x00\xDE", 12);
  const std::string utf16be("\xFE\xFF\x30\x42\0\r\0\n", 8);
  // A line either reads, then more than 256 KB of ASCII, then a line only
  // the code page reads: the first line waits no longer than those 256 KB,
  // and goes the way it leans.
  std::string farBytes = "\xE4\xB8\x81\x42\r\n";
  std::vector<Text> farMessages = {u"丁B"};
  for (int i = 0; i < 300; ++i) {
    farBytes += std::string(1000, 'a') + "\r\n";
    farMessages.emplace_back(1000, u'a');
  }
  farBytes += "\x82\xA0\r\n";
  farMessages.emplace_back(u"あ");
  std::vector<Case> cases = {
      {"a line that waited as long as a line may", farBytes, FileEncoding::Utf8, farMessages, {301}},
      {"UTF-8 after ASCII",
       "ascii\r\n"
       u8"日本語\r\n",
       FileEncoding::Utf8,
       {u"ascii", u"日本語"}},
      {"UTF-8 with a character cut off at the end",
       u8"日本語\r\n\xE6\x97",
       FileEncoding::Utf8,
       {u"日本語", u"\uFFFD"},
       {},
       true},
      {"Shift-JIS that starts like UTF-8", "\xE6\x97\xA5\x82\xA0\r\n", FileEncoding::Ansi, {u"譌･あ"}},
      {"ASCII", "plain\r\n", FileEncoding::Ansi, {u"plain"}},
      {"a last line without a line end, a blank inside", "hello world", FileEncoding::Ansi, {u"hello world"}},
      {"a last line cut after a blank", "hello \x82", FileEncoding::Ansi, {u"hello \u30FB"}, {}, true},
      {"only the byte order mark", "\xEF\xBB\xBF", FileEncoding::Utf8Bom, {}},
      {"nothing", "", FileEncoding::Ansi, {}},
      {"half-width kana that pass for UTF-8", "\xCA\xB2\xC3\xB8\r\n", FileEncoding::Ansi, {u"ﾊｲﾃｸ"}},
      {"a kanji and 。 that pass for UTF-8", "\xEA\xA3\x81\x42\r\n", FileEncoding::Ansi, {u"凜。"}},
      {"short Japanese in UTF-8 that the code page reads too", u8"こんにちは\r\n", FileEncoding::Utf8, {u"こんにちは"}},
      {"accents and emoji", u8"café 😀\r\n", FileEncoding::Utf8, {u"café 😀"}},
      {"a line either reads goes with the file",
       "\xE4\xB8\x81\x42\r\n\x82\xA0\r\n",
       FileEncoding::Ansi,
       {u"荳。", u"あ"}},
      {"a Shift-JIS line appended to UTF-8",
       u8"日本語\r\n"
       "\x82\xA0\x82\xA2\r\n",
       FileEncoding::Utf8,
       {u"日本語", u"あい"},
       {1}},
      {"a UTF-8 line appended to Shift-JIS",
       "\x82\xA0\r\n"
       u8"日本語\r\n",
       FileEncoding::Ansi,
       {u"あ", u"日本語"},
       {1}},
      {"a Shift-JIS line after the UTF-8 mark",
       "\xEF\xBB\xBF"
       u8"日本語\r\n"
       "\x82\xA0\r\n",
       FileEncoding::Utf8Bom,
       {u"日本語", u"あ"},
       {1}},
      // Real text beyond the characters the code page has, in UTF-8 that the
      // code page reads too, as noise.
      {"a kaomoji", u8"おやすみ(*´꒳`*)\r\n", FileEncoding::Utf8, {u"おやすみ(*´꒳`*)"}},
      {"a kaomoji in a UTF-8 file",
       u8"日本語のメッセージ\r\nおやすみ(*´꒳`*)\r\n",
       FileEncoding::Utf8,
       {u"日本語のメッセージ", u"おやすみ(*´꒳`*)"}},
      {"Vietnamese", u8"Tiếng Việt\r\n", FileEncoding::Utf8, {u"Tiếng Việt"}},
      {"Romanian", u8"Mulțumesc frumos\r\n", FileEncoding::Utf8, {u"Mulțumesc frumos"}},
      {"Greek with accents", u8"Ελλάδα\r\n", FileEncoding::Utf8, {u"Ελλάδα"}},
      {"Thai", u8"ยินดี\r\n", FileEncoding::Utf8, {u"ยินดี"}},
      {"Hindi", u8"धन्यवाद\r\n", FileEncoding::Utf8, {u"धन्यवाद"}},
      {"Korean", "\xED\x95\x98\xED\x95\x98\r\n", FileEncoding::Utf8, {u"하하"}},
      {"short UTF-8 lines before a Shift-JIS line",
       u8"よろしく\r\n大丈夫\r\n"
       "\x82\xA0\x82\xA2\r\n",
       FileEncoding::Utf8,
       {u"よろしく", u"大丈夫", u"あい"},
       {2}},
      {"UTF-8 cut inside a character after short lines",
       u8"よろしく\r\n大丈夫\r\n\xE6\x97",
       FileEncoding::Utf8,
       {u"よろしく", u"大丈夫", u"\uFFFD"},
       {},
       true},
      {"a last Shift-JIS line that could be UTF-8 cut off", "\x82\xA0\r\n\xE6\x97", FileEncoding::Ansi, {u"あ", u"譌"}},
      // The same end after lines that waited for the file's evidence.
      {"a line either reads, then UTF-8 cut off",
       "\xE4\xB8\x81\x42\r\n\xE6\x97",
       FileEncoding::Utf8,
       {u"丁B", u"\uFFFD"},
       {},
       true},
      {"half-width kana pairs that pass for UTF-8",
       "\xD0\xB7\r\n\xC5\xB5\r\n\xCE\xBC\r\n",
       FileEncoding::Ansi,
       {u"ﾐｷ", u"ﾅｵ", u"ﾎｼ"}},
      {"a UTF-8 line the code page reads too appended to Shift-JIS",
       "\x82\xA0\r\n"
       u8"おやすみなさい\r\n",
       FileEncoding::Ansi,
       {u"あ", u"おやすみなさい"},
       {1}},
      {"a pair before a line that settles the file", u8"é\r\n日本語\r\n", FileEncoding::Utf8, {u"é", u"日本語"}},
      {"UTF-16 little endian", utf16le, FileEncoding::Utf16Le, {u"あ", u"😀"}},
      {"UTF-16 big endian", utf16be, FileEncoding::Utf16Be, {u"あ"}},
      {"UTF-16 cut inside a unit",
       std::string("\xFF\xFE"
                   "a\0b",
                   5),
       FileEncoding::Utf16Le,
       {u"a\uFFFD"},
       {},
       true},
  };
  // Two half-width kana that are one letter in UTF-8 too (з, μ, ŵ, an Armenian հ; é,
  // which alone would weigh as UTF-8 even in a Shift-JIS file), alone in the file or
  // after ASCII lines, which say nothing either way.
  const std::pair<const char*, Text> kanaPairs[] = {
      {"\xD0\xB7", u"ﾐｷ"}, {"\xCE\xBC", u"ﾎｼ"}, {"\xC5\xB5", u"ﾅｵ"}, {"\xD5\xB0", u"ﾕｰ"}, {"\xC3\xA9", u"ﾃｩ"}};
  for (const auto& [bytes, text] : kanaPairs) {
    cases.push_back({"a half-width kana pair alone", bytes, FileEncoding::Ansi, {text}});
    cases.push_back({"a half-width kana pair after ASCII",
                     std::string("ab\r\ncd\r\n") + bytes + "\r\n",
                     FileEncoding::Ansi,
                     {u"ab", u"cd", text}});
  }
  for (const Case& c : cases) {
    for (std::size_t chunk : {1u, 2u, 5u, 1024u}) {
      ChunkedFile file(c.bytes, chunk);
      ReadFacts facts;
      facts.encoding = FileEncoding::Utf16Be;
      std::vector<Text> out;
      std::vector<std::size_t> other;
      readMessages(
          file,
          [&](TextView m, const FieldNote& note) {
            if (note.otherEncoding) other.push_back(out.size());
            out.emplace_back(m);
          },
          &facts);
      const std::string where = std::string(c.name) + " in chunks of " + std::to_string(chunk);
      EXPECT_EQ(facts.encoding, c.encoding) << where;
      EXPECT_EQ(out, c.messages) << where;
      EXPECT_EQ(other, c.otherEncoding) << where;
      EXPECT_EQ(facts.endsInsideCharacter, c.endsInsideCharacter) << where;
    }
  }
}

TEST(Writer, PlainLinesAreWrittenAsTheyAre) {
  EXPECT_EQ(formatLine(u"hello"), u"hello");
  EXPECT_EQ(formatLine(u"trailing "), u"trailing ");
  EXPECT_EQ(formatLine(u"\ttab"), u"\ttab");
  EXPECT_EQ(formatLine(u"a\r\nb"), u"a\\nb");
  EXPECT_EQ(formatLine(u""), u"");
  EXPECT_EQ(formatLine(u"say \"hi\""), u"say \"hi\"");
}

TEST(Writer, CommasAndLeadingBlanksAreQuoted) {
  EXPECT_EQ(formatLine(u"a,b"), u"\"a,b\"");
  EXPECT_EQ(formatLine(u"  x"), u"\"  x\"");
  EXPECT_EQ(formatLine(u"a,\r\nb"), u"\"a,\\nb\"");
}

TEST(Writer, TextNoQuotingCanCarryIsWrittenRaw) {
  EXPECT_EQ(formatLine(u"\"q\",x"), u"\"q\",x");
  EXPECT_EQ(formatLine(u" \"q\""), u" \"q\"");
}

TEST(Writer, FileIsShiftJisWithCrLfAfterEveryLine) {
  std::vector<Text> m = {u"あ", u"a\r\nb", u"", u"spare"};
  EXPECT_EQ(formatFile(m, 3), std::string("\x82\xA0\r\na\\nb\r\n\r\n"));
  EXPECT_EQ(formatFile(m, 0), std::string());
}

TEST(Writer, ReportsCharactersWithoutAShiftJisForm) {
  bool lossy = true;
  formatFile({u"日本語"}, 1, FileEncoding::Ansi, &lossy);
  EXPECT_FALSE(lossy);
  formatFile({u"ok", u"emoji \U0001F600"}, 2, FileEncoding::Ansi, &lossy);
  EXPECT_TRUE(lossy);
  EXPECT_TRUE(hasUnrepresentable(u"한국어"));
  EXPECT_FALSE(hasUnrepresentable(u"ｶﾀｶﾅ and ASCII"));
  // Look-alikes of the code page's own characters, which the system would
  // only put in as best fit: the file says '?' and the user is told.
  for (char16_t c : TextView(u"〜¥—‖−¢£¬‾")) {
    lossy = false;
    EXPECT_EQ(formatFile({Text(u"a") + c}, 1, FileEncoding::Ansi, &lossy), "a?\r\n") << static_cast<int>(c);
    EXPECT_TRUE(lossy) << static_cast<int>(c);
  }
  // The code page's own, NEC and IBM extensions included, are written and read back.
  for (char16_t c : TextView(u"～￥―∥－￠￡￢①≒纊")) {
    const Text message = Text(u"a") + c;
    lossy = true;
    const std::string bytes = formatFile({message}, 1, FileEncoding::Ansi, &lossy);
    EXPECT_FALSE(lossy) << static_cast<int>(c);
    EXPECT_EQ(readBytes(bytes), std::vector<Text>{message}) << static_cast<int>(c);
  }
}

TEST(Writer, KnowsWhatNoLineCanCarry) {
  EXPECT_TRUE(formatCannotCarry(u"\"quoted"));
  EXPECT_TRUE(formatCannotCarry(u"  \"quoted\" after blanks"));
  EXPECT_TRUE(formatCannotCarry(u"a \"b\", c"));
  EXPECT_TRUE(formatCannotCarry(u" say \"hi\""));
  EXPECT_FALSE(formatCannotCarry(u"say \"hi\""));
  EXPECT_FALSE(formatCannotCarry(u"a, b"));
  EXPECT_FALSE(formatCannotCarry(u"  lead"));
  EXPECT_FALSE(formatCannotCarry(u""));
  // A CR or LF outside a CR LF pair ends the line for the reader.
  EXPECT_TRUE(formatCannotCarry(u"one\rtwo"));
  EXPECT_TRUE(formatCannotCarry(u"one\ntwo"));
  EXPECT_TRUE(formatCannotCarry(u"\r\r\n"));
  EXPECT_TRUE(formatCannotCarry(u"\n\r"));
  EXPECT_TRUE(formatCannotCarry(u"end\r"));
  EXPECT_TRUE(formatCannotCarry(u"C:\\new folder"));  // would read back as C:, a line break, ew folder
  EXPECT_FALSE(formatCannotCarry(u"C:\\\r\nnext"));
  EXPECT_FALSE(formatCannotCarry(u"one\r\ntwo\r\n"));
}

// Every message without a literal "\n" that the writer does not call
// uncarriable comes back from the writer and the reader unchanged.
TEST(Writer, RoundTripKeepsEveryCarriableMessage) {
  const std::vector<Text> pieces = {u"a",  u"Z",    u" ",  u"  ", u",", u"\t", u"あ", u"ソ",
                                    u"表", u"\r\n", u"\\", u"n",  u"ｱ", u"\"", u"\r", u"\n"};
  std::mt19937 random(12345);
  std::vector<Text> messages;
  for (int i = 0; i < 3000; ++i) {
    Text m;
    int length = static_cast<int>(random() % 8);
    for (int k = 0; k < length; ++k) m += pieces[random() % pieces.size()];
    if (m.find(u"\\n") != Text::npos || formatCannotCarry(m)) continue;
    messages.push_back(m);
  }
  // A long file in each encoding reads back in it.
  for (FileEncoding encoding : {FileEncoding::Ansi, FileEncoding::Utf8, FileEncoding::Utf16Le}) {
    std::vector<Text> back = readBytes(formatFile(messages, messages.size(), encoding), 7);
    ASSERT_EQ(back.size(), messages.size());
    for (std::size_t i = 0; i < messages.size(); ++i) EXPECT_EQ(back[i], messages[i]) << i;
  }
}

}  // namespace
}  // namespace tepo
