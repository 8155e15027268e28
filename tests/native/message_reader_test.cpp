// The reader: Shift-JIS and UTF-8 as they come, and which encoding each line
// of a file is read in.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include <sys/stat.h>

#include "encodings/ansi.h"
#include "messages/message_file.h"
#include "messages/message_reader.h"
#include "messages/message_table.h"
#include "messages/message_writer.h"
#include "read_bytes.h"
#include "temp_dir.h"
#include "tests/failing_ops.h"

namespace tepo {
namespace {

using testing::ChunkedFile;
using testing::readBytes;
using testing::TempDir;

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
  // Lines of the code page and UTF-8 lines between them, whose first byte
  // beyond ASCII comes at every place of the lines before and after it.
  std::string mixedBytes = "\x82\xA0\r\n";
  std::vector<Text> mixedMessages = {u"あ"};
  std::vector<std::size_t> mixedOther;
  for (std::size_t k = 0; k < 70; ++k) {
    mixedBytes += std::string(k, 'a') + u8"日本語\r\n" + std::string(k % 7, 'b') + "\x82\xA2\r\n";
    mixedOther.push_back(mixedMessages.size());
    mixedMessages.push_back(Text(k, u'a') + u"日本語");
    mixedMessages.push_back(Text(k % 7, u'b') + u"い");
  }
  std::vector<Case> cases = {
      {"UTF-8 lines among Shift-JIS lines", mixedBytes, FileEncoding::Ansi, mixedMessages, mixedOther},
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
  // A UTF-8 line appended after lines of the code page that run over 64
  // bytes, its first kanji early or late among them.
  for (std::size_t lines : {7u, 30u}) {
    for (const std::string& lead : {std::string(), std::string(70, 'a')}) {
      std::string bytes;
      std::vector<Text> messages;
      for (std::size_t i = 0; i < lines; ++i) {
        bytes +=
            "\x82\xA0\x82\xA2"
            "abc\r\n";
        messages.push_back(u"あいabc");
      }
      bytes += lead + u8"日本語\r\n\x82\xA0\r\n";
      messages.push_back(Text(lead.begin(), lead.end()) + u"日本語");
      messages.push_back(u"あ");
      cases.push_back({"a UTF-8 line after long Shift-JIS", bytes, FileEncoding::Ansi, messages, {lines}});
    }
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

}  // namespace
}  // namespace tepo
