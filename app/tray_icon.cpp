#include "app/tray_icon.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "encodings/ansi.h"

namespace tepo {

static_assert(sizeof(void*) != 4 || sizeof(NotifyIconDataV1A) == kTrayRecordSize,
              "the first NOTIFYICONDATA form is 88 bytes");

namespace {

TrayIconRecord makeTrayIcon(HWND form, HICON icon) {
  TrayIconRecord r;
  r.cbSize = kTrayRecordSize;
  r.hWnd = form;
  r.uID = 1;
  r.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  r.uCallbackMessage = WM_MOUSEMOVE;
  r.hIcon = icon;
  // "Click Here!", a NUL that ends it for the shell, then spaces to 64.
  const Text tip = u"Click Here!";
  std::fill(std::begin(r.szTip), std::end(r.szTip), u' ');
  std::copy(tip.begin(), tip.end(), r.szTip);
  r.szTip[tip.size()] = u'\0';
  return r;
}

bool notifyTray(DWORD message, TrayIconRecord& record) {
  NotifyIconDataV1A data{};
  data.cbSize = sizeof(NotifyIconDataV1A);
  data.hWnd = record.hWnd;
  data.uID = record.uID;
  data.uFlags = record.uFlags;
  data.uCallbackMessage = record.uCallbackMessage;
  data.hIcon = record.hIcon;
  std::string tip = ansi::encode(Text(record.szTip, 64));
  tip.resize(sizeof(data.szTip), ' ');
  std::memcpy(data.szTip, tip.data(), sizeof(data.szTip));

  bool ok = Shell_NotifyIconA(message, reinterpret_cast<NOTIFYICONDATAA*>(&data)) != FALSE;

  record.hWnd = data.hWnd;
  record.uID = data.uID;
  record.uFlags = data.uFlags;
  record.uCallbackMessage = data.uCallbackMessage;
  record.hIcon = data.hIcon;
  Text back = ansi::decode(data.szTip, sizeof(data.szTip));
  back.resize(64, u' ');
  std::copy(back.begin(), back.begin() + 64, record.szTip);
  return ok;
}

}  // namespace

TrayIcon::TrayIcon(HWND owner, HICON icon)
    : record_(makeTrayIcon(owner, icon)), taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {
  add();
}

void TrayIcon::add() {
  // After a DPI change the icon may still be there: then modifying it is what works.
  added_ = notifyTray(NIM_ADD, record_) || notifyTray(NIM_MODIFY, record_);
  if (!added_) OutputDebugStringW(L"tepo: the notification icon could not be added; it comes with the next taskbar\n");
}

bool TrayIcon::handle(UINT message) {
  if (taskbarCreated_ == 0 || message != taskbarCreated_) return false;
  if (!removed_) add();
  return true;
}

void TrayIcon::remove() {
  if (removed_) return;
  removed_ = true;
  notifyTray(NIM_DELETE, record_);
}

}  // namespace tepo
