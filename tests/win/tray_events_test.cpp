// The icon's right click: the popup menu, the ten-second mode and Quit, in this
// process and in a real tepo.exe.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>
#include <vector>

#include "app/form1.h"
#include "balloon/frm_msg.h"
#include "form1_suite.h"
#include "harness.h"
#include "messages/message_table.h"

namespace {

using tepo::Form1;
using tepo::frmMsg;
using tepo::testing::findPopupMenu;
using tepo::testing::TepoProcess;

struct MenuSeen {
  std::vector<std::wstring> items;
  std::vector<bool> checked;
};

// While the menu is open on the main thread, reads it and presses the keys.
std::thread workMenu(MenuSeen* seen, std::vector<WPARAM> keys) {
  return std::thread([seen, keys] {
    HWND window = findPopupMenu(GetCurrentProcessId());
    if (!window) return;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0));
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      wchar_t text[128] = {};
      GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
      seen->items.push_back(text);
      seen->checked.push_back((GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_CHECKED) != 0);
    }
    for (WPARAM key : keys) {
      PostMessageW(window, WM_KEYDOWN, key, 0);
      PostMessageW(window, WM_KEYUP, key, 0xC0000000);
      Sleep(50);
    }
  });
}

// The suite's own Form1, whose icon the tests click.
class TrayMenu : public tepo::testing::Form1Suite {
 protected:
  static frmMsg& balloon() { return form1().frmMsg(); }

  void rightClick(MenuSeen* seen, std::vector<WPARAM> keys) {
    std::thread worker = workMenu(seen, std::move(keys));
    SetCursorPos(400, 300);
    SendMessageW(form1().hwnd(), WM_MOUSEMOVE, 1, WM_RBUTTONDOWN);
    worker.join();
  }
};

TEST_F(TrayMenu, RightPressClosesTheBalloonAndOpensTheMenu) {
  SendMessageW(form1().hwnd(), WM_MOUSEMOVE, 1, WM_LBUTTONUP);
  ASSERT_TRUE(balloon().isOpen());
  MenuSeen seen;
  rightClick(&seen, {VK_ESCAPE});
  EXPECT_FALSE(balloon().isOpen());
  EXPECT_EQ(seen.items, (std::vector<std::wstring>{L"検索", L"データメンテナンス", L"10秒モード", L"Quit"}));
  EXPECT_EQ(seen.checked, (std::vector<bool>{false, false, false, false}));
  EXPECT_EQ(form1().mx, 6000);
  EXPECT_EQ(form1().my, 4500);
}

TEST_F(TrayMenu, MenuOpensAgainOnTheNextRightClick) {
  for (int i = 0; i < 3; ++i) {
    MenuSeen seen;
    rightClick(&seen, {VK_ESCAPE});
    EXPECT_EQ(seen.items.size(), 4u) << i;
  }
}

TEST_F(TrayMenu, TenSecondModeTogglesCheckMarkAndTimer) {
  MenuSeen first;
  rightClick(&first, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
  ASSERT_EQ(first.checked.size(), 4u);
  EXPECT_FALSE(first.checked[2]) << "the mode is off at the start";

  MenuSeen second;
  rightClick(&second, {VK_ESCAPE});
  ASSERT_EQ(second.checked.size(), 4u);
  EXPECT_TRUE(second.checked[2]) << "the check mark shows the mode is on";

  // The timer really fires, and places its balloon by the last click.
  balloon().windowClose();
  EXPECT_TRUE(tepo::testing::waitFor([] { return balloon().isOpen(); }, 12000));
  RECT r;
  GetWindowRect(balloon().hwnd(), &r);
  EXPECT_EQ((r.left + r.right) / 2, 400);

  MenuSeen third;
  rightClick(&third, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
  MenuSeen fourth;
  rightClick(&fourth, {VK_ESCAPE});
  ASSERT_EQ(fourth.checked.size(), 4u);
  EXPECT_FALSE(fourth.checked[2]);
  // Off means the timer is stopped: no balloon for longer than one period.
  balloon().windowClose();
  EXPECT_FALSE(tepo::testing::waitFor([] { return balloon().isOpen(); }, 12000))
      << "a balloon came after the ten-second mode was switched off";
  balloon().windowClose();
}

const std::string kOne = "only message\r\n";

TEST(TrayProcess, LeftClickShowsTheBalloonOfTheRunningProgram) {
  TepoProcess tepo(&kOne);
  ASSERT_TRUE(tepo.started());
  tepo.trayEvent(WM_LBUTTONDOWN);
  tepo.trayEvent(WM_LBUTTONUP);
  HWND b = nullptr;
  ASSERT_TRUE(tepo::testing::waitFor([&] {
    b = tepo::testing::findWindow(tepo.pid(), L"tepoBalloon", nullptr);
    return b && IsWindowVisible(b);
  }));
  HWND label = FindWindowExW(b, nullptr, L"STATIC", nullptr);
  EXPECT_EQ(tepo::testing::windowText(label), L"only message");
  EXPECT_TRUE(GetWindowLongPtrW(b, GWL_EXSTYLE) & WS_EX_TOPMOST);
  tepo::UniqueRegion rgn(CreateRectRgn(0, 0, 0, 0));
  EXPECT_NE(GetWindowRgn(b, rgn.get()), ERROR);
}

TEST(TrayProcess, QuitRemovesTheIconAndEndsTheProgram) {
  TepoProcess tepo(&kOne);
  ASSERT_TRUE(tepo.started());
  tepo.trayEvent(WM_RBUTTONDOWN);
  HWND menu = findPopupMenu(tepo.pid());
  ASSERT_NE(menu, nullptr);
  for (WPARAM key : {VK_UP, VK_RETURN}) {  // Up from nothing selected lands on the last item
    PostMessageW(menu, WM_KEYDOWN, key, 0);
    PostMessageW(menu, WM_KEYUP, key, 0xC0000000);
    Sleep(50);
  }
  ASSERT_TRUE(tepo.exited());
  EXPECT_FALSE(tepo::testing::trayIconExists(tepo.form1()));
}

}  // namespace
