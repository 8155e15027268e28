// A balloon is announced to screen readers, as an accessibility client in
// another process sees it, without taking the focus.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "harness.h"

namespace tepo::testing {
namespace {

struct Alert {
  HWND hwnd;
  LONG object;
  LONG child;
};
std::vector<Alert> alerts;

void CALLBACK onAlert(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  if (event == EVENT_SYSTEM_ALERT) alerts.push_back(Alert{hwnd, object, child});
}

// The text a screen reader reads with the alert: the balloon's label.
std::wstring announcedText(const TepoProcess& tepo, const Alert& alert) {
  DWORD pid = 0;
  GetWindowThreadProcessId(alert.hwnd, &pid);
  if (pid != tepo.pid() || className(alert.hwnd) != L"tepoBalloon") return L"<not the balloon>";
  return windowText(FindWindowExW(alert.hwnd, nullptr, L"STATIC", nullptr));
}

TEST(Announce, EveryBalloonRaisesAnAlertWithItsTextAndLeavesTheFocus) {
  // The second message is too wide to measure: its balloon is the complaint.
  const std::string messages = "hello there\r\n" + std::string(6000, 'a') + "\r\n";
  TepoProcess tepo(&messages);
  ASSERT_TRUE(tepo.started());
  HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_SYSTEM_ALERT, EVENT_SYSTEM_ALERT, nullptr, onAlert, tepo.pid(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  HWND foreground = GetForegroundWindow();

  bool plain = false, complaint = false;
  for (int click = 0; click < 60 && !(plain && complaint); ++click) {
    alerts.clear();
    tepo.trayEvent(WM_LBUTTONUP);
    ASSERT_TRUE(waitFor([] { return !alerts.empty(); }, 10000)) << "no alert for the balloon of click " << click;
    const Alert alert = alerts.back();
    EXPECT_EQ(alert.object, OBJID_CLIENT);
    EXPECT_EQ(alert.child, CHILDID_SELF);
    EXPECT_TRUE(IsWindowVisible(alert.hwnd));
    const std::wstring text = announcedText(tepo, alert);
    if (text == L"hello there") {
      plain = true;
    } else {
      EXPECT_EQ(text.rfind(L"なんだか調子悪いみたい...", 0), 0u) << "announced: " << text.size() << " characters";
      complaint = true;
    }
    EXPECT_EQ(GetForegroundWindow(), foreground) << "the balloon took the focus";
  }
  UnhookWinEvent(hook);
  EXPECT_TRUE(plain) << "no message balloon was announced";
  EXPECT_TRUE(complaint) << "no complaint balloon was announced";
}

}  // namespace
}  // namespace tepo::testing
