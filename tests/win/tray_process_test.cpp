// A real tepo.exe seen from outside: the messages two starts pick, a sign-out
// called off, and the icon taken out of the notification area by Quit while
// the program still runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "editor_fixture.h"
#include "harness.h"

namespace tepo::testing {
namespace {

std::vector<std::wstring> shownTexts(const TepoProcess& tepo, int clicks) {
  std::vector<std::wstring> texts;
  for (int i = 0; i < clicks; ++i) {
    EXPECT_TRUE(tepo.trayEventHandled(WM_LBUTTONUP));
    texts.push_back(tepo.balloonText());
  }
  return texts;
}

TEST(TrayProcess, TwoStartsShowDifferentMessages) {
  // A thousand distinct messages and eight clicks each: two starts seeded apart
  // show the same eight with a chance of 1000^-8; without a seed, always.
  std::string messages;
  for (int i = 0; i < 1000; ++i) messages += "message " + std::to_string(i) + "\r\n";
  std::vector<std::vector<std::wstring>> runs;
  for (int start = 0; start < 2; ++start) {
    TepoProcess tepo(&messages);
    ASSERT_TRUE(tepo.started());
    runs.push_back(shownTexts(tepo, 8));
    for (const std::wstring& text : runs.back()) EXPECT_EQ(text.rfind(L"message ", 0), 0u) << text;
  }
  EXPECT_NE(runs[0], runs[1]) << "both starts drew the same sequence";
}

// Messages written in Notepad reach the next balloon without a restart, in
// the encoding Notepad saved them in; a file held open by its writer keeps
// the messages already held.
TEST(TrayProcess, TheNextBalloonFollowsTheFileAsItChanges) {
  const std::string first = "old message\r\n";
  TepoProcess tepo(&first);
  ASSERT_TRUE(tepo.started());
  auto click = [&] {
    EXPECT_TRUE(tepo.trayEventHandled(WM_LBUTTONUP));
    return tepo.balloonText();
  };
  EXPECT_EQ(click(), L"old message");

  writeFileBytes(tepo.dataFile(),
                 "\xEF\xBB\xBF"
                 u8"こんにちは 😀\r\n");
  EXPECT_EQ(click(), L"こんにちは 😀");

  // Being written: the writer shares it with no one.
  UniqueFile writer(CreateFileW(tepo.dataFile().c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, 0, nullptr));
  ASSERT_TRUE(writer);
  const std::string later = shiftJis(L"書き終えた\r\n");
  DWORD written = 0;
  WriteFile(writer.get(), later.data(), static_cast<DWORD>(later.size()), &written, nullptr);
  EXPECT_EQ(click(), L"こんにちは 😀");
  writer.reset();
  EXPECT_EQ(click(), L"書き終えた");

  // Notepad's "Unicode": UTF-16 little endian after its mark.
  const std::wstring unicode = L"\uFEFFユニコードで保存 😀\r\n";
  writeFileBytes(tepo.dataFile(), std::string(reinterpret_cast<const char*>(unicode.data()), 2 * unicode.size()));
  EXPECT_EQ(click(), L"ユニコードで保存 😀");

  // Two half-width kana alone, which UTF-8 would read as one letter (з).
  writeFileBytes(tepo.dataFile(), "\xD0\xB7\r\n");
  EXPECT_EQ(click(), L"ﾐｷ");
}

// A sign-out that Windows calls off, because another program refused it or
// the editor did for its unsaved edits (whose question, once the user is
// back, is answered Cancel): tepo goes on as it was, its icon working, its
// windows open and the edits kept until a save writes them.
TEST(TrayProcess, ASignOutCalledOffLeavesTheProgramAsItWas) {
  const std::string messages = "one\r\ntwo\r\n";
  std::vector<std::wstring> rows{L"one", L"two"};
  TepoProcess tepo(&messages);
  ASSERT_TRUE(tepo.started());
  HWND w = tepo.openEditor();
  ASSERT_NE(w, nullptr);
  for (bool edited : {false, true}) {
    if (edited) {
      SetWindowTextW(findControl(w, L"Edit"), L"three");
      MessageBoxAnswerer answerer(tepo.pid(), answerOk);
      PostMessageW(findControl(w, L"Button", kBtnAdd), BM_CLICK, 0, 0);
      ASSERT_TRUE(waitFor([&] { return answerer.count() == 2; }));
      rows.push_back(L"three");
    }
    ASSERT_TRUE(tepo.trayEventHandled(WM_LBUTTONUP));
    HWND shown = tepo.balloon();
    ASSERT_NE(shown, nullptr);
    {
      MessageBoxAnswerer answerer(tepo.pid(), answerCancel);
      EXPECT_EQ(callOffSignOut(tepo.pid()), edited);
      // Time for a question to come, where one does.
      waitFor([&] { return answerer.count() > 0; }, edited ? 5000 : 500);
      EXPECT_EQ(answerer.texts(), edited ? kAskSaveEdits : L"");
    }
    EXPECT_FALSE(tepo.exited(0));
    EXPECT_TRUE(trayIconExists(tepo.form1()));
    EXPECT_EQ(tepo.balloon(), shown);
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_EQ(listRows(findControl(w, L"ListBox")), rows);
    ASSERT_TRUE(tepo.trayEventHandled(WM_LBUTTONUP));
    EXPECT_NE(tepo.balloonText(), L"<no balloon>");
  }
  MessageBoxAnswerer answerer(tepo.pid(), answerOk);
  ASSERT_TRUE(chooseFromMenuBar(w, 'F', 'S'));
  ASSERT_TRUE(waitFor([&] { return answerer.count() == 1; }));
  EXPECT_EQ(answerer.texts(), L"データを保存しました!");
  EXPECT_EQ(readFileBytes(tepo.dataFile()), "one\r\ntwo\r\nthree\r\n");
}

// The screen's dots per inch, as the programs started while it lives see it.
class ScreenDpi {
 public:
  explicit ScreenDpi(DWORD dpi) {
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                    nullptr);
    DWORD size = sizeof(old_);
    had_ = RegQueryValueExW(key_, L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size) == 0;
    RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi));
  }
  ~ScreenDpi() {
    if (had_) RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof(old_));
    if (!had_) RegDeleteValueW(key_, L"LogPixels");
    RegCloseKey(key_);
  }
  ScreenDpi(const ScreenDpi&) = delete;
  ScreenDpi& operator=(const ScreenDpi&) = delete;

 private:
  HKEY key_ = nullptr;
  DWORD old_ = 0;
  bool had_ = false;
};

// At 168 dots per inch a pixel is 8.571... twips, and the centred balloon's
// tail position comes out a hair below a whole pixel: rounded, the tail's
// edge is at the cursor, 65 pixels into the 130-pixel balloon; cut off, it
// would stand one pixel left of it.
TEST(TrayProcess, TheCentredBalloonsTailIsRoundedToTheCursor) {
  // Twenty blanks: nothing the label draws falls on the tail.
  const std::string twenty = "\"" + std::string(20, ' ') + "\"\r\n";
  ScreenDpi dpi(168);
  TepoProcess tepo(&twenty);
  ASSERT_TRUE(tepo.started());
  SetCursorPos(500, 300);
  ASSERT_TRUE(tepo.trayEventHandled(WM_LBUTTONUP));
  HWND b = tepo.balloon();
  ASSERT_NE(b, nullptr);
  RECT r;
  GetWindowRect(b, &r);
  ASSERT_EQ(r.right - r.left, 130);
  ASSERT_EQ(r.left, 500 - 65);
  const COLORREF paleYellow = RGB(255, 255, 192);
  const int row = r.bottom - 15;  // under the body, where only the tail is
  COLORREF edge = 0;
  EXPECT_TRUE(waitFor([&] { return (edge = ScreenShot(r).at(r.left + 64, row)) == paleYellow; }, 3000))
      << "the tail's last column: 0x" << std::hex << edge;
  EXPECT_NE(ScreenShot(r).at(r.left + 65, row), paleYellow) << "right of the tail's edge";
}

// Stands in for the shell's tray window: the system's notification call finds
// the newest window of this class and hands it the command by WM_COPYDATA.
struct TrayCommand {
  ULONG_PTR command;
  std::vector<BYTE> data;
  bool senderAlive;
};
std::vector<TrayCommand> g_commands;
HANDLE g_sender = nullptr;

LRESULT CALLBACK fakeTrayProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    const BYTE* bytes = static_cast<const BYTE*>(cds->lpData);
    TrayCommand seen{cds->dwData, std::vector<BYTE>(bytes, bytes + (bytes ? cds->cbData : 0)),
                     g_sender && WaitForSingleObject(g_sender, 0) == WAIT_TIMEOUT};
    g_commands.push_back(seen);
    return TRUE;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class FakeTray {
 public:
  FakeTray() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = fakeTrayProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Shell_TrayWnd";
    RegisterClassW(&wc);
    // Topmost and made last: first in the z-order, so it is the one found.
    hwnd_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"Shell_TrayWnd", L"", WS_POPUP, 0, 0,
                            1, 1, nullptr, nullptr, wc.hInstance, nullptr);
  }
  ~FakeTray() {
    if (hwnd_) DestroyWindow(hwnd_);
    UnregisterClassW(L"Shell_TrayWnd", GetModuleHandleW(nullptr));
  }
  FakeTray(const FakeTray&) = delete;
  FakeTray& operator=(const FakeTray&) = delete;
  HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

TEST(TrayProcess, QuitDeletesTheIconBeforeTheProgramEnds) {
  const std::string one = "only message\r\n";
  TepoProcess tepo(&one);
  ASSERT_TRUE(tepo.started());
  g_commands.clear();
  g_sender = tepo.process();
  FakeTray tray;
  ASSERT_NE(tray.hwnd(), nullptr);
  ASSERT_EQ(FindWindowW(L"Shell_TrayWnd", nullptr), tray.hwnd());

  tepo.trayEvent(WM_RBUTTONDOWN);
  HWND menu = findPopupMenu(tepo.pid());
  ASSERT_NE(menu, nullptr);
  for (WPARAM key : {VK_UP, VK_RETURN}) {  // Up from nothing selected lands on Quit
    PostMessageW(menu, WM_KEYDOWN, key, 0);
    PostMessageW(menu, WM_KEYUP, key, 0xC0000000);
  }
  // The program's call waits for this thread to take the command: keep pumping.
  ASSERT_TRUE(waitFor([&] { return WaitForSingleObject(tepo.process(), 0) == WAIT_OBJECT_0; }, 15000));
  g_sender = nullptr;

  const TrayCommand* deleted = nullptr;
  for (const TrayCommand& c : g_commands) {
    if (c.command == NIM_DELETE) deleted = &c;
  }
  ASSERT_NE(deleted, nullptr) << "Quit ended the program with its icon still in the notification area";
  EXPECT_TRUE(deleted->senderAlive);
  // The shell's record begins with the owner window, as 32 bits, and the icon's id.
  ASSERT_GE(deleted->data.size(), 8u);
  LONG owner = 0;
  UINT id = 0;
  memcpy(&owner, deleted->data.data(), 4);
  memcpy(&id, deleted->data.data() + 4, 4);
  EXPECT_EQ(owner, static_cast<LONG>(reinterpret_cast<LONG_PTR>(tepo.form1())));
  EXPECT_EQ(id, 1u);
}

}  // namespace
}  // namespace tepo::testing
