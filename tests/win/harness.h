// Shared helpers of the Windows-side tests beyond working the program from
// outside: the rows of a list, pixels, real keys and clicks, and message
// boxes answered while a handler waits.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "driver/driver.h"
#include "platform/win32.h"

namespace tepo::testing {

// The rows of a list box, in order; works across processes.
std::vector<std::wstring> listRows(HWND list);

// Twips of the window designs in pixels of this screen.
int px(double twips);
int py(double twips);

// GDI objects alive in this process: the system's count where it keeps one;
// under Wine, which reports 0, by asking every slot of the handle table.
unsigned long gdiObjectCount();

// A window with a caption and a close box that cannot be resized, minimised
// or maximised; records a failure otherwise.
void expectFixedCaptionedWindow(HWND hwnd);

// How many top-level windows of the class the process has.
int countWindows(DWORD pid, const wchar_t* className);

// The command of the item with this caption in a menu of this process or
// one of its submenus, as the user finds it; 0 if there is none.
UINT menuCommand(HMENU menu, const wchar_t* caption);

// What the screen shows in a rectangle (screen coordinates), as the user sees it.
class ScreenShot {
 public:
  explicit ScreenShot(const RECT& area);
  COLORREF at(int x, int y) const;  // screen coordinates inside the area
  // Whether some pixel of the part of r inside the area matches.
  bool any(const RECT& r, const std::function<bool(COLORREF)>& match) const;

 private:
  RECT area_;
  std::vector<COLORREF> pixels_;
};
bool isDark(COLORREF c);

// Starts a program of the Unix side (such as xdotool) and waits for it; false
// if it could not be started or failed.
bool runUnixProgram(const std::wstring& path, const std::wstring& arguments);

// Real input through the system, as the user gives it. Keys of a chord go
// down in order and up in reverse; the window under the point gets the click.
void pressKeys(std::initializer_list<WORD> chord);
void clickAt(POINT screen);
// Chooses an item of a window's menu bar by its access keys, as the user
// does (Alt+F, then S): the window is brought to the front first. Returns
// once the keys are pressed; false if the menu did not open.
bool chooseFromMenuBar(HWND window, WORD menuKey, WORD itemKey);
// The control that has the keyboard focus in the thread of window, any process.
HWND focusOf(HWND window);
// Whether the window shows a vertical scroll bar, as assistive tools see it.
bool showsVerticalScrollBar(HWND window);
// The colour on the screen at a point of window's client area.
COLORREF screenPixel(HWND window, int x, int y);

// Answers message boxes on a thread of its own while the test thread is
// blocked in a handler that shows them; keeps the texts it saw.
class MessageBoxAnswerer {
 public:
  MessageBoxAnswerer(DWORD pid, std::function<int(const std::wstring&)> answer);
  ~MessageBoxAnswerer();
  std::wstring texts() const;  // every text seen, separated by '|'
  int count() const { return count_; }

 private:
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<int> count_{0};
  mutable CRITICAL_SECTION lock_;
  std::wstring texts_;
};

inline int answerOk(const std::wstring&) { return IDOK; }
inline int answerCancel(const std::wstring&) { return IDCANCEL; }
inline int answerNo(const std::wstring&) { return IDNO; }

}  // namespace tepo::testing
