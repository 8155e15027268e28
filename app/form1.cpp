#include "app/form1.h"

#include <shellapi.h>

#include "app/module1.h"
#include "app/resource.h"
#include "store/files.h"
#include "store/message_table.h"

namespace tepo {

namespace {

HICON loadAppIcon(int size) {
  return static_cast<HICON>(
      LoadImageW(forms::instance(), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

}  // namespace

Form1& form1() {
  static Form1 form;
  return form;
}

bool Form1::load() {
  bigIcon_.reset(loadAppIcon(GetSystemMetrics(SM_CXICON)));
  smallIcon_.reset(loadAppIcon(GetSystemMetrics(SM_CXSMICON)));
  forms::WindowDesign design;
  design.className = L"tepoForm1";
  design.caption = L"Form1";
  design.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  design.clientWidth = 200;
  design.clientHeight = 100;
  design.bigIcon = bigIcon_.get();
  design.smallIcon = smallIcon_.get();
  if (!create(design)) return false;
  Form_Load();
  return true;
}

void Form1::Form_Load() {
  mainTable().reset();
  dataRead(besideExecutable(u"tepo.dat"));
  random_.seedFromClock();
  ShowWindow(hwnd(), SW_HIDE);

  trayIcon_ = makeTrayIcon(hwnd(), smallIcon_ ? smallIcon_.get() : bigIcon_.get());
  notifyTray(NIM_ADD, trayIcon_);
  // Explorer announces a new taskbar with this message; the icon must be added again then.
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  Module1::subclassWindow(hwnd());
}

void Form1::Form_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  Module1::unsubclassWindow(hwnd());
  notifyTray(NIM_DELETE, trayIcon_);
}

void Form1::dataRead(const Text& strFile) {
  try {
    mainTable().load(strFile);
  } catch (const RuntimeError&) {
    // Silent by design: the table keeps what was read before the failure.
  }
}

void Form1::quit() {
  notifyTray(NIM_DELETE, trayIcon_);
  ExitProcess(0);
}

void Form1::mnuFind_Click() {
  // Shows the search dialog (being written).
}

void Form1::mnuMente_Click() {
  // Shows the maintenance window (being written).
}

void Form1::onTaskbarCreated() {
  if (unloaded_) return;
  // After a DPI change the icon may still be there: then modifying it is what works.
  if (!notifyTray(NIM_ADD, trayIcon_)) notifyTray(NIM_MODIFY, trayIcon_);
}

LRESULT Form1::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (taskbarCreated_ != 0 && message == taskbarCreated_) {
    onTaskbarCreated();
    return 0;
  }
  switch (message) {
    case WM_CLOSE:
      // Unloading Form1 ends the program.
      Form_Unload();
      DestroyWindow(hwnd());
      return 0;
    case WM_ENDSESSION:
      if (wParam) Form_Unload();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return defaultProc(message, wParam, lParam);
}

}  // namespace tepo
