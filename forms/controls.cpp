#include "forms/controls.h"

#include <algorithm>
#include <vector>

#include "forms/screen.h"
#include "forms/window.h"

namespace tepo::forms {

Placement inFrame(const Placement& frame, const Placement& at) {
  return Placement{frame.left + at.left, frame.top + at.top, at.width, at.height};
}

namespace {

HWND createWindow(HWND parent, int id, const wchar_t* className, const wchar_t* text, DWORD style, const Placement& at,
                  HFONT font, DWORD exStyle) {
  RECT r = twipsRect(at.left, at.top, at.width, at.height);
  HWND control = CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, r.left,
                                 r.top, r.right - r.left, r.bottom - r.top, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), moduleHandle(), nullptr);
  if (control && font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

void tabLeavesEdit(HWND edit);

}  // namespace

UniqueFont createFont(const wchar_t* face, double points, int weight, BYTE charset) {
  LOGFONTW lf{};
  lf.lfHeight = fontHeight(points);
  lf.lfWeight = weight;
  lf.lfCharSet = charset;
  lf.lfQuality = DEFAULT_QUALITY;
  lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
  return UniqueFont(CreateFontIndirectW(&lf));
}

UniqueFont gothicFont(double points) { return createFont(L"ＭＳ ゴシック", points, FW_NORMAL, SHIFTJIS_CHARSET); }

HFONT defaultFont() {
  // Created once and kept for the whole run, like a stock object.
  static HFONT font = createFont(L"ＭＳ Ｐゴシック", 9).release();
  return font;
}

Text windowText(HWND hwnd) {
  int length = GetWindowTextLengthW(hwnd);
  if (length <= 0) return Text();
  std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
  int got = GetWindowTextW(hwnd, buffer.data(), length + 1);
  return Text(reinterpret_cast<const char16_t*>(buffer.data()), static_cast<std::size_t>(got > 0 ? got : 0));
}

void setWindowText(HWND hwnd, const Text& text) { SetWindowTextW(hwnd, wide(text)); }

Control::~Control() {
  if (parent_) parent_->forget(this);
}

bool Control::create(Window& parent, const wchar_t* className, const wchar_t* text, DWORD style, const Placement& at,
                     HFONT font, DWORD exStyle) {
  if (hwnd_) return true;
  parent_ = &parent;
  hwnd_ = createWindow(parent.hwnd(), parent.adopt(this), className, text, style, at, font, exStyle);
  return hwnd_ != nullptr;
}

HBRUSH Control::windowBackground() const { return parent_ ? parent_->background_ : nullptr; }

bool Button::create(Window& parent, const wchar_t* caption, const Placement& at, HFONT font) {
  return Control::create(parent, L"BUTTON", caption, WS_TABSTOP | BS_PUSHBUTTON, at, font);
}

// A button's click and a notifying label's click are the same notification.
static_assert(BN_CLICKED == STN_CLICKED, "one click code for buttons and labels");

void Clickable::notify(WORD code) {
  if (code == BN_CLICKED && onClick) onClick();
}

bool Frame::create(Window& parent, const wchar_t* caption, const Placement& at, HFONT font) {
  return Control::create(parent, L"BUTTON", caption, BS_GROUPBOX, at, font);
}

void Frame::sendToBack() const {
  SetWindowPos(hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool QuitFrame::create(Window& parent, const Placement& at) {
  return frame.create(parent, L"", at) && Command1.create(parent, L"終了", inFrame(at, {120, 240, 975, 375}));
}

bool Edit::create(Window& parent, DWORD style, const Placement& at, HFONT font) {
  if (!Control::create(parent, L"EDIT", L"", WS_TABSTOP | style, at, font, WS_EX_CLIENTEDGE)) return false;
  if (style & ES_MULTILINE) tabLeavesEdit(hwnd());
  return true;
}

void Edit::removeLimit() const { SendMessageW(hwnd(), EM_SETLIMITTEXT, 0, 0); }

bool ListBox::create(Window& parent, const Placement& at, HFONT font) {
  return Control::create(parent, L"LISTBOX", L"", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, at, font,
                         WS_EX_CLIENTEDGE);
}

void ListBox::notify(WORD code) {
  if (code == LBN_SELCHANGE && onSelectionChanged) onSelectionChanged();
}

int ListBox::selection() const { return static_cast<int>(SendMessageW(hwnd(), LB_GETCURSEL, 0, 0)); }

void ListBox::select(int row) const { SendMessageW(hwnd(), LB_SETCURSEL, static_cast<WPARAM>(row), 0); }

void ListBox::setBackground(COLORREF colour) {
  background_ = colour;
  backgroundBrush_ = solidBrush(colour);
}

HBRUSH ListBox::colours(HDC dc) const {
  // The rows are drawn on the DC's background colour, the rest with the brush.
  if (backgroundBrush_) SetBkColor(dc, background_);
  return backgroundBrush_;
}

void ListBox::fill(const PageVector<TextView>& rows) const {
  HWND list = hwnd();
  // Without a list, the redraw at the end would invalidate every window.
  if (!list) return;
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  std::size_t characters = 0;
  for (TextView row : rows) characters += row.size() + 1;
  SendMessageW(list, LB_INITSTORAGE, static_cast<WPARAM>(rows.size()),
               static_cast<LPARAM>(characters * sizeof(wchar_t)));
  // The list box needs each row ended by a NUL, which a view does not promise.
  Text row;
  for (TextView view : rows) {
    row.assign(view);
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(row)));
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

bool Label::create(Window& parent, const wchar_t* caption, const Placement& at, HFONT font) {
  return Control::create(parent, L"STATIC", caption, SS_LEFT | SS_NOTIFY | SS_NOPREFIX, at, font);
}

void Label::setCaptionFitted(const Text& caption) const {
  setText(caption);
  RECT r{0, 0, 0, 0};
  {
    WindowDC dc(hwnd());
    SelectedObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd(), WM_GETFONT, 0, 0)));
    if (caption.empty()) {
      DrawTextW(dc.get(), L" ", 1, &r, DT_CALCRECT | DT_NOPREFIX);
      r.right = 0;
    } else {
      DrawTextW(dc.get(), wide(caption), static_cast<int>(caption.size()), &r,
                DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
    }
  }
  SetWindowPos(hwnd(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HBRUSH Label::colours(HDC dc) const {
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  return windowBackground();
}

namespace {

// The edit's own procedure, kept with the window. The subclass is the
// user32 kind, not comctl32's: tepo imports nothing from comctl32, so that
// the version 6 controls load with the first window that needs them and a
// tepo that only sits in the tray never holds them.
constexpr wchar_t kEditProc[] = L"tepoEditProc";

LRESULT CALLBACK tabLeavesProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  auto editProc = reinterpret_cast<WNDPROC>(GetPropW(edit, kEditProc));
  if (!editProc) return DefWindowProcW(edit, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProc));
    RemovePropW(edit, kEditProc);
    return CallWindowProcW(editProc, edit, message, wParam, lParam);
  }
  if (message == WM_KEYDOWN && wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
    // Ctrl+Tab types the tab that Tab no longer does, unless the keyboard
    // layout already made a tab character of it.
    MSG typed;
    if (!PeekMessageW(&typed, edit, WM_CHAR, WM_CHAR, PM_NOREMOVE) || typed.wParam != L'\t') {
      SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"\t"));
      return 0;
    }
  }
  LRESULT result = CallWindowProcW(editProc, edit, message, wParam, lParam);
  if (message == WM_GETDLGCODE && lParam) {
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0) {
      result &= ~static_cast<LRESULT>(DLGC_WANTTAB | DLGC_WANTALLKEYS);
    }
  }
  return result;
}

// Installed once per edit; the edit drops it when it is destroyed.
void tabLeavesEdit(HWND edit) {
  const LONG_PTR editProc = GetWindowLongPtrW(edit, GWLP_WNDPROC);
  if (!editProc || !SetPropW(edit, kEditProc, reinterpret_cast<HANDLE>(editProc))) return;
  SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&tabLeavesProc));
}

}  // namespace

}  // namespace tepo::forms
