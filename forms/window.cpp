#include "forms/window.h"

#include "forms/controls.h"
#include "platform/win32.h"

#include <algorithm>
#include <map>
#include <vector>

namespace tepo::forms {

namespace {

// Ids stay inside the forms layer: controls count up from kFirstControl,
// menu items from kFirstMenuItem, the numbers Form1's menu always had (the GUI
// benchmark still posts 1002, データメンテナンス). None is IDOK or IDCANCEL,
// which Enter and Escape send, nor 0, which a dismissed popup menu returns.
constexpr int kFirstControl = 100;
constexpr UINT kFirstMenuItem = 1001;

std::vector<HWND>& navigated() {
  static std::vector<HWND> windows;
  return windows;
}

}  // namespace

HINSTANCE moduleHandle() { return GetModuleHandleW(nullptr); }

// Never freed, as class brushes must outlive their windows: each colour is made once.
HBRUSH solidBrush(COLORREF colour) {
  static std::map<COLORREF, HBRUSH> brushes;
  auto found = brushes.find(colour);
  if (found != brushes.end()) return found->second;
  HBRUSH brush = CreateSolidBrush(colour);
  if (brush) brushes[colour] = brush;
  return brush;
}

Window::~Window() { destroy(); }

void Window::destroy() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool Window::create(const WindowDesign& design, UniqueMenu menu) {
  if (hwnd_) return true;
  background_ = solidBrush(design.background);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (!GetClassInfoExW(moduleHandle(), design.className, &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = staticProc;
    wc.hInstance = moduleHandle();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background_;
    wc.lpszClassName = design.className;
    if (!RegisterClassExW(&wc)) return false;
  }

  RECT frame{0, 0, design.clientWidth, design.clientHeight};
  AdjustWindowRectEx(&frame, design.style, menu ? TRUE : FALSE, design.exStyle);
  HWND created = CreateWindowExW(design.exStyle, design.className, design.caption, design.style, design.x, design.y,
                                 frame.right - frame.left, frame.bottom - frame.top, design.owner, menu.get(),
                                 moduleHandle(), this);
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
      command(wParam, lParam);
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
  // WM_CTLCOLOR...: a control with colours of its own; the others get the system's.
  if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
    if (Control* control = controlOf(reinterpret_cast<HWND>(lParam))) {
      if (HBRUSH brush = control->colours(reinterpret_cast<HDC>(wParam))) return reinterpret_cast<LRESULT>(brush);
    }
  }
  return defaultProc(message, wParam, lParam);
}

int Window::adopt(Control* control) {
  controls_.push_back(control);
  return kFirstControl + static_cast<int>(controls_.size()) - 1;
}

void Window::forget(Control* control) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
}

UINT Window::addMenuItem(HMENU menu, const wchar_t* caption, std::function<void()> handler) {
  const UINT id = kFirstMenuItem + static_cast<UINT>(menuCommands_.size());
  AppendMenuW(menu, MF_STRING, id, caption);
  menuCommands_.push_back(std::move(handler));
  return id;
}

bool Window::runMenuCommand(UINT id) {
  if (id < kFirstMenuItem || id - kFirstMenuItem >= menuCommands_.size()) return false;
  // A copy: the handler may destroy the window, and the table with it.
  std::function<void()> handler = menuCommands_[id - kFirstMenuItem];
  if (handler) handler();
  return true;
}

Control* Window::controlOf(HWND hwnd) const {
  if (!hwnd) return nullptr;
  for (Control* control : controls_) {
    if (control->hwnd_ == hwnd) return control;
  }
  return nullptr;
}

void Window::command(WPARAM wParam, LPARAM lParam) {
  const auto from = reinterpret_cast<HWND>(lParam);
  // Commands of no control of this window (IDOK and IDCANCEL from Enter and
  // Escape among them) do nothing.
  if (!from) {
    if (HIWORD(wParam) == 0) runMenuCommand(LOWORD(wParam));
    return;
  }
  if (Control* control = controlOf(from)) control->notify(HIWORD(wParam));
}

void Window::keepFocus(const Control& first) {
  focusFirst_ = first.hwnd_;
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
    for (Control* control : self->controls_) control->hwnd_ = nullptr;
    self->controls_.clear();
    self->menuCommands_.clear();
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
