// The standard controls the windows are built from, placed in twips.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32.h"
#include "runtime/runtime.h"

namespace tepo::forms {

struct Placement {
  double left, top, width, height;  // twips, relative to the window's client area
};

// A control drawn in a frame is the frame's sibling: its place in the frame,
// in twips from the frame's corner, becomes a place in the window.
Placement inFrame(const Placement& frame, const Placement& at);

// Frames go beneath the controls drawn in them, which they would hide
// otherwise; they take no tab stop, so the tab order stays as created.
void sendToBack(HWND frame);

HWND createControl(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int id, const Placement& at,
                   HFONT font, DWORD exStyle = 0);

// A font by name and points; charset 128 is Shift-JIS.
UniqueFont createFont(const wchar_t* face, double points, int weight = FW_NORMAL, BYTE charset = SHIFTJIS_CHARSET);

// "ＭＳ ゴシック" of normal weight in Shift-JIS, the font messages are shown in.
UniqueFont gothicFont(double points);

// The font for controls that set none of their own.
HFONT defaultFont();

Text windowText(HWND hwnd);
void setWindowText(HWND hwnd, const Text& text);

// List boxes.
void listClear(HWND list);
void listAdd(HWND list, const Text& text);
int listSelection(HWND list);  // -1 when none
void listSelect(HWND list, int row);
// Replaces every row, drawing once at the end: many rows fill quickly.
void listFill(HWND list, const std::vector<TextView>& rows);

// A multi-line edit takes Tab for itself; in a window with dialog navigation
// this makes Tab and Shift+Tab move to the next or previous control instead,
// and Ctrl+Tab type a tab.
void tabLeavesEdit(HWND edit);

}  // namespace tepo::forms
