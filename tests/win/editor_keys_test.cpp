// The maintenance window of the running program as the user meets it: what
// the screen shows inside its frames, and real keystrokes in its edit box.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <memory>

#include "app/form1.h"
#include "editor/frm_mente.h"
#include "forms/screen.h"
#include "harness.h"

namespace tepo::testing {
namespace {

class EditorInProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string messages = "one\r\ntwo\r\n";
    tepo_ = std::make_unique<TepoProcess>(&messages);
    ASSERT_TRUE(tepo_->started());
    PostMessageW(tepo_->form1(), WM_COMMAND, MAKEWPARAM(Form1::kMnuMente, 0), 0);
    ASSERT_TRUE(waitFor([&] {
      w_ = findWindow(tepo_->pid(), L"tepoFrmMente", nullptr);
      return w_ && IsWindowVisible(w_);
    }));
    SetForegroundWindow(w_);
    ASSERT_TRUE(waitFor([&] { return GetForegroundWindow() == w_; }));
  }

  HWND item(int id) const { return GetDlgItem(w_, id); }

  // A real click in the control, which takes the focus. Each lands elsewhere,
  // so that two in a row are not a double click.
  void clickInto(int id) {
    RECT r;
    GetWindowRect(item(id), &r);
    clicks_ = (clicks_ + 1) % 8;
    clickAt(POINT{r.left + 8 + clicks_ * 12, (r.top + r.bottom) / 2});
    ASSERT_TRUE(waitFor([&] { return focusOf(w_) == item(id); }));
  }

  std::unique_ptr<TepoProcess> tepo_;
  HWND w_ = nullptr;
  int clicks_ = 0;
};

TEST_F(EditorInProgram, FramesShowTheWindowBackgroundBehindTheButtons) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  struct Spot {
    const char* where;
    double x, y;  // twips in the client area
  };
  const Spot spots[] = {
      {"open background", 2500, 5500},
      {"Frame1, between 追加 and 修正", 5587, 5587},
      {"Frame1, between 修正 and 削除", 6667, 5587},
      {"Frame1, under the buttons", 5000, 5835},
      {"Frame2, beside 終了", 1275, 5587},
      {"Frame2, under 終了", 700, 5835},
  };
  for (const Spot& s : spots) {
    COLORREF seen = 0;
    EXPECT_TRUE(waitFor([&] { return (seen = screenPixel(w_, px(s.x), py(s.y))) == face; }, 3000))
        << s.where << ": 0x" << std::hex << seen;
  }
}

TEST_F(EditorInProgram, TabAndShiftTabLeaveTheEditBoxAndCtrlTabTypesATab) {
  HWND text1 = item(frmMente::kText1);
  clickInto(frmMente::kText1);
  pressKeys({VK_TAB});
  EXPECT_TRUE(waitFor([&] { return focusOf(w_) == item(frmMente::kCommand1); }));

  clickInto(frmMente::kText1);
  pressKeys({VK_SHIFT, VK_TAB});
  EXPECT_TRUE(waitFor([&] { return focusOf(w_) == item(frmMente::kBtnDelete); }));

  clickInto(frmMente::kText1);
  SendMessageW(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"ab"));
  pressKeys({VK_CONTROL, VK_END});
  pressKeys({VK_CONTROL, VK_TAB});
  EXPECT_TRUE(waitFor([&] { return windowText(text1) == L"ab\t"; })) << windowText(text1).size();
  EXPECT_EQ(focusOf(w_), text1);
}

TEST_F(EditorInProgram, TypingGoesOnPastTheEditBoxDefaultLimit) {
  HWND text1 = item(frmMente::kText1);
  clickInto(frmMente::kText1);
  const std::wstring full(32767, L'a');
  SendMessageW(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(full.c_str()));
  pressKeys({VK_CONTROL, VK_END});
  pressKeys({'X'});
  pressKeys({'Y'});
  EXPECT_TRUE(waitFor([&] { return SendMessageW(text1, WM_GETTEXTLENGTH, 0, 0) == 32769; }))
      << SendMessageW(text1, WM_GETTEXTLENGTH, 0, 0);
  EXPECT_EQ(windowText(text1).substr(32767), L"xy");
}

}  // namespace
}  // namespace tepo::testing

namespace tepo::testing {
namespace {

// A folder of 250 characters: tepo.exe's own path still fits MAX_PATH, the
// temporary file's name beside tepo.dat does not.
TEST(EditorLongPath, LoadsAndSavesInAFolderOf250Characters) {
  const std::string messages = "one\r\ntwo\r\n";
  TepoProcess tepo(&messages, 250);
  ASSERT_EQ(tepo.exeFolder().size(), 250u);
  ASSERT_TRUE(tepo.started());
  PostMessageW(tepo.form1(), WM_COMMAND, MAKEWPARAM(Form1::kMnuMente, 0), 0);
  HWND w = nullptr;
  ASSERT_TRUE(waitFor([&] { return (w = findWindow(tepo.pid(), L"tepoFrmMente", nullptr)) && IsWindowVisible(w); }));
  HWND list = GetDlgItem(w, frmMente::kList1);
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);

  SendMessageW(GetDlgItem(w, frmMente::kText1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"three"));
  {
    MessageBoxAnswerer answerer(tepo.pid(), answerOk);
    PostMessageW(GetDlgItem(w, frmMente::kBtnAdd), BM_CLICK, 0, 0);
    ASSERT_TRUE(waitFor([&] { return answerer.count() == 2; }));
  }
  {
    MessageBoxAnswerer answerer(tepo.pid(), answerOk);
    PostMessageW(w, WM_COMMAND, MAKEWPARAM(frmMente::kMnuSave, 0), 0);
    ASSERT_TRUE(waitFor([&] { return answerer.count() == 1; }));
    EXPECT_EQ(answerer.texts(), L"データを保存しました!");
  }
  EXPECT_EQ(readFileBytes(tepo.dataFile()), "one\r\ntwo\r\nthree\r\n");
  EXPECT_EQ(filesIn(tepo.exeFolder()), (std::set<std::wstring>{L"tepo.dat", L"tepo.exe"}));
}

}  // namespace
}  // namespace tepo::testing
