// The balloon as a user sees it: shown by a left click on the icon, placed,
// shaped and closed, checked through the Win32 API in this process.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/form1.h"
#include "balloon/frm_msg.h"
#include "form1_suite.h"
#include "harness.h"
#include "messages/message_table.h"

namespace {

using tepo::Form1;
using tepo::frmMsg;

using tepo::testing::TempFolder;

// The balloon of the suite's own Form1, as in the program.
class BalloonTest : public tepo::testing::Form1Suite {
 protected:
  static frmMsg& balloon() { return form1().frmMsg(); }

  void useMessages(const std::wstring& lines) {
    tepo::testing::writeFileBytes(folder_.file(L"tepo.dat"), tepo::testing::shiftJis(lines));
    form1().dataRead(reinterpret_cast<const char16_t*>(folder_.file(L"tepo.dat").c_str()));
  }

  // What the shell sends for a mouse message on the icon, with the cursor at (x, y).
  void clickIcon(UINT mouseMessage, int x = 500, int y = 300) {
    SetCursorPos(x, y);
    SendMessageW(form1().hwnd(), WM_MOUSEMOVE, 1, static_cast<LPARAM>(mouseMessage));
  }

  HWND shown() const { return balloon().isOpen() && IsWindowVisible(balloon().hwnd()) ? balloon().hwnd() : nullptr; }

  // The label with the message, as the user and screen readers find it.
  static HWND label() { return tepo::testing::findControl(balloon().hwnd(), L"Static"); }
  std::wstring labelText() const { return tepo::testing::windowText(label()); }

  void TearDown() override { balloon().windowClose(); }

  TempFolder folder_;
};

TEST_F(BalloonTest, LeftButtonReleaseShowsTheMessageSizedAndPlaced) {
  useMessages(L"こんにちは\r\n");
  clickIcon(WM_LBUTTONUP, 500, 300);
  HWND b = shown();
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(labelText(), L"こんにちは");
  EXPECT_EQ(balloon().lineCnt, 10);
  EXPECT_EQ(balloon().crCnt, 1);
  EXPECT_EQ(form1().mx, 7500);
  EXPECT_EQ(form1().my, 4500);

  RECT r;
  GetWindowRect(b, &r);
  EXPECT_EQ(r.right - r.left, 10 * 6 + 10);
  EXPECT_EQ(r.bottom - r.top, 11 + 35);
  EXPECT_EQ(r.left, 500 - 35);
  EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYSCREEN));
}

TEST_F(BalloonTest, DesignedAsATopmostBorderlessToolWindow) {
  useMessages(L"abc\r\n");
  clickIcon(WM_LBUTTONUP);
  HWND b = shown();
  ASSERT_NE(b, nullptr);
  LONG_PTR style = GetWindowLongPtrW(b, GWL_STYLE);
  LONG_PTR ex = GetWindowLongPtrW(b, GWL_EXSTYLE);
  EXPECT_TRUE(ex & WS_EX_TOPMOST);
  EXPECT_TRUE(ex & WS_EX_TOOLWINDOW) << "no taskbar button";
  EXPECT_FALSE(ex & WS_EX_APPWINDOW);
  EXPECT_TRUE(ex & WS_EX_NOACTIVATE);
  EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER));
  EXPECT_EQ(GetWindow(b, GW_OWNER), nullptr);
  EXPECT_EQ(tepo::testing::windowText(b), L"");
  EXPECT_EQ(SendMessageW(b, WM_GETICON, ICON_BIG, 0), 0);

  // The label at 120, 120 twips, in the Japanese gothic font.
  RECT at;
  GetWindowRect(label(), &at);
  POINT origin{at.left, at.top};
  ScreenToClient(b, &origin);
  EXPECT_EQ(origin.x, 8);
  EXPECT_EQ(origin.y, 8);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(label(), WM_GETFONT, 0, 0));
  LOGFONTW lf{};
  ASSERT_TRUE(GetObjectW(font, sizeof(lf), &lf));
  EXPECT_STREQ(lf.lfFaceName, L"ＭＳ ゴシック");
  EXPECT_EQ(lf.lfCharSet, SHIFTJIS_CHARSET);
  EXPECT_EQ(lf.lfWeight, FW_NORMAL);
  EXPECT_EQ(lf.lfHeight, -11);  // 8.25 points at 96 dots per inch

  // The pale yellow back colour.
  EXPECT_EQ(GetPixel(tepo::WindowDC(b).get(), 4, 12), RGB(255, 255, 192));
}

TEST_F(BalloonTest, RegionHasTheRoundedBodyAndTheTail) {
  // 2 lines: 57 pixels high; the body ends at row 37, the tail runs to 47.
  useMessages(L"ab\\ncd\r\n");
  clickIcon(WM_LBUTTONUP, 800, 300);
  HWND b = shown();
  ASSERT_NE(b, nullptr);
  tepo::UniqueRegion rgn(CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(GetWindowRgn(b, rgn.get()), ERROR);
  RECT r;
  GetWindowRect(b, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  ASSERT_EQ(w, 22);  // 2 bytes x 6 + 10
  ASSERT_EQ(h, 57);
  const int tailX = 11;
  auto in = [&](int x, int y) { return PtInRegion(rgn.get(), x, y) != FALSE; };
  EXPECT_TRUE(in(w / 2, 15)) << "body";
  EXPECT_TRUE(in(1, 18)) << "left margin";
  EXPECT_FALSE(in(0, 0)) << "cut corner";
  EXPECT_FALSE(in(w - 1, 0)) << "cut corner";
  EXPECT_TRUE(in(tailX - 1, 42)) << "tail below the body";
  EXPECT_TRUE(in(tailX - 2, 36)) << "top row of the tail, just under the body's rounded bottom";
  EXPECT_FALSE(in(tailX + 3, 42)) << "right of the tail";
  for (int y = h - 10; y < h; ++y) EXPECT_FALSE(in(tailX, y)) << "bottom rows, y " << y;

  // Exactly the body with the tail joined by exclusive-or, nothing else.
  tepo::UniqueRegion expected(CreateRoundRectRgn(0, 0, w, h - 20, 15, 15));
  POINT tail[3] = {{tailX, h - 21}, {tailX - 10, h - 21}, {tailX, h - 10}};
  tepo::UniqueRegion triangle(CreatePolygonRgn(tail, 3, ALTERNATE));
  CombineRgn(expected.get(), expected.get(), triangle.get(), RGN_XOR);
  EXPECT_TRUE(EqualRgn(rgn.get(), expected.get()));
}

TEST_F(BalloonTest, OnlyTheLeftButtonReleaseShowsAMessage) {
  useMessages(L"abc\r\n");
  for (UINT m : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONUP, WM_MBUTTONDOWN}) {
    clickIcon(m);
    EXPECT_EQ(shown(), nullptr) << m;
  }
}

TEST_F(BalloonTest, ANewMessageReplacesTheOpenBalloon) {
  useMessages(L"short\r\n");
  clickIcon(WM_LBUTTONUP, 300, 300);
  HWND first = shown();
  ASSERT_NE(first, nullptr);
  useMessages(L"a longer message here\r\n");
  clickIcon(WM_LBUTTONUP, 600, 300);
  HWND second = shown();
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(IsWindow(first) && first != second);
  RECT r;
  GetWindowRect(second, &r);
  EXPECT_EQ(r.right - r.left, 21 * 6 + 10);
  EXPECT_EQ(r.left, 600 - (21 * 6 + 10) / 2);
}

TEST_F(BalloonTest, ClicksCloseIt) {
  useMessages(L"abc\r\n");
  clickIcon(WM_LBUTTONUP);
  ASSERT_NE(shown(), nullptr);
  SendMessageW(balloon().hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(3, 12));  // the margin
  EXPECT_FALSE(balloon().isOpen());

  clickIcon(WM_LBUTTONUP);
  ASSERT_NE(shown(), nullptr);
  HWND text = label();
  SendMessageW(text, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));  // the text
  if (IsWindow(text)) SendMessageW(text, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_FALSE(balloon().isOpen());

  // closing when nothing is open does nothing
  balloon().windowClose();
  EXPECT_FALSE(balloon().isOpen());
}

TEST_F(BalloonTest, ARealClickOnTheTailClosesIt) {
  useMessages(L"abc\r\n");
  clickIcon(WM_LBUTTONUP, 700, 300);
  HWND b = shown();
  ASSERT_NE(b, nullptr);
  RECT r;
  GetWindowRect(b, &r);
  // A point in the tail, below the body.
  const int tailX = (r.right - r.left) / 2;
  SetCursorPos(r.left + tailX - 1, r.bottom - 14);
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, input, sizeof(INPUT));
  EXPECT_TRUE(tepo::testing::waitFor([] { return !balloon().isOpen(); }, 3000));
}

TEST_F(BalloonTest, ShowingTheBalloonLeavesTheForegroundWindowAlone) {
  HWND editor = CreateWindowExW(0, L"EDIT", L"typing here", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(editor, nullptr);
  SetForegroundWindow(editor);
  SetFocus(editor);
  tepo::testing::waitFor([&] { return GetForegroundWindow() == editor; }, 2000);
  ASSERT_EQ(GetForegroundWindow(), editor);
  useMessages(L"abc\r\n");
  for (int i = 0; i < 3; ++i) {
    clickIcon(WM_LBUTTONUP);
    ASSERT_NE(shown(), nullptr);
    tepo::testing::waitFor([] { return false; }, 100);
    EXPECT_EQ(GetForegroundWindow(), editor);
    EXPECT_EQ(GetFocus(), editor);
  }
  DestroyWindow(editor);
}

TEST_F(BalloonTest, CursorBeyond32767TwipsIsPlacedCorrectly) {
  if (GetSystemMetrics(SM_CXSCREEN) <= 3100) GTEST_SKIP() << "needs a screen wider than 3100 pixels";
  useMessages(L"abc\r\n");
  clickIcon(WM_LBUTTONUP, 3000, 300);
  HWND b = shown();
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(form1().mx, 45000);
  RECT r;
  GetWindowRect(b, &r);
  EXPECT_EQ(r.left, 3000 - 14);
}

TEST_F(BalloonTest, FlushWithTheRightEdgeNearIt) {
  useMessages(L"abc\r\n");
  const int screen = GetSystemMetrics(SM_CXSCREEN);
  clickIcon(WM_LBUTTONUP, screen - 3, 300);
  HWND b = shown();
  ASSERT_NE(b, nullptr);
  RECT r;
  GetWindowRect(b, &r);
  EXPECT_EQ(r.right, screen);
}

TEST_F(BalloonTest, EmptyTableShowsAnEmptyBalloonOrTheComplaint) {
  useMessages(L"");
  ASSERT_EQ(form1().messages().count(), 0);
  int empty = 0, complaints = 0;
  for (int i = 0; i < 60; ++i) {
    clickIcon(WM_LBUTTONUP);
    ASSERT_NE(shown(), nullptr);
    std::wstring text = labelText();
    if (text.empty()) {
      ++empty;
      EXPECT_EQ(balloon().lineCnt, 0);
    } else {
      ++complaints;
      EXPECT_EQ(text, L"なんだか調子悪いみたい...インデックスが有効範囲にありません。");
    }
    EXPECT_EQ(balloon().crCnt, 1);
  }
  EXPECT_GT(empty, 0);
  EXPECT_GT(complaints, 0);
}

// The file was held by another program (a sync client, a virus scan at
// logon) when tepo read it: the next click reads it again, though the file
// itself did not change since.
TEST_F(BalloonTest, AFileThatCouldNotBeReadIsReadAgainAtTheNextClick) {
  const std::wstring file = folder_.file(L"tepo.dat");
  tepo::testing::writeFileBytes(file, tepo::testing::shiftJis(L"読めた\r\n"));
  {
    tepo::UniqueFile held(CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    form1().dataRead(reinterpret_cast<const char16_t*>(file.c_str()));
    ASSERT_EQ(form1().messages().count(), 0);
    clickIcon(WM_LBUTTONUP);
    EXPECT_NE(labelText(), L"読めた");
  }
  clickIcon(WM_LBUTTONUP);
  EXPECT_EQ(labelText(), L"読めた");
}

TEST_F(BalloonTest, OverflowingMessageShowsTheComplaint) {
  useMessages(std::wstring(5462, L'x') + L"\r\n");
  clickIcon(WM_LBUTTONUP);
  ASSERT_NE(shown(), nullptr);
  EXPECT_EQ(labelText(), L"なんだか調子悪いみたい...オーバーフローしました。");
  EXPECT_EQ(balloon().crCnt, 1);
  EXPECT_EQ(balloon().lineCnt, 49);
}

TEST_F(BalloonTest, TheScreenShowsEveryLineOfTheTextOnThePaleYellow) {
  // The last line is the widest: a label left at its design size (66 x 11
  // pixels) would show neither it nor its right end.
  useMessages(L"ab\\nabc\\nXXXXXXXXXXXXXXXXXXXXXXXXX\r\n");
  clickIcon(WM_LBUTTONUP, 500, 300);
  HWND b = shown();
  ASSERT_NE(b, nullptr);
  RECT w;
  GetWindowRect(b, &w);
  ASSERT_EQ(w.right - w.left, 25 * 6 + 10);
  // Rows of the third line, whatever the font's line height (11 to 13 pixels),
  // clear of the body's rounded corners; the text starts 8 pixels in.
  const RECT lastLineEnd{w.left + 110, w.top + 30, w.left + 150, w.top + 42};
  const RECT lastLineStart{w.left + 8, w.top + 30, w.left + 100, w.top + 41};
  auto paleYellow = [](COLORREF c) { return c == RGB(255, 255, 192); };
  auto white = [](COLORREF c) { return GetRValue(c) > 245 && GetGValue(c) > 245 && GetBValue(c) > 245; };
  // The screen catches up with the window in its own time: wait for the margin.
  const RECT margin{w.left + 1, w.top + 10, w.left + 7, w.top + 30};
  auto shows = [&] { return tepo::testing::ScreenShot(w).any(margin, paleYellow); };
  ASSERT_TRUE(tepo::testing::waitFor(shows, 5000)) << "the balloon never appeared on the screen";
  tepo::testing::ScreenShot screen(w);
  EXPECT_TRUE(screen.any(lastLineEnd, tepo::testing::isDark)) << "the end of the widest, last line is not drawn";
  EXPECT_TRUE(screen.any(lastLineStart, tepo::testing::isDark));
  // Transparent: between the glyphs the balloon's colour, no text background.
  EXPECT_TRUE(screen.any(lastLineStart, paleYellow));
  EXPECT_FALSE(screen.any(lastLineStart, white)) << "the text is drawn on a background of its own";
}

TEST_F(BalloonTest, TheWidestMessageAtTheFarRightShowsTheComplaint) {
  const int screen = GetSystemMetrics(SM_CXSCREEN);
  if (screen < 3840) GTEST_SKIP() << "needs a screen 3840 pixels wide";
  // 5461 bytes: a window of 32776 pixels, flush right. Its tail stands at the
  // cursor's x plus 32776 - screen width, past 16 bits from 3832 on.
  useMessages(std::wstring(5461, L'x') + L"\r\n");
  clickIcon(WM_LBUTTONUP, 3000, 300);
  ASSERT_NE(shown(), nullptr);
  EXPECT_TRUE(labelText() == std::wstring(5461, L'x')) << "the widest message, shown in full";
  clickIcon(WM_LBUTTONUP, screen - 1, 300);
  ASSERT_NE(shown(), nullptr);
  EXPECT_EQ(labelText(), L"なんだか調子悪いみたい...オーバーフローしました。");
}

int balloonWindows() { return tepo::testing::countWindows(GetCurrentProcessId(), L"tepoBalloon"); }

TEST_F(BalloonTest, ThousandBalloonsLeakNoHandles) {
  useMessages(L"one\r\ntwo\\nlines\r\nthree\r\n");
  clickIcon(WM_LBUTTONUP);
  const unsigned long gdi = tepo::testing::gdiObjectCount();
  const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  for (int i = 0; i < 1000; ++i) clickIcon(WM_LBUTTONUP);
  EXPECT_EQ(balloonWindows(), 1) << "every replaced balloon window is destroyed";
  EXPECT_EQ(tepo::testing::gdiObjectCount(), gdi) << "GDI objects left behind by the balloons";
  // Wine does not count USER objects (it reports 0); Windows does.
  if (user != 0) {
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), user);
  }
  balloon().windowClose();
  EXPECT_EQ(balloonWindows(), 0);
}

}  // namespace
