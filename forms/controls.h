// The standard controls the windows are built from, placed in twips. Each is
// made from its design and owns its events; its window destroys it with itself.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "runtime/pages.h"
#include "runtime/runtime.h"

namespace tepo::forms {

class Window;

struct Placement {
  double left, top, width, height;  // twips, relative to the window's client area
};

// A control drawn in a frame is the frame's sibling: its place in the frame,
// in twips from the frame's corner, becomes a place in the window.
Placement inFrame(const Placement& frame, const Placement& at);

// A font by name and points; charset 128 is Shift-JIS.
UniqueFont createFont(const wchar_t* face, double points, int weight = FW_NORMAL, BYTE charset = SHIFTJIS_CHARSET);

// "ＭＳ ゴシック" of normal weight in Shift-JIS, the font messages are shown in.
UniqueFont gothicFont(double points);

// The font for controls that set none of their own.
HFONT defaultFont();

Text windowText(HWND hwnd);
void setWindowText(HWND hwnd, const Text& text);

// One standard control of a window. Its window routes the control's
// notifications to it; the object lives as long as the window's object.
class Control {
 public:
  Control() = default;
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  Text text() const { return windowText(hwnd_); }
  void setText(const Text& text) const { setWindowText(hwnd_, text); }

 protected:
  // Only the forms layer speaks to the control's window.
  HWND hwnd() const { return hwnd_; }
  // Creates the control in its place; false if the system refused.
  bool create(Window& parent, const wchar_t* className, const wchar_t* text, DWORD style, const Placement& at,
              HFONT font, DWORD exStyle = 0);
  // The brush its window paints its own background with.
  HBRUSH windowBackground() const;

 private:
  friend class Window;
  // A notification from the control (BN_CLICKED, LBN_SELCHANGE, ...).
  virtual void notify(WORD) {}
  // Asked for its colours (WM_CTLCOLOR...): sets the DC's and gives the brush
  // to fill with, or null for the system's.
  virtual HBRUSH colours(HDC) const { return nullptr; }

  Window* parent_ = nullptr;
  HWND hwnd_ = nullptr;
};

// A control that tells its window when it is clicked.
class Clickable : public Control {
 public:
  std::function<void()> onClick;

 private:
  void notify(WORD code) override;
};

class Button : public Clickable {
 public:
  bool create(Window& parent, const wchar_t* caption, const Placement& at, HFONT font = defaultFont());
};

// A frame (a group box) goes beneath the controls drawn in it, which it would
// hide otherwise; it takes no tab stop, so the tab order stays as created.
class Frame : public Control {
 public:
  bool create(Window& parent, const wchar_t* caption, const Placement& at, HFONT font = defaultFont());
  // Once the controls drawn in it exist.
  void sendToBack() const;
};

// The frame with 終了 that the dialogs draw at their bottom left.
class QuitFrame {
 public:
  Frame frame;
  Button Command1;
  bool create(Window& parent, const Placement& at);
};

class Edit : public Control {
 public:
  // A multi-line edit lets Tab and Shift+Tab walk on to the next or previous
  // control, as everywhere else in the window, and Ctrl+Tab types a tab.
  bool create(Window& parent, DWORD style, const Placement& at, HFONT font = defaultFont());
  // Takes away the system's limit on the text (30000 characters by default).
  void removeLimit() const;
};

class ListBox : public Control {
 public:
  std::function<void()> onSelectionChanged;
  bool create(Window& parent, const Placement& at, HFONT font = defaultFont());
  // Replaces every row, drawing once at the end: many rows fill quickly.
  void fill(const PageVector<TextView>& rows) const;
  int selection() const;  // -1 when none
  void select(int row) const;
  // Rows and the space below them on this colour instead of the system's.
  void setBackground(COLORREF colour);

 private:
  void notify(WORD code) override;
  HBRUSH colours(HDC dc) const override;

  COLORREF background_ = 0;
  HBRUSH backgroundBrush_ = nullptr;
};

// A label that reports its clicks. It is transparent: its window's
// background shows through, behind the text too.
class Label : public Clickable {
 public:
  bool create(Window& parent, const wchar_t* caption, const Placement& at, HFONT font = defaultFont());
  // Shows the caption and takes the size it needs in the label's font, as
  // many lines as it has; an empty caption keeps the height of one line.
  void setCaptionFitted(const Text& caption) const;

 private:
  HBRUSH colours(HDC dc) const override;
};

}  // namespace tepo::forms
