// The notification-area icon: an object that adds it when made and removes it
// when destroyed. Its record is held with a UTF-16 tip and handed to the
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

// Form1's icon: uID 1, message, icon and tip "Click Here!", its mouse events
// coming to the owner as WM_MOUSEMOVE.
class TrayIcon {
 public:
  // Adds the icon. A failed add leaves the program running without one:
  // added() says so, the debugger output tells why, and the next taskbar
  // Explorer makes gets the icon.
  TrayIcon(HWND owner, HICON icon);
  ~TrayIcon() { remove(); }
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  bool added() const { return added_; }
  const TrayIconRecord& record() const { return record_; }

  // Whether message is Explorer's announcement of a new taskbar, which has
  // none of the old icons; the icon is added to it then.
  bool handle(UINT message);

  // Takes the icon out at once: for an end that runs no destructors.
  void remove();

 private:
  void add();

  TrayIconRecord record_;
  UINT taskbarCreated_ = 0;
  bool added_ = false;
  bool removed_ = false;
};

}  // namespace tepo
