// The maintenance window of the running program as the user meets it: what
// the screen shows inside its frames, and real keystrokes in its edit box.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <memory>

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
    ASSERT_TRUE(tepo_->choose(L"データメンテナンス"));
    ASSERT_TRUE(waitFor([&] {
      w_ = findWindow(tepo_->pid(), L"tepoFrmMente", nullptr);
      return w_ && IsWindowVisible(w_);
    }));
    SetForegroundWindow(w_);
    ASSERT_TRUE(waitFor([&] { return GetForegroundWindow() == w_; }));
  }

  // A real click in the control, which takes the focus. Each lands elsewhere,
  // so that two in a row are not a double click.
  void clickInto(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    clicks_ = (clicks_ + 1) % 8;
    clickAt(POINT{r.left + 8 + clicks_ * 12, (r.top + r.bottom) / 2});
    ASSERT_TRUE(waitFor([&] { return focusOf(w_) == control; }));
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

TEST_F(EditorInProgram, TabAndShiftTabLeaveTheEditBoxCtrlTabTypesATabAndEnterABreak) {
  HWND text1 = findControl(w_, L"Edit");
  clickInto(text1);
  pressKeys({VK_TAB});
  EXPECT_TRUE(waitFor([&] { return focusOf(w_) == findControl(w_, L"Button", L"終了"); }));

  clickInto(text1);
  pressKeys({VK_SHIFT, VK_TAB});
  EXPECT_TRUE(waitFor([&] { return focusOf(w_) == findControl(w_, L"Button", L"削除"); }));

  clickInto(text1);
  SendMessageW(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"ab"));
  pressKeys({VK_CONTROL, VK_END});
  pressKeys({VK_CONTROL, VK_TAB});
  EXPECT_TRUE(waitFor([&] { return windowText(text1) == L"ab\t"; })) << windowText(text1).size();
  EXPECT_EQ(focusOf(w_), text1);
  // Enter breaks the line, as in any multi-line box.
  pressKeys({VK_RETURN});
  EXPECT_TRUE(waitFor([&] { return windowText(text1) == L"ab\t\r\n"; })) << windowText(text1).size();
  EXPECT_EQ(focusOf(w_), text1);
}

TEST_F(EditorInProgram, TypingGoesOnPastTheEditBoxDefaultLimit) {
  HWND text1 = findControl(w_, L"Edit");
  clickInto(text1);
  const std::wstring full(32767, L'a');
  SendMessageW(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(full.c_str()));
  pressKeys({VK_CONTROL, VK_END});
  pressKeys({'X'});
  pressKeys({'Y'});
  EXPECT_TRUE(waitFor([&] { return SendMessageW(text1, WM_GETTEXTLENGTH, 0, 0) == 32769; }))
      << SendMessageW(text1, WM_GETTEXTLENGTH, 0, 0);
  EXPECT_EQ(windowText(text1).substr(32767), L"xy");
}

// Escape throws nothing away: in no control of the editor or the search
// dialog does it close the window or change what was typed.
TEST_F(EditorInProgram, EscapeClosesNeitherWindowFromAnyControl) {
  ASSERT_TRUE(tepo_->choose(L"検索"));
  HWND search = nullptr;
  ASSERT_TRUE(
      waitFor([&] { return (search = findWindow(tepo_->pid(), L"tepoSearch", nullptr)) && IsWindowVisible(search); }));
  // Side by side, so that each click lands in the window it is meant for.
  RECT r;
  GetWindowRect(w_, &r);
  SetWindowPos(search, nullptr, r.right + 20, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // The controls by class and caption: the first or second edit box.
  const HWND editorText1 = findControl(w_, L"Edit");
  const HWND searchText1 = findControl(search, L"Edit");
  struct Case {
    const char* what;
    HWND window;
    HWND clicked;  // the control clicked into
    int tabs;      // then Tab pressed this often, to reach a button without pressing it
    HWND focus;
  };
  const Case cases[] = {
      {"editor text1", w_, editorText1, 0, editorText1},
      {"editor List1", w_, findControl(w_, L"ListBox"), 0, findControl(w_, L"ListBox")},
      {"editor 終了", w_, editorText1, 1, findControl(w_, L"Button", L"終了")},
      {"search text1", search, searchText1, 0, searchText1},
      {"search Text2", search, findControl(search, L"Edit", nullptr, 1), 0, findControl(search, L"Edit", nullptr, 1)},
      {"search List1", search, findControl(search, L"ListBox"), 0, findControl(search, L"ListBox")},
      {"search を検索！", search, searchText1, 1, findControl(search, L"Button", L"を検索！")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    w_ = c.window;
    SetForegroundWindow(w_);
    ASSERT_TRUE(waitFor([&] { return GetForegroundWindow() == w_; }));
    HWND typed = c.clicked;
    if (className(typed) == L"Edit") SendMessageW(typed, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"half written"));
    clickInto(c.clicked);
    for (int i = 0; i < c.tabs; ++i) pressKeys({VK_TAB});
    ASSERT_TRUE(waitFor([&] { return focusOf(w_) == c.focus; }));
    pressKeys({VK_ESCAPE});
    waitFor([] { return false; }, 300);
    EXPECT_TRUE(IsWindow(w_) && IsWindowVisible(w_));
    EXPECT_EQ(findMessageBox(tepo_->pid()), nullptr);
    if (className(typed) == L"Edit") {
      EXPECT_EQ(windowText(typed), L"half written");
    }
    if (!IsWindow(w_)) return;
  }
}

}  // namespace
}  // namespace tepo::testing

namespace tepo::testing {
namespace {

// The running program's editor, opened from its menu: text added as the last
// message and saved, OK to every question.
struct EditorRun {
  std::vector<std::wstring> rowsAtOpening;
  std::wstring saveReport;
};

EditorRun addAndSave(const TepoProcess& tepo, const wchar_t* text) {
  EditorRun run;
  if (!tepo.choose(L"データメンテナンス")) return run;
  HWND w = nullptr;
  if (!waitFor([&] { return (w = findWindow(tepo.pid(), L"tepoFrmMente", nullptr)) && IsWindowVisible(w); })) {
    return run;
  }
  run.rowsAtOpening = listRows(findControl(w, L"ListBox"));
  SendMessageW(findControl(w, L"Edit"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  {
    MessageBoxAnswerer answerer(tepo.pid(), answerOk);
    PostMessageW(findControl(w, L"Button", L"追加"), BM_CLICK, 0, 0);
    if (!waitFor([&] { return answerer.count() == 2; })) return run;
  }
  MessageBoxAnswerer answerer(tepo.pid(), answerOk);
  if (!chooseFromMenuBar(w, 'F', 'S')) return run;
  waitFor([&] { return answerer.count() == 1; });
  run.saveReport = answerer.texts();
  return run;
}

// A folder of 250 characters: tepo.exe's own path still fits MAX_PATH, the
// temporary file's name beside tepo.dat does not.
TEST(EditorLongPath, LoadsAndSavesInAFolderOf250Characters) {
  const std::string messages = "one\r\ntwo\r\n";
  TepoProcess tepo(&messages, 250);
  ASSERT_EQ(tepo.exeFolder().size(), 250u);
  ASSERT_TRUE(tepo.started());
  const EditorRun run = addAndSave(tepo, L"three");
  EXPECT_EQ(run.rowsAtOpening, (std::vector<std::wstring>{L"one", L"two"}));
  EXPECT_EQ(run.saveReport, L"データを保存しました!");
  EXPECT_EQ(readFileBytes(tepo.dataFile()), "one\r\ntwo\r\nthree\r\n");
  EXPECT_EQ(filesIn(tepo.exeFolder()), (std::set<std::wstring>{L"tepo.dat", L"tepo.exe"}));
}

// A shortcut may start tepo in another folder, and its folder may lie deeper
// than MAX_PATH: it reads and saves the tepo.dat beside tepo.exe, never the
// one in the current folder.
TEST(FileBesideTheProgram, IsReadAndSavedWhereverTheProgramIsStartedFrom) {
  const struct {
    const char* what;
    std::size_t depth;
  } cases[] = {{"started in another folder", 0}, {"a path of more than 260 characters", 300}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder current;
    const std::string elsewhere = "in the current folder\r\n";
    writeFileBytes(current.file(L"tepo.dat"), elsewhere);
    const std::string beside = "beside the program\r\n";
    TepoProcess tepo(&beside, c.depth, current.path());
    ASSERT_TRUE(tepo.started());
    ASSERT_TRUE(tepo.trayEventHandled(WM_LBUTTONUP));
    EXPECT_EQ(tepo.balloonText(), L"beside the program");

    const EditorRun run = addAndSave(tepo, L"added");
    EXPECT_EQ(run.rowsAtOpening, std::vector<std::wstring>{L"beside the program"});
    EXPECT_EQ(run.saveReport, L"データを保存しました!");
    EXPECT_EQ(readFileBytes(L"\\\\?\\" + tepo.dataFile()), beside + "added\r\n");
    EXPECT_EQ(readFileBytes(current.file(L"tepo.dat")), elsewhere);
  }
}

}  // namespace
}  // namespace tepo::testing
