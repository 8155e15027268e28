// The bytes a save writes for messages typed in the editor.
#include <gtest/gtest.h>

#include "mente_fixture.h"

namespace tepo {
namespace {

using testing::planOf;
using testing::written;

TEST(MenteFileBytes, ShiftJisLinesWithCrLfAndBackslashN) {
  MenteTable table;
  table.add(u"あいう");
  table.add(u"line1\r\nline2");
  table.add(u"");
  table.add(u"ソ表");
  EXPECT_EQ(written(table).bytes, std::string("\x82\xA0\x82\xA2\x82\xA4\r\nline1\\nline2\r\n\r\n\x83\x5C\x95\x5C\r\n"));
}

TEST(MenteFileBytes, EmptyTableIsZeroBytesAndBlankRowsAreNotWritten) {
  MenteTable table;
  EXPECT_EQ(written(table).bytes, "");
  table.add(u"A");
  table.add(u"B");
  table.remove(0);
  EXPECT_EQ(written(table).bytes, "B\r\n");
}

TEST(MenteFileBytes, CommasAndLeadingBlanksAreQuotedSoTheyReadBackWhole) {
  MenteTable table;
  table.add(u"a,b");
  table.add(u"  lead");
  EXPECT_EQ(written(table).bytes, "\"a,b\"\r\n\"  lead\"\r\n");
}

// The question names the row among the messages, blank rows aside.
TEST(MenteFileBytes, CharactersTheCodePageLacksAreAskedAboutAndWrittenAsQuestionMarks) {
  MenteTable table;
  table.add(u"fine");
  table.add(u"also fine あ");
  EXPECT_EQ(planOf(table).question(), nullptr);
  table.add(u"smile \U0001F600");
  table.add(u"한국어");
  const SavePlan plan = planOf(table);
  ASSERT_NE(plan.question(), nullptr);
  EXPECT_EQ(plan.question()->text.substr(0, 3), u"3行目");
  const SaveOutput out = written(table);
  EXPECT_TRUE(out.lossy);
  EXPECT_EQ(out.bytes.substr(0, 27), "fine\r\nalso fine \x82\xA0\r\nsmile ?");
  table.remove(2);
  table.remove(2);
  EXPECT_EQ(planOf(table).question(), nullptr);
}

}  // namespace
}  // namespace tepo
