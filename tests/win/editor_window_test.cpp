// The maintenance window as it is built and opened: its frame, menu, controls
// and tab order, loading the file into the list, and closing.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <map>
#include <thread>

#include "editor_fixture.h"
#include "forms/screen.h"
#include "forms/window.h"
#include "messages/message_table.h"
#include "tests/sample_messages.h"

namespace tepo::testing {
namespace {

using MenteWindow = MenteFixture;

TEST_F(MenteWindow, FixedDialogFrameOwnedByTheHiddenMainWindow) {
  ASSERT_EQ(open(&kABCD), L"");
  HWND w = hwnd();
  EXPECT_EQ(className(w), L"tepoFrmMente");
  EXPECT_EQ(windowText(w), L"tepoデータメンテナンス");
  EXPECT_TRUE(IsWindowVisible(w));
  expectFixedCaptionedWindow(w);
  LONG_PTR ex = GetWindowLongPtrW(w, GWL_EXSTYLE);
  EXPECT_TRUE(ex & WS_EX_DLGMODALFRAME);
  // What decides the taskbar button: an owned window without WS_EX_APPWINDOW has none.
  EXPECT_EQ(GetWindow(w, GW_OWNER), form1().hwnd());
  EXPECT_FALSE(ex & (WS_EX_APPWINDOW | WS_EX_TOOLWINDOW));
  EXPECT_FALSE(IsWindowVisible(form1().hwnd()));

  RECT client;
  GetClientRect(w, &client);
  EXPECT_EQ(client.right, px(7830));
  EXPECT_EQ(client.bottom, py(5970));
}

int iconWidth(HICON icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return 0;
  UniqueBitmap colour(info.hbmColor);
  UniqueBitmap mask(info.hbmMask);
  BITMAP bm{};
  GetObjectW(colour ? colour.get() : mask.get(), sizeof(bm), &bm);
  return bm.bmWidth;
}

TEST_F(MenteWindow, CarriesTheProgramsIconInBothSizes) {
  open(&kABCD);
  EXPECT_EQ(iconWidth(reinterpret_cast<HICON>(SendMessageW(hwnd(), WM_GETICON, ICON_BIG, 0))), 32);
  EXPECT_EQ(iconWidth(reinterpret_cast<HICON>(SendMessageW(hwnd(), WM_GETICON, ICON_SMALL, 0))), 16);
}

std::wstring menuText(HMENU menu, UINT position) {
  wchar_t buffer[64] = {};
  GetMenuStringW(menu, position, buffer, 64, MF_BYPOSITION);
  return buffer;
}

TEST_F(MenteWindow, MenuBarHasTheFileMenuWithOpenSaveQuit) {
  open(&kABCD);
  HMENU bar = GetMenu(hwnd());
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(GetMenuItemCount(bar), 1);
  EXPECT_EQ(menuText(bar, 0), L"FILE(&F)");
  HMENU file = GetSubMenu(bar, 0);
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(GetMenuItemCount(file), 3);
  const wchar_t* texts[] = {L"開く(&O)", L"保存(&S)", L"終了(&Q)"};
  for (UINT i = 0; i < 3; ++i) {
    EXPECT_EQ(menuText(file, i), texts[i]);
    // No item sends what Enter and Escape send through the dialog manager.
    EXPECT_NE(GetMenuItemID(file, static_cast<int>(i)), static_cast<UINT>(IDOK));
    EXPECT_NE(GetMenuItemID(file, static_cast<int>(i)), static_cast<UINT>(IDCANCEL));
    EXPECT_EQ(GetMenuState(file, i, MF_BYPOSITION) & (MF_CHECKED | MF_GRAYED | MF_DISABLED), 0u);
  }
}

struct ControlCase {
  const wchar_t* name;
  const wchar_t* cls;
  const wchar_t* text;
  double left, top, width, height;  // twips in the window
};

TEST_F(MenteWindow, ControlsStandWhereTheDesignPutsThem) {
  open(&kABCD);
  const ControlCase cases[] = {
      {L"List1", L"ListBox", L"", 0, 0, 7815, 2580},
      {L"追加", L"Button", L"追加", 4440 + 120, 5160 + 240, 975, 375},
      {L"修正", L"Button", L"修正", 4440 + 1200, 5160 + 240, 975, 375},
      {L"削除", L"Button", L"削除", 4440 + 2280, 5160 + 240, 975, 375},
      {L"text1", L"Edit", L"", 0, 2640, 7815, 2415},
      {L"終了", L"Button", L"終了", 120 + 120, 5160 + 240, 975, 375},
      {L"Frame1", L"Button", L"", 4440, 5160, 3375, 735},
      {L"Frame2", L"Button", L"", 120, 5160, 1215, 735},
  };
  // Found as the user and assistive tools find them, in the order Tab walks
  // them, the frames beneath the rest: the nth control of its class.
  std::map<std::wstring, int> seen;
  for (const ControlCase& c : cases) {
    SCOPED_TRACE(std::string(c.name, c.name + wcslen(c.name)));
    HWND h = findControl(hwnd(), c.cls, nullptr, seen[c.cls]++);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GetParent(h), hwnd());
    EXPECT_EQ(windowText(h), c.text);
    EXPECT_TRUE(IsWindowVisible(h));
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, px(c.left));
    EXPECT_EQ(r.top, py(c.top));
    EXPECT_EQ(r.right - r.left, px(c.width));
    EXPECT_EQ(r.bottom - r.top, py(c.height));
  }
}

// What assistive tools read (group boxes and push buttons), what the edit
// box shows (lines, a scroll bar) and its font. The list's behaviour (a click
// selects, file order, exact height) has tests of its own.
TEST_F(MenteWindow, ControlKindsAndTheEditBoxFont) {
  open(&kABCD);
  EXPECT_EQ(text1(), L"");
  typeText(L"one\r\ntwo");
  EXPECT_EQ(SendMessageW(text1Edit(), EM_GETLINECOUNT, 0, 0), 2);
  EXPECT_TRUE(showsVerticalScrollBar(text1Edit()));
  for (int frame : {0, 1}) {
    EXPECT_EQ(GetWindowLongPtrW(findControl(hwnd(), L"Button", L"", frame), GWL_STYLE) & BS_TYPEMASK, BS_GROUPBOX);
  }
  for (const wchar_t* caption : {kBtnAdd, kBtnUpdate, kBtnDelete, kCommand1}) {
    EXPECT_EQ(GetWindowLongPtrW(button(caption), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
  }

  HFONT font = reinterpret_cast<HFONT>(SendMessageW(text1Edit(), WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  LOGFONTW lf{};
  ASSERT_NE(GetObjectW(font, sizeof(lf), &lf), 0);
  EXPECT_STREQ(lf.lfFaceName, L"ＭＳ ゴシック");
  EXPECT_EQ(lf.lfHeight, -py(9 * 20));  // 9 points = 180 twips
  EXPECT_EQ(lf.lfWeight, FW_NORMAL);
  EXPECT_EQ(lf.lfCharSet, SHIFTJIS_CHARSET);
}

TEST_F(MenteWindow, TabGoesThroughTheControlsInTheDesignedOrder) {
  open(&kABCD);
  const HWND order[] = {List1(),           button(kBtnAdd), button(kBtnUpdate), button(kBtnDelete), text1Edit(),
                        button(kCommand1), List1()};
  HWND at = order[0];
  for (std::size_t i = 1; i < sizeof(order) / sizeof(order[0]); ++i) {
    HWND next = GetNextDlgTabItem(hwnd(), at, FALSE);
    EXPECT_EQ(next, order[i]) << "after " << i - 1;
    at = next;
  }
  // Frames sit beneath the buttons drawn in them, or they would hide them.
  HWND child = GetWindow(button(kCommand1), GW_HWNDNEXT);
  EXPECT_EQ(className(child), L"Button");
  EXPECT_EQ(GetWindowLongPtrW(child, GWL_STYLE) & BS_TYPEMASK, BS_GROUPBOX);
  HWND second = GetWindow(child, GW_HWNDNEXT);
  EXPECT_EQ(GetWindowLongPtrW(second, GWL_STYLE) & BS_TYPEMASK, BS_GROUPBOX);
  EXPECT_EQ(GetWindow(second, GW_HWNDNEXT), nullptr);
}

TEST_F(MenteWindow, EnterAndEscapeThroughTheDialogManagerDoNothing) {
  open(&kABCD);
  HWND list = List1();
  SetFocus(list);
  std::wstring seen = answering([&] {
    for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
      MSG msg{list, WM_KEYDOWN, key, 1, GetTickCount(), {0, 0}};
      EXPECT_TRUE(forms::translateDialogMessage(msg));
      MSG up{list, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u), GetTickCount(), {0, 0}};
      forms::translateDialogMessage(up);
    }
    waitFor([] { return false; }, 200);
  });
  EXPECT_EQ(seen, L"");
  EXPECT_TRUE(form().isOpen());
  EXPECT_EQ(rows().size(), 4u);
}

TEST_F(MenteWindow, OpeningListsOneRowPerSlotWithNothingSelected) {
  const std::string bytes = "first\r\n\x82\xA0\x82\xA2\r\ntwo\\nlines\r\n\r\nlast";
  ASSERT_EQ(open(&bytes), L"");
  EXPECT_EQ(rows(), (std::vector<std::wstring>{L"first", L"あい", L"two\r\nlines", L"", L"last"}));
  EXPECT_EQ(form().table().count(), 5);
  EXPECT_EQ(form().table().upperBound(), 5);
  EXPECT_EQ(selected(), -1);
  EXPECT_EQ(text1(), L"");
}

TEST_F(MenteWindow, ClickingARowPutsItsTextInTheEditBox) {
  const std::string bytes = "first\r\ntwo\\nlines\r\n";
  open(&bytes);
  HWND list = List1();
  RECT item;
  ASSERT_NE(SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item)), LB_ERR);
  LPARAM at = MAKELPARAM(item.left + 5, (item.top + item.bottom) / 2);
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(list, WM_LBUTTONUP, 0, at);
  EXPECT_EQ(selected(), 1);
  EXPECT_EQ(text1(), L"two\r\nlines");
  pick(0);
  EXPECT_EQ(text1(), L"first");
}

TEST_F(MenteWindow, EmptyFileGivesAnEmptyListAndNoMessage) {
  const std::string empty;
  EXPECT_EQ(open(&empty), L"");
  EXPECT_TRUE(rows().empty());
  EXPECT_EQ(form().table().count(), 0);
}

TEST_F(MenteWindow, MissingFileIsReportedThenTheListIsEmpty) {
  EXPECT_EQ(open(nullptr), L"ファイル読み込みに失敗しました");
  ASSERT_TRUE(form().isOpen());
  EXPECT_TRUE(IsWindowVisible(hwnd()));
  EXPECT_TRUE(rows().empty());
}

TEST_F(MenteWindow, UnreadableFileIsReportedAndCanBeReadOnceFreed) {
  writeFile(kABCD);
  UniqueFile lock(CreateFileW(file_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(lock);
  EXPECT_EQ(open(nullptr), L"ファイル読み込みに失敗しました");
  EXPECT_TRUE(rows().empty());
  lock.reset();
  // Nothing of the failed load holds the file open.
  EXPECT_EQ(menu(kMnuOpen), L"");
  EXPECT_EQ(rows().size(), 4u);
}

TEST_F(MenteWindow, InvalidBytesLeaveTheOtherMessagesWhole) {
  const std::string bytes = "first\r\nbad\x81\r\n\xFF\xFF\r\n\x82\xA0\r\n";
  EXPECT_EQ(open(&bytes), L"");
  std::vector<std::wstring> listed = rows();
  ASSERT_EQ(listed.size(), 4u);
  EXPECT_EQ(listed[0], L"first");
  EXPECT_EQ(listed[1].substr(0, 3), L"bad");
  EXPECT_FALSE(listed[2].empty());
  EXPECT_EQ(listed[3], L"あ");
}

TEST_F(MenteWindow, ShowingItAgainWhileOpenDoesNotReload) {
  open(&kABCD);
  HWND first = hwnd();
  typeText(L"E");
  EXPECT_EQ(click(kBtnAdd), L"追加します。よろしいですか？|最終行に追加しました");
  writeFile("other\r\n");
  EXPECT_EQ(open(nullptr), L"");
  EXPECT_EQ(hwnd(), first);
  EXPECT_EQ(rows(), (std::vector<std::wstring>{L"A", L"B", L"C", L"D", L"E"}));
}

TEST_F(MenteWindow, OpenMenuDiscardsEditsOnNoAndKeepsTheEditBox) {
  open(&kABCD);
  pick(1);
  EXPECT_EQ(click(kBtnDelete), L"削除します。よろしいですか？|削除しました");
  ASSERT_EQ(rows().size(), 4u);
  typeText(L"typed");
  EXPECT_EQ(menu(kMnuOpen, answerNo), kAskSaveEdits);
  EXPECT_EQ(rows(), (std::vector<std::wstring>{L"A", L"B", L"C", L"D"}));
  EXPECT_EQ(selected(), -1);
  EXPECT_EQ(text1(), L"typed");
  // Nothing edited since: nothing to ask.
  EXPECT_EQ(menu(kMnuOpen), L"");
}

struct CloseCase {
  const char* name;
  std::function<void(HWND)> close;
  bool reloads;  // FILE > 開く: the window stays and reads the file again
};

// Every way out of unsaved edits asks first: Cancel keeps the window and the
// edits, No throws them away, Yes saves them and goes on only once saved.
// Without edits nothing is asked.
TEST_F(MenteWindow, EveryWayOutOfUnsavedEditsAsksFirst) {
  const CloseCase cases[] = {
      {"menu", [](HWND w) { SendMessageW(w, WM_COMMAND, MAKEWPARAM(menuCommand(GetMenu(w), kMnuQuit), 0), 0); }, false},
      {"button", [](HWND w) { SendMessageW(findControl(w, L"Button", kCommand1), BM_CLICK, 0, 0); }, false},
      {"close box", [](HWND w) { SendMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0); }, false},
      {"open", [](HWND w) { SendMessageW(w, WM_COMMAND, MAKEWPARAM(menuCommand(GetMenu(w), kMnuOpen), 0), 0); }, true},
  };
  for (const CloseCase& c : cases) {
    SCOPED_TRACE(c.name);
    // Closed, or read again from the file, whose last line is last.
    auto done = [&](HWND w, const std::wstring& last) {
      return c.reloads ? IsWindow(w) && rows().back() == last : !IsWindow(w);
    };
    open(&kABCD);
    HWND w = hwnd();
    EXPECT_EQ(answering([&] { c.close(w); }), L"");
    EXPECT_TRUE(done(w, L"D"));

    open(&kABCD);
    w = hwnd();
    typeText(L"unsaved");
    click(kBtnAdd);
    EXPECT_EQ(answering([&] { c.close(w); }, answerCancel), kAskSaveEdits);
    EXPECT_TRUE(IsWindow(w));
    EXPECT_EQ(rows().size(), 5u);
    // Yes, then Cancel on a question of the save: nothing saved, nothing closed.
    writeFile(kABCD + "Notepad\r\n");
    EXPECT_EQ(answering([&] { c.close(w); }, cancelOn(kChangedElsewhere)), kAskSaveEdits + L"|" + kChangedElsewhere);
    EXPECT_TRUE(IsWindow(w));
    EXPECT_EQ(rows().size(), 5u);
    EXPECT_EQ(fileBytes(), kABCD + "Notepad\r\n");

    EXPECT_EQ(answering([&] { c.close(w); }, answerNo), kAskSaveEdits);
    EXPECT_TRUE(done(w, L"Notepad"));
    EXPECT_EQ(fileBytes(), kABCD + "Notepad\r\n");
    form().destroy();

    open(&kABCD);
    w = hwnd();
    typeText(L"saved");
    click(kBtnAdd);
    EXPECT_EQ(answering([&] { c.close(w); }), kAskSaveEdits);
    EXPECT_TRUE(done(w, L"saved"));
    EXPECT_EQ(fileBytes(), kABCD + "saved\r\n");
    EXPECT_EQ(mainTable().count(), 5);
    form().destroy();
  }
}

// Signing out with unsaved edits: Windows is told to wait, and the question
// comes once the user is back; without edits nothing holds the sign-out up.
TEST_F(MenteWindow, SigningOutWithUnsavedEditsIsHeldUpForTheQuestion) {
  open(&kABCD);
  EXPECT_EQ(SendMessageW(hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  typeText(L"unsaved");
  click(kBtnAdd);
  std::wstring asked = answering(
      [&] {
        // Windows may ask more than once: one question all the same.
        EXPECT_EQ(SendMessageW(hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), FALSE);
        EXPECT_EQ(SendMessageW(hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), FALSE);
        waitFor([] { return false; }, 500);
      },
      answerCancel);
  EXPECT_EQ(asked, kAskSaveEdits);
  EXPECT_TRUE(form().isOpen());
  EXPECT_EQ(answering([&] {
              SendMessageW(hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
              waitFor([&] { return !form().isOpen(); }, 3000);
            }),
            kAskSaveEdits);
  EXPECT_FALSE(form().isOpen());
  EXPECT_EQ(fileBytes(), kABCD + "unsaved\r\n");
}

TEST_F(MenteWindow, LargestTableLoadsAndListsInFull) {
  std::string bytes;
  for (int i = 0; i < kMaxMessages; ++i) bytes += "message " + std::to_string(i) + " \x82\xA0\r\n";
  writeFile(bytes);
  DWORD start = GetTickCount();
  EXPECT_EQ(open(nullptr), L"");
  DWORD took = GetTickCount() - start;
  std::printf("32767 messages: load and list %lu ms\n", static_cast<unsigned long>(took));
  HWND list = List1();
  ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), kMaxMessages);
  pick(32766);
  EXPECT_EQ(text1(), L"message 32766 あ");

  start = GetTickCount();
  form().setList();
  std::printf("32767 messages: list again %lu ms\n", static_cast<unsigned long>(GetTickCount() - start));
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), kMaxMessages);
}

TEST_F(MenteWindow, MoreThanTheLargestTableKeepsTheFirst32767) {
  std::string bytes;
  for (int i = 0; i < kMaxMessages + 2; ++i) bytes += std::to_string(i) + "\r\n";
  writeFile(bytes);
  EXPECT_EQ(open(nullptr), L"ファイル読み込みに失敗しました");
  EXPECT_EQ(form().table().count(), kMaxMessages);
  EXPECT_EQ(SendMessageW(List1(), LB_GETCOUNT, 0, 0), kMaxMessages);
}

// The whole program, started as the user starts it: the popup menu's item opens the window.
TEST(MenteProgram, PopupMenuItemOpensTheWindowOnceWithTheFilesMessages) {
  const std::string messages = "one\r\ntwo\r\n";
  TepoProcess tepo(&messages);
  ASSERT_TRUE(tepo.started());
  HWND w = tepo.openEditor();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(GetWindow(w, GW_OWNER), tepo.form1());
  HWND list = findControl(w, L"ListBox");
  EXPECT_EQ(listRows(list), (std::vector<std::wstring>{L"one", L"two"}));

  // An addition, then the menu item again: the same window, the edit kept.
  SetWindowTextW(findControl(w, L"Edit"), L"three");
  {
    MessageBoxAnswerer answerer(tepo.pid(), answerOk);
    PostMessageW(findControl(w, L"Button", kBtnAdd), BM_CLICK, 0, 0);
    ASSERT_TRUE(waitFor([&] { return answerer.count() == 2; }));
    EXPECT_EQ(answerer.texts(), L"追加します。よろしいですか？|最終行に追加しました");
  }
  ASSERT_TRUE(tepo.choose(L"データメンテナンス"));
  waitFor([] { return false; }, 300);
  EXPECT_EQ(findWindow(tepo.pid(), L"tepoFrmMente", nullptr), w);
  EXPECT_EQ(listRows(list).size(), 3u);

  // Saving writes the file that the program reads.
  {
    MessageBoxAnswerer answerer(tepo.pid(), answerOk);
    ASSERT_TRUE(chooseFromMenuBar(w, 'F', 'S'));
    ASSERT_TRUE(waitFor([&] { return answerer.count() == 1; }));
    EXPECT_EQ(answerer.texts(), L"データを保存しました!");
  }
  EXPECT_EQ(readFileBytes(tepo.dataFile()), "one\r\ntwo\r\nthree\r\n");

  // Quit with an edit not saved: Cancel keeps the program, No ends it
  // without writing.
  SetWindowTextW(findControl(w, L"Edit"), L"four");
  {
    MessageBoxAnswerer answerer(tepo.pid(), answerOk);
    PostMessageW(findControl(w, L"Button", kBtnAdd), BM_CLICK, 0, 0);
    ASSERT_TRUE(waitFor([&] { return answerer.count() == 2; }));
  }
  for (int answer : {IDCANCEL, IDNO}) {
    MessageBoxAnswerer answerer(tepo.pid(), [answer](const std::wstring&) { return answer; });
    ASSERT_TRUE(tepo.choose(L"Quit"));
    ASSERT_TRUE(waitFor([&] { return answerer.count() == 1; }));
    EXPECT_EQ(answerer.texts(), kAskSaveEdits);
    EXPECT_EQ(tepo.exited(1000), answer == IDNO);
  }
  EXPECT_EQ(readFileBytes(tepo.dataFile()), "one\r\ntwo\r\nthree\r\n");
}

}  // namespace
}  // namespace tepo::testing
