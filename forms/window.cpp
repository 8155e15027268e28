#include "forms/window.h"

#include "forms/resource.h"
#include "platform/win32.h"

#include <algorithm>
#include <map>
#include <vector>

namespace tepo::forms {

namespace {

std::vector<HWND>& navigated() {
  static std::vector<HWND> windows;
  return windows;
}

// One solid brush per colour for the whole run: class brushes are never freed.
HBRUSH brushFor(COLORREF colour) {
  static std::map<COLORREF, HBRUSH> brushes;
  auto found = brushes.find(colour);
  if (found != brushes.end()) return found->second;
  HBRUSH brush = CreateSolidBrush(colour);
  brushes[colour] = brush;
  return brush;
}

}  // namespace

HINSTANCE instance() { return GetModuleHandleW(nullptr); }

AppIcons loadAppIcons() {
  auto load = [](int size) {
    return UniqueIcon(
        static_cast<HICON>(LoadImageW(instance(), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
  };
  return AppIcons{load(GetSystemMetrics(SM_CXICON)), load(GetSystemMetrics(SM_CXSMICON))};
}

Window::~Window() { destroy(); }

void Window::destroy() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool Window::create(const WindowDesign& design, UniqueMenu menu) {
  if (hwnd_) return true;
  background_ = brushFor(design.background);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (!GetClassInfoExW(instance(), design.className, &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = staticProc;
    wc.hInstance = instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background_;
    wc.lpszClassName = design.className;
    if (!RegisterClassExW(&wc)) return false;
  }

  RECT frame{0, 0, design.clientWidth, design.clientHeight};
  AdjustWindowRectEx(&frame, design.style, menu ? TRUE : FALSE, design.exStyle);
  HWND created =
      CreateWindowExW(design.exStyle, design.className, design.caption, design.style, design.x, design.y,
                      frame.right - frame.left, frame.bottom - frame.top, design.owner, menu.get(), instance(), this);
  if (!created) return false;
  // The window owns its menu bar from here on.
  menu.release();
  if (design.bigIcon) SendMessageW(created, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(design.bigIcon));
  if (design.smallIcon) SendMessageW(created, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(design.smallIcon));
  return true;
}

LRESULT Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      // Commands without a handler (IDOK and IDCANCEL from Enter and Escape
      // among them) do nothing.
      runCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_ACTIVATE:
      if (!focusFirst_) break;
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND had = GetFocus();
        if (had && IsChild(hwnd_, had)) focus_ = had;
      } else {
        restoreFocus();
      }
      return 0;
    case WM_SETFOCUS:
      if (!focusFirst_) break;
      restoreFocus();
      return 0;
  }
  return defaultProc(message, wParam, lParam);
}

void Window::onCommand(int id, WORD code, std::function<void()> handler) { commands_[{id, code}] = std::move(handler); }

void Window::addMenuItem(HMENU menu, int id, const wchar_t* caption, std::function<void()> handler) {
  AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), caption);
  onCommand(id, 0, std::move(handler));
}

bool Window::runCommand(int id, WORD code) {
  auto found = commands_.find({id, code});
  if (found == commands_.end()) return false;
  // A copy: the handler may destroy the window, and the table with it.
  std::function<void()> handler = found->second;
  handler();
  return true;
}

void Window::keepFocus(HWND first) {
  focusFirst_ = first;
  focus_ = nullptr;
}

void Window::restoreFocus() {
  HWND target = focus_ && IsChild(hwnd_, focus_) ? focus_ : focusFirst_;
  if (target) SetFocus(target);
}

LRESULT Window::defaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::staticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* self;
  if (message == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    self = static_cast<Window*>(cs->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);

  // No exception may cross the system's frames: a failure the handlers did not
  // trap ends that one message, not the program.
  LRESULT result = 0;
  try {
    result = self->handleMessage(message, wParam, lParam);
  } catch (...) {
    result = message == WM_NCCREATE ? FALSE : 0;
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    removeDialogNavigation(hwnd);
    self->hwnd_ = nullptr;
    self->commands_.clear();
    self->focusFirst_ = self->focus_ = nullptr;
    self->onDestroyed();
  }
  return result;
}

void addDialogNavigation(HWND hwnd) {
  auto& list = navigated();
  if (std::find(list.begin(), list.end(), hwnd) == list.end()) list.push_back(hwnd);
}

void removeDialogNavigation(HWND hwnd) {
  auto& list = navigated();
  list.erase(std::remove(list.begin(), list.end(), hwnd), list.end());
}

bool translateDialogMessage(MSG& msg) {
  for (HWND hwnd : navigated()) {
    if (!IsWindow(hwnd) || (msg.hwnd != hwnd && !IsChild(hwnd, msg.hwnd))) continue;
    // Escape closes none of these windows and changes nothing in them. A
    // multi-line edit that the dialog manager has asked for its keys would
    // post WM_CLOSE to its window on Escape, throwing away what was typed.
    bool escape = (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) && msg.wParam == VK_ESCAPE;
    if (escape || IsDialogMessageW(hwnd, &msg)) return true;
  }
  return false;
}

}  // namespace tepo::forms
