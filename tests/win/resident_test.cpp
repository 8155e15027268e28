// The resident program: started as its own process and seen from outside, the
// way the user's system sees it, and Form1's record and window procedure in-process.
#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>

#include "app/form1.h"
#include "app/module1.h"
#include "app/tray_icon.h"
#include "harness.h"

namespace {

using tepo::testing::TepoProcess;
using tepo::testing::trayIconExists;

const std::string kMessages = "one\r\ntwo\r\n";

TEST(Resident, StartsHiddenWithItsIconInTheNotificationArea) {
  TepoProcess tepo(&kMessages);
  ASSERT_TRUE(tepo.started());
  EXPECT_FALSE(IsWindowVisible(tepo.form1()));
  EXPECT_EQ(tepo::testing::windowText(tepo.form1()), L"Form1");
  EXPECT_TRUE(trayIconExists(tepo.form1()));
}

TEST(Resident, MissingOrEmptyMessageFileStillGivesAResidentIcon) {
  TepoProcess missing(nullptr);
  ASSERT_TRUE(missing.started());
  EXPECT_TRUE(trayIconExists(missing.form1()));
  const std::string empty;
  TepoProcess none(&empty);
  ASSERT_TRUE(none.started());
  EXPECT_TRUE(trayIconExists(none.form1()));
}

TEST(Resident, UnloadingForm1RemovesTheIconAndEndsTheProgram) {
  TepoProcess tepo(&kMessages);
  ASSERT_TRUE(tepo.started());
  HWND form = tepo.form1();
  PostMessageW(form, WM_CLOSE, 0, 0);
  ASSERT_TRUE(tepo.exited());
  EXPECT_FALSE(trayIconExists(form));
}

TEST(Resident, IconComesBackWhenTheTaskbarIsCreatedAgain) {
  TepoProcess tepo(&kMessages);
  ASSERT_TRUE(tepo.started());
  // What a restarted Explorer looks like to the program: its icon is gone.
  NOTIFYICONDATAW nid{};
  nid.cbSize = NOTIFYICONDATAW_V1_SIZE;
  nid.hWnd = tepo.form1();
  nid.uID = 1;
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &nid));
  ASSERT_FALSE(trayIconExists(tepo.form1()));
  SendMessageTimeoutW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
  EXPECT_TRUE(tepo::testing::waitFor([&] { return trayIconExists(tepo.form1()); }));
  // Sent again while the icon exists, it must not fail or add a second one.
  SendMessageW(tepo.form1(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(trayIconExists(tepo.form1()));
}

std::wstring versionString(const std::wstring& exe, const wchar_t* name) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
  if (size == 0) return L"<no version resource>";
  std::vector<char> data(size);
  if (!GetFileVersionInfoW(exe.c_str(), 0, size, data.data())) return L"<unreadable>";
  void* value = nullptr;
  UINT length = 0;
  std::wstring key = std::wstring(L"\\StringFileInfo\\041103a4\\") + name;
  if (!VerQueryValueW(data.data(), key.c_str(), &value, &length) || length == 0) return L"<missing>";
  return std::wstring(static_cast<wchar_t*>(value));
}

TEST(Resident, VersionResourceIsJapanese) {
  std::wstring exe = tepo::testing::testExeFolder() + L"\\tepo.exe";
  EXPECT_EQ(versionString(exe, L"FileVersion"), L"1.00");
  EXPECT_EQ(versionString(exe, L"ProductVersion"), L"1.00");
  EXPECT_EQ(versionString(exe, L"ProductName"), L"tepo");
  EXPECT_EQ(versionString(exe, L"InternalName"), L"tepo");
}

// The pass-through procedure lives as long as its object: messages go through
// it unchanged, and the window's own procedure is back once it is gone.
TEST(Module1, SubclassPassesMessagesThroughAndPutsThePreviousProcedureBack) {
  HWND plain = CreateWindowExW(0, L"STATIC", L"plain", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(plain, nullptr);
  LONG_PTR before = GetWindowLongPtrW(plain, GWLP_WNDPROC);
  {
    tepo::Module1::Subclass subclass(plain);
    EXPECT_EQ(GetWindowLongPtrW(plain, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&tepo::Module1::WindowProc));
    SetWindowTextW(plain, L"through");
    EXPECT_EQ(tepo::testing::windowText(plain), L"through");
  }
  EXPECT_EQ(GetWindowLongPtrW(plain, GWLP_WNDPROC), before);
  DestroyWindow(plain);
}

// Form1 of this test process itself: the record handed to the shell and the
// pass-through procedure; closing it unloads it cleanly.
TEST(Form1InProcess, LoadsRegistersTheIconAndUnloadsCleanly) {
  tepo::Form1 form(tepo::systemFileOps());
  EXPECT_EQ(form.mx, 0);
  EXPECT_EQ(form.my, 0);
  ASSERT_TRUE(form.load());
  HWND hwnd = form.hwnd();

  ASSERT_NE(form.trayIcon(), nullptr);
  EXPECT_TRUE(form.trayIcon()->added());
  const tepo::TrayIconRecord& r = form.trayIcon()->record();
  EXPECT_EQ(r.cbSize, 88u);
  EXPECT_EQ(r.hWnd, hwnd);
  EXPECT_EQ(r.uID, 1u);
  EXPECT_EQ(r.uFlags, 7u);
  EXPECT_EQ(r.uCallbackMessage, 512u);
  EXPECT_NE(r.hIcon, nullptr);
  std::u16string tip(r.szTip, 64);
  EXPECT_EQ(tip, std::u16string(u"Click Here!") + u'\0' + std::u16string(52, u' '));
  EXPECT_TRUE(trayIconExists(hwnd));
  EXPECT_NE(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_NE(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0), 0);

  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&tepo::Module1::WindowProc));
  // Messages pass through unchanged.
  EXPECT_EQ(tepo::testing::windowText(hwnd), L"Form1");
  EXPECT_FALSE(IsWindowVisible(hwnd));

  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(trayIconExists(hwnd));
  // Closing Form1 posted the end of the program's loop: not this test's.
  MSG quit;
  PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

// The icon object: in the notification area from when it is made until it is
// destroyed, while its window stays.
TEST(TrayIconInProcess, IsAddedWhenMadeAndRemovedWhenDestroyed) {
  HWND plain = CreateWindowExW(0, L"STATIC", L"plain", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(plain, nullptr);
  {
    tepo::TrayIcon icon(plain, LoadIconW(nullptr, IDI_APPLICATION));
    EXPECT_TRUE(icon.added());
    EXPECT_TRUE(trayIconExists(plain));
  }
  EXPECT_FALSE(trayIconExists(plain));
  DestroyWindow(plain);
}

// Form1 owns its windows: when it goes, they go, whatever was open.
TEST(Form1InProcess, ItsWindowsGoWithIt) {
  tepo::testing::TempFolder folder;
  tepo::testing::writeFileBytes(folder.file(L"tepo.dat"), "one\r\n");
  HWND form1 = nullptr;
  HWND windows[3] = {};
  {
    tepo::Form1 form(tepo::systemFileOps());
    ASSERT_TRUE(form.load());
    form1 = form.hwnd();
    form.dataRead(reinterpret_cast<const char16_t*>(folder.file(L"tepo.dat").c_str()));
    SendMessageW(form1, WM_MOUSEMOVE, 1, WM_LBUTTONUP);
    form.mnuFind_Click();
    form.mnuMente_Click();
    windows[0] = tepo::testing::findWindow(GetCurrentProcessId(), L"tepoBalloon", nullptr);
    windows[1] = tepo::testing::findWindow(GetCurrentProcessId(), L"tepoSearch", nullptr);
    windows[2] = tepo::testing::findWindow(GetCurrentProcessId(), L"tepoFrmMente", nullptr);
    for (HWND w : windows) ASSERT_TRUE(IsWindowVisible(w));
  }
  for (HWND w : windows) EXPECT_FALSE(IsWindow(w));
  EXPECT_FALSE(IsWindow(form1));
}

}  // namespace
