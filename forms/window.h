// The base of every window of the program: a window procedure that finds its
// C++ object, and the few properties the windows are designed with.
#pragma once

#include <windows.h>

#include <string>

namespace tepo::forms {

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
  HMENU menu = nullptr;
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
  // Creates the window; false if the system refused.
  bool create(const WindowDesign& design);

  // Every message of the window, until it is destroyed.
  virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // Called once the window is gone, whoever destroyed it.
  virtual void onDestroyed() {}

  LRESULT defaultProc(UINT message, WPARAM wParam, LPARAM lParam);

  HBRUSH backgroundBrush() const { return background_; }

 private:
  static LRESULT CALLBACK staticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  HBRUSH background_ = nullptr;
};

// Modeless windows whose keyboard navigation (Tab, arrow keys) the message
// loop handles.
void addDialogNavigation(HWND hwnd);
void removeDialogNavigation(HWND hwnd);
bool translateDialogMessage(MSG& msg);

// The program's module handle.
HINSTANCE instance();

}  // namespace tepo::forms
