#include "app/module1.h"

namespace tepo::Module1 {

// The design puts a pass-through procedure on Form1: it changes nothing, and
// is where a message to Form1 could be looked at before Form1 handles it.
// Installed the Unicode way, so that Form1's messages stay Unicode through it.
LONG_PTR prevWndProc = 0;

void subclassWindow(HWND hWnd) {
  prevWndProc = SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
}

void unsubclassWindow(HWND hWnd) {
  if (prevWndProc != 0) SetWindowLongPtrW(hWnd, GWLP_WNDPROC, prevWndProc);
}

LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(reinterpret_cast<WNDPROC>(prevWndProc), hWnd, uMsg, wParam, lParam);
}

}  // namespace tepo::Module1
