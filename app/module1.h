// The pass-through window procedure installed on Form1's window.
#pragma once

#include <windows.h>

namespace tepo::Module1 {

// Puts WindowProc on a window for as long as it lives, then puts the
// window's previous procedure back.
class Subclass {
 public:
  explicit Subclass(HWND hWnd);
  ~Subclass();
  Subclass(const Subclass&) = delete;
  Subclass& operator=(const Subclass&) = delete;

 private:
  HWND hWnd_;
  LONG_PTR prevWndProc_;
};

LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

}  // namespace tepo::Module1
