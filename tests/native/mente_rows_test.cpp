// The editor table's editing operations: slots, blank rows and the row selected afterwards.
#include <gtest/gtest.h>

#include "editor/mente_table.h"
#include "temp_dir.h"
#include "tests/mente_slots.h"
#include "tests/sample_messages.h"

namespace tepo {
namespace {

using testing::kABCD;

using testing::TempDir;

// A table as after loading these messages.
MenteTable loaded(const std::string& bytes) {
  TempDir dir;
  dir.write("tepo.dat", bytes);
  MenteTable table;
  table.load(dir.text("tepo.dat"), systemFileOps());
  return table;
}

std::vector<Text> slots(const MenteTable& table) { return testing::slotTexts(table); }

void expectSlotInvariant(const MenteTable& table) {
  ASSERT_GE(table.upperBound(), table.count());
  ASSERT_EQ(slots(table).size(), static_cast<std::size_t>(table.upperBound()) + 1);
  for (std::size_t i = static_cast<std::size_t>(table.count()); i < slots(table).size(); ++i) {
    EXPECT_TRUE(table.rows().text(static_cast<int>(i)).empty()) << "slot " << i << " past the messages is not empty";
  }
}

TEST(MenteEditing, LoadGivesOneSpareSlot) {
  MenteTable table = loaded(kABCD);
  EXPECT_EQ(table.count(), 4);
  EXPECT_EQ(table.upperBound(), 4);
  EXPECT_EQ(slots(table), (std::vector<Text>{u"A", u"B", u"C", u"D", u""}));
}

struct DeleteCase {
  int row;
  std::vector<Text> slotsAfter;
  int selected;
};

class DeleteFromABCD : public ::testing::TestWithParam<DeleteCase> {};

// The worked example: only r - 1 > 0 moves the selection to the message before.
TEST_P(DeleteFromABCD, ClosesTheGapKeepsTheBoundAndSelects) {
  MenteTable table = loaded(kABCD);
  int selected = table.remove(GetParam().row);
  EXPECT_EQ(slots(table), GetParam().slotsAfter);
  EXPECT_EQ(table.count(), 3);
  EXPECT_EQ(table.upperBound(), 4);
  EXPECT_EQ(selected, GetParam().selected);
  expectSlotInvariant(table);
}

INSTANTIATE_TEST_SUITE_P(WorkedExample, DeleteFromABCD,
                         ::testing::Values(DeleteCase{0, {u"B", u"C", u"D", u"", u""}, 0},
                                           DeleteCase{1, {u"A", u"C", u"D", u"", u""}, 1},
                                           DeleteCase{2, {u"A", u"B", u"D", u"", u""}, 1},
                                           DeleteCase{3, {u"A", u"B", u"C", u"", u""}, 2}));

TEST(MenteEditing, TwoDeletionsLeaveTwoBlankRowsAndTheNextAddDropsThem) {
  MenteTable table = loaded(kABCD);
  table.remove(3);
  table.remove(0);
  EXPECT_EQ(table.count(), 2);
  EXPECT_EQ(table.upperBound(), 4);
  expectSlotInvariant(table);

  int row = table.add(u"new");
  EXPECT_EQ(row, 2);
  EXPECT_EQ(table.count(), 3);
  EXPECT_EQ(table.upperBound(), 3);
  EXPECT_EQ(slots(table), (std::vector<Text>{u"B", u"C", u"new", u""}));
}

TEST(MenteEditing, AddGoesToTheEndAndKeepsEmptyTextsAndDuplicates) {
  MenteTable table = loaded("A\r\nB\r\n");
  EXPECT_EQ(table.add(u""), 2);
  EXPECT_EQ(table.add(u"A"), 3);
  EXPECT_EQ(table.add(u"x\r\ny"), 4);
  EXPECT_EQ(slots(table), (std::vector<Text>{u"A", u"B", u"", u"A", u"x\r\ny", u""}));
  EXPECT_EQ(table.upperBound(), table.count());
}

TEST(MenteEditing, DeletingTheOnlyMessageLeavesOneBlankRowSelected) {
  MenteTable table = loaded("only\r\n");
  EXPECT_EQ(table.remove(0), 0);
  EXPECT_EQ(table.count(), 0);
  EXPECT_EQ(table.upperBound(), 1);
  EXPECT_EQ(formatSave(table.rows(), table.kept(), table.encoding()).bytes, "");
  expectSlotInvariant(table);
}

TEST(MenteEditing, DeletingTheLastOfTwoFromRowOneSelectsTheBlankRow) {
  MenteTable table = loaded("A\r\nB\r\n");
  int selected = table.remove(1);
  EXPECT_EQ(selected, 1);
  EXPECT_FALSE(table.isMessageRow(selected));
  EXPECT_TRUE(table.rows().text(selected).empty());
}

TEST(MenteEditing, UpdateReplacesOnlyThatSlot) {
  MenteTable table = loaded(kABCD);
  table.update(2, u"see");
  EXPECT_EQ(slots(table), (std::vector<Text>{u"A", u"B", u"see", u"D", u""}));
  EXPECT_EQ(table.count(), 4);
  EXPECT_EQ(table.upperBound(), 4);
}

// No row selected (-1) and the blank rows that deletions leave are refused,
// with the table exactly as it was.
TEST(MenteEditing, UpdateAndDeleteOutsideTheMessagesChangeNothing) {
  MenteTable table = loaded(kABCD);
  table.remove(3);  // row 3 is now blank, row 4 the older blank
  const std::vector<Text> before = slots(table);
  for (int row : {-1, 3, 4, 5, 32767}) {
    SCOPED_TRACE(row);
    EXPECT_FALSE(table.isMessageRow(row));
    EXPECT_THROW(table.update(row, u"text"), RuntimeError);
    EXPECT_THROW(table.remove(row), RuntimeError);
    EXPECT_EQ(slots(table), before);
    EXPECT_EQ(table.count(), 3);
  }
  EXPECT_TRUE(table.isMessageRow(0));
  EXPECT_TRUE(table.isMessageRow(2));
}

TEST(MenteEditing, AddingToAFullTableOverflowsAndChangesNothing) {
  MenteTable table;
  for (int i = 0; i < kMaxMessages; ++i) table.add(u"m");
  table.remove(5);
  table.add(u"last");
  ASSERT_TRUE(table.isFull());
  const std::vector<Text> before = slots(table);
  try {
    table.add(u"one too many");
    FAIL() << "no overflow";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.code(), ErrorCode::Overflow);
  }
  EXPECT_EQ(table.count(), kMaxMessages);
  EXPECT_EQ(slots(table), before);
  expectSlotInvariant(table);
}

TEST(MenteEditing, ResetLeavesOneEmptySlot) {
  MenteTable table = loaded(kABCD);
  table.reset();
  EXPECT_EQ(slots(table), std::vector<Text>{u""});
  EXPECT_EQ(table.count(), 0);
  EXPECT_EQ(table.upperBound(), 0);
}

}  // namespace
}  // namespace tepo
