// The notification-area icon's record: held with a UTF-16 tip, handed to the
// shell in the first, 88-byte ANSI form of NOTIFYICONDATA.
#pragma once

#include <windows.h>

#include <cstdint>

namespace tepo {

struct TrayIconRecord {
  uint32_t cbSize = 0;
  HWND hWnd = nullptr;
  uint32_t uID = 0;
  uint32_t uFlags = 0;
  uint32_t uCallbackMessage = 0;
  HICON hIcon = nullptr;
  char16_t szTip[64] = {};
};

// The 88-byte layout the shell reads (on a 32-bit build).
struct NotifyIconDataV1A {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  HICON hIcon;
  CHAR szTip[64];
};

constexpr uint32_t kTrayRecordSize = 88;

// The record for Form1: uID 1, message, icon and tip, callback WM_MOUSEMOVE.
TrayIconRecord makeTrayIcon(HWND form, HICON icon);

// Converts, calls Shell_NotifyIconA and converts back; the shell's result.
bool notifyTray(DWORD message, TrayIconRecord& record);

}  // namespace tepo
