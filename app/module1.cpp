#include "app/module1.h"

namespace tepo::Module1 {

LONG_PTR prevWndProc = 0;

void subclassWindow(HWND hWnd) {
  prevWndProc = SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
}

void unsubclassWindow(HWND hWnd) {
  if (prevWndProc != 0) SetWindowLongPtrA(hWnd, GWLP_WNDPROC, prevWndProc);
}

LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcA(reinterpret_cast<WNDPROC>(prevWndProc), hWnd, uMsg, wParam, lParam);
}

}  // namespace tepo::Module1
