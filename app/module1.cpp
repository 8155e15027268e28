#include "app/module1.h"

namespace tepo::Module1 {

// The design puts a pass-through procedure on Form1: it changes nothing, and
// is where a message to Form1 could be looked at before Form1 handles it.
// Installed the Unicode way, so that Form1's messages stay Unicode through it.
// The previous procedure stays with the window, for WindowProc to find.
namespace {
constexpr wchar_t kPrevWndProc[] = L"tepoPrevWndProc";
}

Subclass::Subclass(HWND hWnd) : hWnd_(hWnd), prevWndProc_(GetWindowLongPtrW(hWnd, GWLP_WNDPROC)) {
  if (!prevWndProc_ || !SetPropW(hWnd, kPrevWndProc, reinterpret_cast<HANDLE>(prevWndProc_))) {
    prevWndProc_ = 0;
    return;
  }
  SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
}

Subclass::~Subclass() {
  if (prevWndProc_ == 0 || !IsWindow(hWnd_)) return;
  SetWindowLongPtrW(hWnd_, GWLP_WNDPROC, prevWndProc_);
  RemovePropW(hWnd_, kPrevWndProc);
}

LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  auto prevWndProc = reinterpret_cast<WNDPROC>(GetPropW(hWnd, kPrevWndProc));
  if (!prevWndProc) return DefWindowProcW(hWnd, uMsg, wParam, lParam);
  return CallWindowProcW(prevWndProc, hWnd, uMsg, wParam, lParam);
}

}  // namespace tepo::Module1
