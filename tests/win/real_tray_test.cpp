// The running program through the real notification area: clicks made at the
// X level on its icon in Wine's tray window reach it through Wine's shell,
// exactly as a user's clicks do.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "harness.h"

namespace tepo::testing {
namespace {

// Clicks with xdotool at a point of the screen, button 1 the left, 3 the right,
// holding the button down a moment as a hand does. Returns when xdotool is
// done: a shell around it leaves a mark that this side can see.
bool clickAt(POINT at, int button) {
  static int clicks = 0;
  const std::wstring mark =
      L"/tmp/tepo-click-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++clicks);
  std::wstring markWindows = L"Z:" + mark;
  for (wchar_t& c : markWindows) {
    if (c == L'/') c = L'\\';
  }
  const std::wstring b = std::to_wstring(button);
  const std::wstring script = L"xdotool mousemove " + std::to_wstring(at.x) + L" " + std::to_wstring(at.y) +
                              L" sleep 0.1 mousedown " + b + L" sleep 0.2 mouseup " + b + L"; touch " + mark;
  if (!runUnixProgram(L"Z:\\bin\\sh", L"-c \"" + script + L"\"")) return false;
  const bool done = waitFor([&] { return GetFileAttributesW(markWindows.c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000);
  DeleteFileW(markWindows.c_str());
  return done;
}

BOOL CALLBACK newestIcon(HWND child, LPARAM lParam) {
  auto* best = reinterpret_cast<HWND*>(lParam);
  // Wine's X11 driver keeps the icons in windows of its own; its shell, in others.
  const std::wstring cls = className(child);
  if ((cls != L"__winex11_tray_icon" && cls != L"__wine_tray_icon") || !IsWindowVisible(child)) return TRUE;
  RECT r{}, bestRect{};
  GetWindowRect(child, &r);
  if (*best) GetWindowRect(*best, &bestRect);
  if (!*best || r.left > bestRect.left) *best = child;
  return TRUE;
}

// The centre of the icon added last: Wine's tray lines its icons up from the
// left in the order they came.
bool newestTrayIcon(POINT* centre) {
  HWND icon = nullptr;
  waitFor(
      [&] {
        HWND tray = FindWindowW(nullptr, L"Wine System Tray");
        icon = nullptr;
        if (tray) EnumChildWindows(tray, newestIcon, reinterpret_cast<LPARAM>(&icon));
        return icon != nullptr;
      },
      10000);
  if (!icon) return false;
  RECT r{};
  GetWindowRect(icon, &r);
  *centre = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  return true;
}

const std::string kOne = "only message\r\n";

TEST(RealTray, LeftClickOnTheIconShowsABalloonUnderTheCursor) {
  TepoProcess tepo(&kOne);
  ASSERT_TRUE(tepo.started());
  POINT icon{};
  ASSERT_TRUE(newestTrayIcon(&icon)) << "no icon in the window \"Wine System Tray\"";
  ASSERT_TRUE(clickAt(icon, 1));
  ASSERT_TRUE(waitFor([&] { return tepo.balloon() != nullptr; }, 10000)) << "no balloon after a left click";
  EXPECT_EQ(tepo.balloonText(), L"only message");
  RECT b{};
  GetWindowRect(tepo.balloon(), &b);
  EXPECT_LE(std::abs((b.left + b.right) / 2 - icon.x), 1) << "the balloon stands under the cursor";
  EXPECT_EQ(b.bottom, GetSystemMetrics(SM_CYSCREEN));
}

TEST(RealTray, RightClickOpensTheMenuAndChoosingSearchOpensTheDialog) {
  TepoProcess tepo(&kOne);
  ASSERT_TRUE(tepo.started());
  POINT icon{};
  ASSERT_TRUE(newestTrayIcon(&icon));

  ASSERT_TRUE(clickAt(icon, 3));
  HWND menu = findPopupMenu(tepo.pid());
  ASSERT_NE(menu, nullptr) << "no menu after a right click";
  RECT m{};
  GetWindowRect(menu, &m);
  // Four items of one height: the first, 検索, holds the top eighth's line.
  ASSERT_TRUE(clickAt(POINT{(m.left + m.right) / 2, m.top + (m.bottom - m.top) / 8}, 1));
  HWND search = nullptr;
  EXPECT_TRUE(waitFor(
      [&] {
        search = findWindow(tepo.pid(), L"tepoSearch", L"検索");
        return search && IsWindowVisible(search);
      },
      10000))
      << "choosing 検索 opened no search dialog";
}

}  // namespace
}  // namespace tepo::testing
