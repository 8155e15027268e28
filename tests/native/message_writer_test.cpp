// The writer: its lines, quoting, what no line can carry, and characters the
// code page lacks.
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

using testing::readBytes;
using testing::TempDir;

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
