// The base of every window of the program: a window procedure that finds its
// C++ object, and the few properties the windows are designed with.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace tepo::forms {

class Control;

struct WindowDesign {
  const wchar_t* className = L"tepoWindow";
  const wchar_t* caption = L"";
  DWORD style = WS_OVERLAPPEDWINDOW;
  DWORD exStyle = 0;
  // Client size in pixels; the frame is added to it.
  int clientWidth = 0;
  int clientHeight = 0;
  // CW_USEDEFAULT lets the system choose the position.
  int x = CW_USEDEFAULT;
  int y = CW_USEDEFAULT;
  HICON bigIcon = nullptr;
  HICON smallIcon = nullptr;
  COLORREF background = GetSysColor(COLOR_BTNFACE);
  // An owned top-level window stays above its owner and gets no taskbar button.
  HWND owner = nullptr;
};

class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND hwnd() const { return hwnd_; }
  bool isOpen() const { return hwnd_ != nullptr; }

  // Destroys the window; the object stays for the next creation.
  void destroy();

 protected:
  // Creates the window with its menu bar, if any, which it owns from the
  // start; false if the system refused.
  bool create(const WindowDesign& design, UniqueMenu menu = UniqueMenu());

  // Every message of the window, until it is destroyed. A window handles its
  // own and hands the rest on here: commands go to their handlers, the focus
  // is kept, everything else goes to the system.
  virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // Adds an item to a menu of this window, with the handler of its command;
  // the item's command id, for the menu calls that want one. Dropped when
  // the window is destroyed.
  UINT addMenuItem(HMENU menu, const wchar_t* caption, std::function<void()> handler);
  // Runs the handler of a menu item's command; false if it has none.
  bool runMenuCommand(UINT id);

  // As in a dialog: when the window is activated again the focus goes back
  // to the control that had it, the first time to first.
  void keepFocus(const Control& first);
  void restoreFocus();

  // Called once the window is gone, whoever destroyed it.
  virtual void onDestroyed() {}

  LRESULT defaultProc(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  friend class Control;
  static LRESULT CALLBACK staticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // Takes a control in; the id its WM_COMMAND comes with.
  int adopt(Control* control);
  void forget(Control* control);
  Control* controlOf(HWND hwnd) const;
  void command(WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  HBRUSH background_ = nullptr;
  std::vector<Control*> controls_;
  std::vector<std::function<void()>> menuCommands_;
  HWND focusFirst_ = nullptr;
  HWND focus_ = nullptr;
};

// Modeless windows whose keyboard navigation (Tab, arrow keys) the message
// loop handles, and in which Escape does nothing.
void addDialogNavigation(HWND hwnd);
void removeDialogNavigation(HWND hwnd);
bool translateDialogMessage(MSG& msg);

// The program's module handle.
HINSTANCE moduleHandle();

// One solid brush per colour, kept for the whole run; null if the system
// could not make it.
HBRUSH solidBrush(COLORREF colour);

}  // namespace tepo::forms
