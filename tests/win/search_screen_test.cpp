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

}  // namespace
}  // namespace tepo::testing
