// The pass-through window procedure installed on Form1's window.
#pragma once

#include <windows.h>

namespace tepo::Module1 {

// The procedure the window had before WindowProc; 0 until subclassWindow ran.
extern LONG_PTR prevWndProc;

void subclassWindow(HWND hWnd);
void unsubclassWindow(HWND hWnd);
LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

}  // namespace tepo::Module1
