#include "harness.h"

#include <gtest/gtest.h>

#include <cmath>

#include <vector>

namespace tepo::testing {

std::vector<std::wstring> listRows(HWND list) {
  std::vector<std::wstring> rows;
  int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    int length = static_cast<int>(SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0));
    std::wstring row(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&row[0]));
    row.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    rows.push_back(row);
  }
  return rows;
}

namespace {

// 1440 twips to the inch, at the screen's dots per inch.
int twipsToPixels(double twips, int axis) {
  WindowDC screen(nullptr);
  int dpi = screen ? GetDeviceCaps(screen.get(), axis) : 96;
  return static_cast<int>(std::lround(twips * (dpi > 0 ? dpi : 96) / 1440.0));
}

}  // namespace

int px(double twips) { return twipsToPixels(twips, LOGPIXELSX); }
int py(double twips) { return twipsToPixels(twips, LOGPIXELSY); }

namespace {

struct CountState {
  DWORD pid;
  const wchar_t* className;
  int count;
};

BOOL CALLBACK countProc(HWND hwnd, LPARAM lParam) {
  auto* s = reinterpret_cast<CountState*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == s->pid && className(hwnd) == s->className) ++s->count;
  return TRUE;
}

}  // namespace

unsigned long gdiObjectCount() {
  DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (counted != 0) return counted;
  unsigned long live = 0;
  // Wine takes a handle with its upper word 0 as "whatever generation".
  for (UINT_PTR slot = 1; slot < 0x10000; ++slot) {
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0) ++live;
  }
  return live;
}

void expectFixedCaptionedWindow(HWND w) {
  LONG_PTR style = GetWindowLongPtrW(w, GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CHILD | WS_POPUP));
}

int countWindows(DWORD pid, const wchar_t* cls) {
  CountState s{pid, cls, 0};
  EnumWindows(countProc, reinterpret_cast<LPARAM>(&s));
  return s.count;
}

void pressKeys(std::initializer_list<WORD> chord) {
  std::vector<INPUT> inputs;
  for (WORD key : chord) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = key;
    inputs.push_back(in);
  }
  for (auto key = chord.end(); key != chord.begin();) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = *--key;
    in.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(in);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void clickAt(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, input, sizeof(INPUT));
}

bool chooseFromMenuBar(HWND window, WORD menuKey, WORD itemKey) {
  SetForegroundWindow(window);
  if (!waitFor([&] { return GetForegroundWindow() == window; })) return false;
  pressKeys({VK_MENU, menuKey});
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (!findPopupMenu(pid)) return false;
  pressKeys({itemKey});
  return true;
}

UINT menuCommand(HMENU menu, const wchar_t* caption) {
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      if (UINT found = menuCommand(sub, caption)) return found;
      continue;
    }
    wchar_t text[128] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
    if (std::wstring(text) == caption) return GetMenuItemID(menu, i);
  }
  return 0;
}

HWND focusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

bool showsVerticalScrollBar(HWND window) {
  SCROLLBARINFO bar{};
  bar.cbSize = sizeof(bar);
  return GetScrollBarInfo(window, OBJID_VSCROLL, &bar) && !(bar.rgstate[0] & STATE_SYSTEM_INVISIBLE);
}

COLORREF screenPixel(HWND window, int x, int y) {
  POINT p{x, y};
  ClientToScreen(window, &p);
  return GetPixel(WindowDC(nullptr).get(), p.x, p.y);
}

ScreenShot::ScreenShot(const RECT& area) : area_(area) {
  const int w = area.right - area.left, h = area.bottom - area.top;
  pixels_.assign(static_cast<std::size_t>(w > 0 && h > 0 ? w * h : 0), CLR_INVALID);
  if (pixels_.empty()) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  WindowDC screen(nullptr);
  UniqueMemoryDC memory(CreateCompatibleDC(screen.get()));
  UniqueBitmap dib(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!memory || !dib || !bits) return;
  SelectedObject selected(memory.get(), dib.get());
  BitBlt(memory.get(), 0, 0, w, h, screen.get(), area.left, area.top, SRCCOPY);
  GdiFlush();
  const auto* p = static_cast<const DWORD*>(bits);
  for (std::size_t i = 0; i < pixels_.size(); ++i) {
    pixels_[i] = RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF);
  }
}

COLORREF ScreenShot::at(int x, int y) const {
  if (x < area_.left || x >= area_.right || y < area_.top || y >= area_.bottom) return CLR_INVALID;
  return pixels_[static_cast<std::size_t>((y - area_.top) * (area_.right - area_.left) + (x - area_.left))];
}

bool ScreenShot::any(const RECT& r, const std::function<bool(COLORREF)>& match) const {
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      COLORREF c = at(x, y);
      if (c != CLR_INVALID && match(c)) return true;
    }
  }
  return false;
}

bool isDark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 100; }

bool runUnixProgram(const std::wstring& path, const std::wstring& arguments) {
  // Wine starts a program that is not a Windows one on the Unix side.
  std::wstring command = L"\"" + path + L"\" " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(path.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  UniqueKernelObject process(pi.hProcess);
  UniqueKernelObject thread(pi.hThread);
  if (!process) return true;
  DWORD code = 1;
  return WaitForSingleObject(process.get(), 30000) == WAIT_OBJECT_0 && GetExitCodeProcess(process.get(), &code) &&
         code == 0;
}

MessageBoxAnswerer::MessageBoxAnswerer(DWORD pid, std::function<int(const std::wstring&)> answer) {
  InitializeCriticalSection(&lock_);
  thread_ = std::thread([this, pid, answer] {
    HWND last = nullptr;
    while (!stop_) {
      HWND box = findMessageBox(pid);
      if (box && box != last && IsWindowVisible(box)) {
        std::wstring text = messageBoxText(box);
        EnterCriticalSection(&lock_);
        if (!texts_.empty()) texts_ += L"|";
        texts_ += text;
        LeaveCriticalSection(&lock_);
        ++count_;
        pressButton(box, answer(text));
        last = box;
        // The box goes away; wait so it is not answered twice.
        for (int i = 0; i < 400 && IsWindow(box); ++i) Sleep(5);
        if (!IsWindow(box)) last = nullptr;
      }
      Sleep(5);
    }
  });
}

MessageBoxAnswerer::~MessageBoxAnswerer() {
  stop_ = true;
  thread_.join();
  DeleteCriticalSection(&lock_);
}

std::wstring MessageBoxAnswerer::texts() const {
  EnterCriticalSection(&lock_);
  std::wstring copy = texts_;
  LeaveCriticalSection(&lock_);
  return copy;
}

}  // namespace tepo::testing
