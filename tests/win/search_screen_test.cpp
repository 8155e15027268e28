// The search dialog as the screen shows it.
#include <gtest/gtest.h>
#include <windows.h>

#include "search_fixture.h"

namespace tepo::testing {
namespace {

using SearchScreen = SearchFixture;

RECT inner(HWND control, int border) {
  RECT r{};
  GetWindowRect(control, &r);
  InflateRect(&r, -border, -border);
  return r;
}

TEST_F(SearchScreen, TheSearchRowIsDrawnInFrontOfItsFrame) {
  open();
  SetWindowTextW(text1(), L"WWWWWWWW");
  SetForegroundWindow(form().hwnd());
  RedrawWindow(form().hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT window{};
  GetWindowRect(form().hwnd(), &window);
  const RECT edit = inner(text1(), 3);
  const RECT button = inner(cmdSearch(), 3);
  auto white = [](COLORREF c) { return c == RGB(255, 255, 255); };
  // The screen catches up with the drawing in its own time.
  auto drawn = [&] {
    ScreenShot s(window);
    return s.any(edit, white) && s.any(edit, isDark) && s.any(button, isDark);
  };
  waitFor(drawn, 5000);
  ScreenShot screen(window);
  EXPECT_TRUE(screen.any(edit, white)) << "the search box's white background";
  EXPECT_TRUE(screen.any(edit, isDark)) << "the typed text";
  // The button's face is the theme's (white with version 6 controls under
  // Wine); its caption, in the middle of the face, shows that it is drawn.
  EXPECT_TRUE(screen.any(button, isDark)) << "the button's caption";
  // The caption's glyphs stand in the middle of the face, not on its edges.
  const RECT middle{(button.left + button.right) / 2 - 20, button.top + 2, (button.left + button.right) / 2 + 20,
                    button.bottom - 2};
  EXPECT_TRUE(screen.any(middle, isDark)) << "を検索！";
}

TEST_F(SearchScreen, TheListShowsItsRowsAndTheSpaceBelowOnPaleYellow) {
  loadMessages(L"abc\r\nabd\r\n");
  open();
  search(L"ab");
  SetForegroundWindow(form().hwnd());
  RedrawWindow(form().hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT window{}, row{};
  GetWindowRect(form().hwnd(), &window);
  SendMessageW(List1(), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
  MapWindowPoints(List1(), nullptr, reinterpret_cast<POINT*>(&row), 2);
  const RECT list = inner(List1(), 3);
  const RECT rowText{row.left, row.top, row.left + 40, row.bottom};
  const RECT rowEnd{row.left + 60, row.top, row.right - 2, row.bottom};
  const RECT below{list.left, row.bottom + (row.bottom - row.top) + 2, list.right, list.bottom};
  auto notPaleYellow = [](COLORREF c) { return c != RGB(255, 255, 192); };
  auto drawn = [&] {
    ScreenShot s(window);
    return s.any(rowText, isDark) && !s.any(rowEnd, notPaleYellow) && !s.any(below, notPaleYellow);
  };
  waitFor(drawn, 5000);
  ScreenShot screen(window);
  EXPECT_TRUE(screen.any(rowText, isDark)) << "the first row's text";
  EXPECT_FALSE(screen.any(rowEnd, notPaleYellow)) << "the first row, right of its text";
  EXPECT_FALSE(screen.any(below, notPaleYellow)) << "the list below its two rows";
}

}  // namespace
}  // namespace tepo::testing
