// Adding, modifying and deleting in the maintenance window, each question
// answered in the real message box with OK or Cancel.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "editor_fixture.h"
#include "messages/message_table.h"
#include "tests/sample_messages.h"

namespace tepo::testing {
namespace {

const std::wstring kAskAdd = L"追加します。よろしいですか？";
const std::wstring kAskUpdate = L"更新します。よろしいですか？";
const std::wstring kAskDelete = L"削除します。よろしいですか？";

using Rows = std::vector<std::wstring>;

class MenteEditing : public MenteFixture {
 protected:
  // The visible state an operation may change: rows, selection, edit box, table.
  struct State {
    Rows rows;
    int selected;
    std::wstring text;
    std::vector<Text> slots;
    int16_t count;
    bool operator==(const State& o) const {
      return rows == o.rows && selected == o.selected && text == o.text && slots == o.slots && count == o.count;
    }
  };
  State state() { return State{rows(), selected(), text1(), slotTexts(form().table()), form().table().count()}; }
};

TEST_F(MenteEditing, QuestionsHaveOkAndCancelWithOkDefaultAndNoIcon) {
  open(&kABCD);
  struct Seen {
    std::wstring caption, text;
    bool ok = false, cancel = false, okDefault = false, icon = false;
  } question, report;
  // Looks at each box before answering it, from a thread of its own.
  std::thread inspector([&] {
    for (Seen* seen : {&question, &report}) {
      HWND box = nullptr;
      for (int i = 0; i < 1000 && !(box = findMessageBox(GetCurrentProcessId())); ++i) Sleep(5);
      if (!box) return;
      seen->caption = windowText(box);
      seen->text = messageBoxText(box);
      seen->ok = GetDlgItem(box, IDOK) != nullptr;
      seen->cancel = GetDlgItem(box, IDCANCEL) != nullptr;
      seen->okDefault = LOWORD(SendMessageW(box, DM_GETDEFID, 0, 0)) == IDOK;
      seen->icon = GetDlgItem(box, 0x0014) != nullptr && IsWindowVisible(GetDlgItem(box, 0x0014));
      pressButton(box, IDOK);
      for (int i = 0; i < 1000 && IsWindow(box); ++i) Sleep(5);
    }
  });
  SendMessageW(button(kBtnAdd), BM_CLICK, 0, 0);
  inspector.join();
  EXPECT_EQ(question.caption, L"tepo");
  EXPECT_EQ(question.text, kAskAdd);
  EXPECT_TRUE(question.ok);
  EXPECT_TRUE(question.cancel);
  EXPECT_TRUE(question.okDefault);
  EXPECT_FALSE(question.icon);
  EXPECT_EQ(report.caption, L"tepo");
  EXPECT_EQ(report.text, L"最終行に追加しました");
  EXPECT_TRUE(report.ok);
  EXPECT_FALSE(report.cancel);
  EXPECT_FALSE(report.icon);
}

TEST_F(MenteEditing, AddPutsTheTextLastAndSelectsIt) {
  open(&kABCD);
  pick(1);
  typeText(L"two\r\nlines");
  EXPECT_EQ(click(kBtnAdd), kAskAdd + L"|最終行に追加しました");
  EXPECT_EQ(rows(), (Rows{L"A", L"B", L"C", L"D", L"two\r\nlines"}));
  EXPECT_EQ(selected(), 4);
  EXPECT_EQ(text1(), L"two\r\nlines");
  EXPECT_EQ(form().table().count(), 5);
  EXPECT_EQ(form().table().upperBound(), 5);
  // An empty text and a duplicate are added as they are.
  typeText(L"");
  click(kBtnAdd);
  pick(0);
  click(kBtnAdd);
  EXPECT_EQ(rows(), (Rows{L"A", L"B", L"C", L"D", L"two\r\nlines", L"", L"A"}));
  EXPECT_EQ(selected(), 6);
}

TEST_F(MenteEditing, AddToAnEmptyListNeedsNoSelection) {
  EXPECT_EQ(open(nullptr), L"ファイル読み込みに失敗しました");
  typeText(L"first");
  EXPECT_EQ(click(kBtnAdd), kAskAdd + L"|最終行に追加しました");
  EXPECT_EQ(rows(), (Rows{L"first"}));
  EXPECT_EQ(selected(), 0);
}

TEST_F(MenteEditing, UpdateReplacesTheSelectedRowAndSelectsItAgain) {
  open(&kABCD);
  pick(2);
  EXPECT_EQ(text1(), L"C");
  typeText(L"see");
  EXPECT_EQ(click(kBtnUpdate), kAskUpdate + L"|更新しました");
  EXPECT_EQ(rows(), (Rows{L"A", L"B", L"see", L"D"}));
  EXPECT_EQ(selected(), 2);
  EXPECT_EQ(text1(), L"see");
  EXPECT_EQ(form().table().count(), 4);
  EXPECT_EQ(form().table().upperBound(), 4);
}

struct DeleteCase {
  int row;
  Rows rowsAfter;
  int selected;
  const wchar_t* text;
};

class DeleteFromABCD : public MenteEditing, public ::testing::WithParamInterface<DeleteCase> {};

// The worked example: A, B, C, D with one row deleted.
TEST_P(DeleteFromABCD, ClosesTheGapLeavesABlankRowAndSelects) {
  open(&kABCD);
  pick(GetParam().row);
  EXPECT_EQ(click(kBtnDelete), kAskDelete + L"|削除しました");
  EXPECT_EQ(rows(), GetParam().rowsAfter);
  EXPECT_EQ(selected(), GetParam().selected);
  EXPECT_EQ(text1(), GetParam().text);
  EXPECT_EQ(form().table().count(), 3);
  EXPECT_EQ(form().table().upperBound(), 4);
}

INSTANTIATE_TEST_SUITE_P(WorkedExample, DeleteFromABCD,
                         ::testing::Values(DeleteCase{0, {L"B", L"C", L"D", L""}, 0, L"B"},
                                           DeleteCase{1, {L"A", L"C", L"D", L""}, 1, L"C"},
                                           DeleteCase{2, {L"A", L"B", L"D", L""}, 1, L"B"},
                                           DeleteCase{3, {L"A", L"B", L"C", L""}, 2, L"C"}));

TEST_F(MenteEditing, TwoDeletionsLeaveTwoBlankRowsUntilTheNextAdd) {
  open(&kABCD);
  pick(3);
  click(kBtnDelete);
  pick(0);
  click(kBtnDelete);
  EXPECT_EQ(rows(), (Rows{L"B", L"C", L"", L""}));
  typeText(L"new");
  click(kBtnAdd);
  EXPECT_EQ(rows(), (Rows{L"B", L"C", L"new"}));
  EXPECT_EQ(selected(), 2);
  EXPECT_EQ(form().table().upperBound(), 3);
}

TEST_F(MenteEditing, DeletingTheOnlyMessageLeavesOneBlankRowSelected) {
  const std::string one = "only\r\n";
  open(&one);
  pick(0);
  click(kBtnDelete);
  EXPECT_EQ(rows(), (Rows{L""}));
  EXPECT_EQ(selected(), 0);
  EXPECT_EQ(text1(), L"");
  EXPECT_EQ(form().table().count(), 0);
}

// Cancel on any question leaves the table, the list, the selection and the edit box.
TEST_F(MenteEditing, CancelChangesNothing) {
  open(&kABCD);
  pick(1);
  typeText(L"typed");
  const State before = state();
  EXPECT_EQ(click(kBtnAdd, cancelOn(kAskAdd)), kAskAdd);
  EXPECT_TRUE(state() == before);
  EXPECT_EQ(click(kBtnUpdate, cancelOn(kAskUpdate)), kAskUpdate);
  EXPECT_TRUE(state() == before);
  EXPECT_EQ(click(kBtnDelete, cancelOn(kAskDelete)), kAskDelete);
  EXPECT_TRUE(state() == before);
  EXPECT_EQ(selected(), 1);
  EXPECT_EQ(text1(), L"typed");
}

// With no row selected, or a blank row left by a deletion, there is no message
// to modify or delete: the user is told, nothing is asked and nothing changes.
TEST_F(MenteEditing, UpdateAndDeleteWithoutAMessageRowAreRefused) {
  open(&kABCD);
  typeText(L"typed");
  State before = state();
  ASSERT_EQ(before.selected, -1);
  EXPECT_EQ(click(kBtnUpdate), L"行が選択されていません");
  EXPECT_EQ(click(kBtnDelete), L"行が選択されていません");
  EXPECT_TRUE(state() == before);

  pick(3);
  click(kBtnDelete);  // row 3 is now a blank row
  pick(3);
  typeText(L"typed");
  before = state();
  EXPECT_EQ(click(kBtnUpdate), L"この行にはメッセージがありません");
  EXPECT_EQ(click(kBtnDelete), L"この行にはメッセージがありません");
  EXPECT_TRUE(state() == before);
  EXPECT_EQ(form().table().count(), 3);

  // A save still writes exactly the three messages.
  EXPECT_EQ(menu(kMnuSave), L"データを保存しました!");
  EXPECT_EQ(fileBytes(), "A\r\nB\r\nC\r\n");
}

TEST_F(MenteEditing, AddingToAFullTableIsRefusedWithoutAQuestion) {
  std::string bytes;
  for (int i = 0; i < kMaxMessages; ++i) bytes += std::to_string(i) + "\r\n";
  open(&bytes);
  pick(5);
  typeText(L"one too many");
  const State before = state();
  EXPECT_EQ(click(kBtnAdd), L"これ以上追加できません（最大32767件）");
  EXPECT_TRUE(state() == before);

  // After a deletion there is room for one again.
  click(kBtnDelete);
  typeText(L"fits");
  EXPECT_EQ(click(kBtnAdd), kAskAdd + L"|最終行に追加しました");
  EXPECT_EQ(form().table().count(), kMaxMessages);
  EXPECT_EQ(selected(), kMaxMessages - 1);
  EXPECT_EQ(text1(), L"fits");
}

TEST_F(MenteEditing, EditsStayInTheWindowUntilSaved) {
  open(&kABCD);
  pick(0);
  typeText(L"changed");
  click(kBtnUpdate);
  pick(3);
  click(kBtnDelete);
  EXPECT_EQ(fileBytes(), kABCD);
  EXPECT_EQ(mainTable().count(), 4);
  EXPECT_EQ(mainTable().at(0), u"A");
}

}  // namespace
}  // namespace tepo::testing
