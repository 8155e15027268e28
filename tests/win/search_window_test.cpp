// The search dialog in this process: its frame and layout, searches as the
// user runs them, row selection, the keyboard, closing and opening again.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstdio>

#include "forms/controls.h"
#include "forms/screen.h"
#include "forms/window.h"
#include "search_fixture.h"

namespace tepo::testing {
namespace {

RECT rectIn(HWND parent, HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

using SearchWindow = SearchFixture;

TEST_F(SearchWindow, FixedToolWindowWithoutIconOwnerOrTaskbarButton) {
  open();
  HWND w = form().hwnd();
  EXPECT_EQ(windowText(w), L"検索");
  EXPECT_TRUE(IsWindowVisible(w));
  expectFixedCaptionedWindow(w);
  LONG_PTR ex = GetWindowLongPtrW(w, GWL_EXSTYLE);
  EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(ex & WS_EX_APPWINDOW);
  EXPECT_EQ(GetWindow(w, GW_OWNER), nullptr);
  EXPECT_EQ(GetMenu(w), nullptr);
  EXPECT_EQ(SendMessageW(w, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_EQ(SendMessageW(w, WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_EQ(GetClassLongPtrW(w, GCLP_HICON), 0);
  EXPECT_EQ(GetClassLongPtrW(w, GCLP_HICONSM), 0);

  RECT client;
  GetClientRect(w, &client);
  EXPECT_EQ(client.right, px(7815));
  EXPECT_EQ(client.bottom, py(6960));
}

TEST_F(SearchWindow, ControlsStandWhereTheTwipsPutThemWithTheirCaptions) {
  open();
  struct Expected {
    HWND control;
    const wchar_t* className;
    const wchar_t* caption;
    double left, top, width, height;  // twips in the window's client area
  };
  const Expected controls[] = {
      {Frame1(), L"Button", L"何をお探しですか？", 0, 0, 7815, 975},
      {text1(), L"Edit", L"", 120, 360, 6495, 375},
      {cmdSearch(), L"Button", L"を検索！", 6720, 360, 975, 375},
      {List1(), L"ListBox", L"", 0, 1080, 7815, 1500},
      {Text2(), L"Edit", L"", 0, 2640, 7815, 3135},
      {Frame4(), L"Button", L"", 120, 6120, 1215, 735},
      {Command1(), L"Button", L"終了", 240, 6360, 975, 375},  // 120, 240 inside Frame4
  };
  for (const Expected& c : controls) {
    ASSERT_NE(c.control, nullptr) << c.caption;
    EXPECT_EQ(GetParent(c.control), form().hwnd());
    EXPECT_EQ(_wcsicmp(className(c.control).c_str(), c.className), 0) << className(c.control);
    EXPECT_EQ(windowText(c.control), c.caption);
    RECT r = rectIn(form().hwnd(), c.control);
    EXPECT_EQ(r.left, px(c.left)) << c.caption;
    EXPECT_EQ(r.top, py(c.top)) << c.caption;
    EXPECT_EQ(r.right - r.left, px(c.width)) << c.caption;
    EXPECT_EQ(r.bottom - r.top, py(c.height)) << c.caption;
    EXPECT_TRUE(IsWindowVisible(c.control));
  }
  // The ids the dialog navigation uses for Enter and Escape belong to no control.
  EXPECT_EQ(GetDlgItem(form().hwnd(), IDOK), nullptr);
  EXPECT_EQ(GetDlgItem(form().hwnd(), IDCANCEL), nullptr);
}

// What assistive tools read (group boxes, push buttons of which neither is
// the default) and what the edit boxes do: the search text is one line, the
// detail shows a message's lines with a scroll bar and can be typed in.
TEST_F(SearchWindow, ControlKinds) {
  open();
  auto style = [](HWND h) { return GetWindowLongPtrW(h, GWL_STYLE); };
  EXPECT_EQ(style(Frame1()) & BS_TYPEMASK, BS_GROUPBOX);
  EXPECT_EQ(style(Frame4()) & BS_TYPEMASK, BS_GROUPBOX);
  EXPECT_EQ(style(cmdSearch()) & BS_TYPEMASK, BS_PUSHBUTTON);
  EXPECT_EQ(style(Command1()) & BS_TYPEMASK, BS_PUSHBUTTON);
  SetWindowTextW(text1(), L"one\r\ntwo");
  EXPECT_EQ(SendMessageW(text1(), EM_GETLINECOUNT, 0, 0), 1);
  SetWindowTextW(Text2(), L"one\r\ntwo");
  EXPECT_EQ(SendMessageW(Text2(), EM_GETLINECOUNT, 0, 0), 2);
  EXPECT_TRUE(showsVerticalScrollBar(Text2()));
  SendMessageW(Text2(), EM_SETSEL, 0, 0);
  SendMessageW(Text2(), WM_CHAR, L'x', 1);
  EXPECT_EQ(windowText(Text2()), L"xone\r\ntwo") << "the detail takes what is typed";
}

TEST_F(SearchWindow, ListIsPaleYellowAndTheDetailBoxUsesTheGothicFont) {
  open();
  WindowDC dc(List1());
  auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
      form().hwnd(), WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc.get()), reinterpret_cast<LPARAM>(List1())));
  COLORREF textBack = GetBkColor(dc.get());
  ASSERT_NE(brush, nullptr);
  LOGBRUSH lb{};
  ASSERT_EQ(GetObjectW(brush, sizeof(lb), &lb), static_cast<int>(sizeof(lb)));
  EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_SOLID));
  EXPECT_EQ(lb.lbColor, RGB(255, 255, 192));
  EXPECT_EQ(textBack, RGB(255, 255, 192));

  // And what the screen shows: an empty part of the list, drawn.
  RedrawWindow(form().hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  EXPECT_EQ(GetPixel(WindowDC(List1()).get(), 20, 20), RGB(255, 255, 192));

  LOGFONTW lf{};
  auto font = reinterpret_cast<HFONT>(SendMessageW(Text2(), WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  ASSERT_NE(GetObjectW(font, sizeof(lf), &lf), 0);
  EXPECT_STREQ(lf.lfFaceName, L"ＭＳ ゴシック");
  EXPECT_EQ(lf.lfCharSet, SHIFTJIS_CHARSET);
  EXPECT_EQ(lf.lfWeight, FW_NORMAL);
  EXPECT_EQ(lf.lfHeight, forms::fontHeight(9));
  EXPECT_FALSE(lf.lfItalic);
  // The other controls keep the program's default font.
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(text1(), WM_GETFONT, 0, 0)), forms::defaultFont());
}

TEST_F(SearchWindow, FramesShowTheWindowBackgroundAroundTheirControls) {
  open();
  RedrawWindow(form().hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  WindowDC dc(form().hwnd());
  // Inside the frames, where no control stands: a group box paints no background.
  COLORREF inFrame1 = GetPixel(dc.get(), px(3000), py(850));
  COLORREF inFrame4 = GetPixel(dc.get(), px(180), py(6500));
  COLORREF outside = GetPixel(dc.get(), px(4000), py(6500));
  EXPECT_EQ(inFrame1, GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(inFrame4, GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(outside, GetSysColor(COLOR_BTNFACE));
}

// Searches.

TEST_F(SearchWindow, CaseAndWidthAreDistinct) {
  loadMessages(L"abc\r\nABC\r\nａｂｃ\r\n");
  open();
  EXPECT_EQ(search(L"a"), L"1件 見つかりました。");
  EXPECT_EQ(rows(), (std::vector<std::wstring>{L"abc"}));
  EXPECT_EQ(search(L"ａ"), L"1件 見つかりました。");
  EXPECT_EQ(rows(), (std::vector<std::wstring>{L"ａｂｃ"}));
}

TEST_F(SearchWindow, EmptyTextListsEveryNonEmptyMessageInTableOrder) {
  // Unsorted: "b" stays before "a".
  loadMessages(L"b\r\na\r\n\r\nd\r\nc\r\n");
  ASSERT_EQ(msgList_->count(), 5);
  open();
  EXPECT_EQ(search(L""), L"4件 見つかりました。");
  EXPECT_EQ(rows(), (std::vector<std::wstring>{L"b", L"a", L"d", L"c"}));
}

TEST_F(SearchWindow, WithoutAMessageFileNothingIsFound) {
  loadFile(folder_.file(L"missing.dat"));
  ASSERT_EQ(msgList_->count(), 0);
  open();
  for (const wchar_t* text : {L"", L"a", L" "}) {
    EXPECT_EQ(search(text), L"見つかりませんでした。") << text;
    EXPECT_TRUE(rows().empty());
  }
}

TEST_F(SearchWindow, BackslashNFindsNoLineBreakAndARowKeepsItsBreaks) {
  loadMessages(L"one\\ntwo\r\nthree\r\n");
  open();
  EXPECT_EQ(search(L"\\n"), L"見つかりませんでした。");
  EXPECT_EQ(search(L"o"), L"1件 見つかりました。");
  // The row holds the message unchanged, CR LF included.
  EXPECT_EQ(rows(), (std::vector<std::wstring>{L"one\r\ntwo"}));
}

TEST_F(SearchWindow, RepeatsCountOnceAndDuplicatesTwice) {
  loadMessages(L"la la\r\nx\r\nla\r\nla\r\n");
  open();
  EXPECT_EQ(search(L"la"), L"3件 見つかりました。");
  EXPECT_EQ(rows(), (std::vector<std::wstring>{L"la la", L"la", L"la"}));
}

TEST_F(SearchWindow, NothingIsTrimmedFromTheSearchText) {
  // Inside the message: the loader skips blanks at the start of a line.
  loadMessages(L"a\r\nb a\r\n");
  open();
  EXPECT_EQ(search(L" a"), L"1件 見つかりました。");
}

// Row selection.

TEST_F(SearchWindow, SelectingARowShowsTheWholeHitWithItsLineBreaks) {
  loadMessages(L"alpha\r\nbeta\r\ngamma\\ndelta\\nepsilon\r\n");
  open();
  ASSERT_EQ(search(L"a"), L"3件 見つかりました。");
  clickRow(List1(), 2);
  EXPECT_EQ(SendMessageW(List1(), LB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(detail(), L"gamma\r\ndelta\r\nepsilon");
  EXPECT_EQ(SendMessageW(Text2(), EM_GETLINECOUNT, 0, 0), 3);
  clickRow(List1(), 1);
  EXPECT_EQ(detail(), L"beta");
}

TEST_F(SearchWindow, KeyboardSelectionAlsoShowsTheHit) {
  loadMessages(L"one\r\ntwo\r\n");
  open();
  ASSERT_EQ(search(L"o"), L"2件 見つかりました。");
  SetFocus(List1());
  SendMessageW(List1(), WM_KEYDOWN, VK_DOWN, 0);
  SendMessageW(List1(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(detail(), L"two");
}

TEST_F(SearchWindow, ASearchLeavesTheDetailBoxAlone) {
  loadMessages(L"apple\r\napricot\r\nbanana\r\n");
  open();
  ASSERT_EQ(search(L"ap"), L"2件 見つかりました。");
  clickRow(List1(), 1);
  ASSERT_EQ(detail(), L"apricot");
  EXPECT_EQ(search(L"zzz"), L"見つかりませんでした。");
  EXPECT_TRUE(rows().empty());
  EXPECT_EQ(detail(), L"apricot");
  // What the user typed into the box stays through a search with hits too.
  SetWindowTextW(Text2(), L"my note");
  EXPECT_EQ(search(L"banana"), L"1件 見つかりました。");
  EXPECT_EQ(detail(), L"my note");
}

// The icon read the file again after it changed, grown or shrunk: a row
// clicked then shows the message it lists, not whatever stands at its place
// in the new table; a new search goes through the messages as they are now.
TEST_F(SearchWindow, OldRowsShowTheirOwnMessagesAfterAReload) {
  const struct {
    const wchar_t* reread;
    const wchar_t* found;  // a search for "new" in it: the report and the first row
    const wchar_t* first;
  } cases[] = {
      {L"ぶどう\r\nnew second\r\nnew third\r\nnew fourth\r\nnew fifth\r\n", L"4件 見つかりました。", L"new second"},
      {L"new\r\n", L"1件 見つかりました。", L"new"}};
  for (const auto& c : cases) {
    loadMessages(L"りんご\r\nx2\r\nx3\r\nx4\r\n");
    open();
    ASSERT_EQ(search(L"x"), L"3件 見つかりました。");
    loadMessages(c.reread);
    clickRow(List1(), 1);
    EXPECT_EQ(detail(), L"x3");
    clickRow(List1(), 2);
    EXPECT_EQ(detail(), L"x4");
    EXPECT_EQ(rows(), (std::vector<std::wstring>{L"x2", L"x3", L"x4"}));
    ASSERT_EQ(search(L"new"), c.found);
    clickRow(List1(), 0);
    EXPECT_EQ(detail(), c.first);
  }
}

// The keyboard, through the dialog navigation the message loop uses.

bool dialogKey(HWND target, WPARAM key) {
  MSG msg{};
  msg.hwnd = target;
  msg.message = WM_KEYDOWN;
  msg.wParam = key;
  msg.lParam = 1;
  bool handled = forms::translateDialogMessage(msg);
  // The loop's other half, for keys the navigation leaves alone.
  if (!handled) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  MSG up = msg;
  up.message = WM_KEYUP;
  up.lParam = static_cast<LPARAM>(0xC0000001);
  if (!forms::translateDialogMessage(up)) DispatchMessageW(&up);
  waitFor([] { return false; }, 50);
  return handled;
}

TEST_F(SearchWindow, SearchBoxHasTheFocusOnOpeningAndTabWalksTheTabOrder) {
  open();
  EXPECT_EQ(GetFocus(), text1());
  const HWND order[] = {cmdSearch(), Command1(), List1(), Text2(), text1()};
  for (HWND next : order) {
    HWND from = GetFocus();
    EXPECT_TRUE(dialogKey(from, VK_TAB));
    EXPECT_EQ(GetFocus(), next) << "Tab from " << className(from) << " " << windowText(from) << " went to "
                                << className(GetFocus()) << " " << windowText(GetFocus());
  }
}

TEST_F(SearchWindow, EnterStartsNoSearchAndEscapeDoesNotClose) {
  loadMessages(L"abc\r\nabd\r\n");
  open();
  ASSERT_EQ(search(L"abc"), L"1件 見つかりました。");
  SetWindowTextW(text1(), L"ab");
  SetFocus(text1());
  MessageBoxAnswerer answerer(GetCurrentProcessId(), answerOk);
  EXPECT_TRUE(dialogKey(text1(), VK_RETURN)) << "the dialog navigation did not see the key";
  EXPECT_TRUE(dialogKey(text1(), VK_ESCAPE));
  EXPECT_TRUE(dialogKey(cmdSearch(), VK_ESCAPE));
  waitFor([] { return false; }, 300);
  EXPECT_EQ(answerer.count(), 0) << answerer.texts();
  EXPECT_EQ(rows(), (std::vector<std::wstring>{L"abc"}));
  EXPECT_TRUE(form().isOpen());
  EXPECT_TRUE(IsWindowVisible(form().hwnd()));
}

TEST_F(SearchWindow, SpaceOnTheFocusedSearchButtonSearches) {
  // The keyboard still reaches the button: the ignored Enter is not a dead keyboard.
  loadMessages(L"abc\r\n");
  open();
  SetWindowTextW(text1(), L"b");
  EXPECT_TRUE(dialogKey(GetFocus(), VK_TAB));
  ASSERT_EQ(GetFocus(), cmdSearch());
  MessageBoxAnswerer answerer(GetCurrentProcessId(), answerOk);
  SendMessageW(cmdSearch(), WM_KEYDOWN, VK_SPACE, 0);
  SendMessageW(cmdSearch(), WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0000001));
  EXPECT_EQ(answerer.texts(), L"1件 見つかりました。");
}

// Closing and opening.

BOOL CALLBACK countSearchWindows(HWND h, LPARAM n) {
  if (className(h) == L"tepoSearch") ++*reinterpret_cast<int*>(n);
  return TRUE;
}

TEST_F(SearchWindow, ShowingWhileOpenKeepsTheOneWindowAndItsContents) {
  loadMessages(L"abc\r\n");
  open();
  HWND first = form().hwnd();
  ASSERT_EQ(search(L"b"), L"1件 見つかりました。");
  clickRow(List1(), 0);
  open();
  EXPECT_EQ(form().hwnd(), first);
  EXPECT_EQ(windowText(text1()), L"b");
  EXPECT_EQ(rows().size(), 1u);
  EXPECT_EQ(detail(), L"abc");
  int windows = 0;
  EnumThreadWindows(GetCurrentThreadId(), countSearchWindows, reinterpret_cast<LPARAM>(&windows));
  EXPECT_EQ(windows, 1);
}

TEST_F(SearchWindow, CloseButtonAndCloseBoxUnloadAndReopeningStartsEmpty) {
  loadMessages(L"abc\r\n");
  const std::pair<const char*, void (*)(frmSearch&)> ways[] = {
      {"Command1", [](frmSearch& f) { SendMessageW(findControl(f.hwnd(), L"Button", L"終了"), BM_CLICK, 0, 0); }},
      {"close box", [](frmSearch& f) { SendMessageW(f.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  for (const auto& way : ways) {
    open();
    ASSERT_EQ(search(L"abc"), L"1件 見つかりました。") << way.first;
    clickRow(List1(), 0);
    ASSERT_EQ(detail(), L"abc");
    HWND old = form().hwnd();
    way.second(form());
    EXPECT_FALSE(form().isOpen()) << way.first;
    EXPECT_FALSE(IsWindow(old)) << way.first;
    open();
    EXPECT_EQ(windowText(text1()), L"") << way.first;
    EXPECT_TRUE(rows().empty()) << way.first;
    EXPECT_EQ(detail(), L"") << way.first;
    EXPECT_EQ(GetFocus(), text1());
    form().destroy();
  }
}

// Speed: printed, not asserted.

TEST_F(SearchWindow, FullTableOf32767MessagesIsListedWhole) {
  std::wstring lines;
  for (int i = 0; i < kMaxMessages; ++i) lines += L"メッセージ " + std::to_wstring(i) + L"\r\n";
  loadMessages(lines);
  ASSERT_EQ(msgList_->count(), kMaxMessages);
  open();
  double everything = 0, single = 0;
  EXPECT_EQ(search(L"", &everything), L"32767件 見つかりました。");
  EXPECT_EQ(SendMessageW(List1(), LB_GETCOUNT, 0, 0), kMaxMessages);
  EXPECT_EQ(rows().back(), L"メッセージ 32766");
  clickRow(List1(), 0);
  EXPECT_EQ(detail(), L"メッセージ 0");
  EXPECT_EQ(search(L"メッセージ 32766", &single), L"1件 見つかりました。");
  EXPECT_EQ(rows(), (std::vector<std::wstring>{L"メッセージ 32766"}));
  std::printf("search over %d messages, click to report box: every row listed %.0f ms, one hit %.0f ms\n", kMaxMessages,
              everything, single);
}

}  // namespace
}  // namespace tepo::testing
