#include "app/form1.h"

#include <shellapi.h>

#include <new>

#include "app/resource.h"
#include "files/paths.h"
#include "forms/screen.h"

namespace tepo {

namespace {

constexpr UINT_PTR kTimer1 = 1;
// Fires once the menu is up: every command but Quit and the ten-second mode
// opens a window of version 6 controls, which load meanwhile.
constexpr UINT_PTR kControlsTimer = 2;
// Fires a moment after a load, once the balloon it was for is shown.
constexpr UINT_PTR kPackTimer = 3;
constexpr UINT kPackDelay = 250;
constexpr UINT kTenSeconds = 10000;
constexpr char16_t kComplaint[] = u"なんだか調子悪いみたい...";

UniqueIcon loadAppIcon(int metric) {
  const int size = GetSystemMetrics(metric);
  return UniqueIcon(static_cast<HICON>(
      LoadImageW(forms::moduleHandle(), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

}  // namespace

Form1::~Form1() {
  // Its windows close and its icon goes before the window itself.
  Form_Unload();
}

bool Form1::load() {
  bigIcon_ = loadAppIcon(SM_CXICON);
  smallIcon_ = loadAppIcon(SM_CXSMICON);
  forms::WindowDesign design;
  design.className = L"tepoForm1";
  design.caption = L"Form1";
  design.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  design.clientWidth = 200;
  design.clientHeight = 100;
  design.bigIcon = bigIcon_.get();
  design.smallIcon = smallIcon_.get();
  if (!create(design)) return false;
  menu0_.reset(CreatePopupMenu());
  addMenuItem(menu0_.get(), L"検索", [this] { mnuFind_Click(); });
  addMenuItem(menu0_.get(), L"データメンテナンス", [this] { mnuMente_Click(); });
  mnuTenmin_ = addMenuItem(menu0_.get(), L"10秒モード", [this] { mnuTenmin_Click(); });
  addMenuItem(menu0_.get(), L"Quit", [this] { quit_Click(); });
  Form_Load();
  return true;
}

void Form1::Form_Load() {
  // Beside the program, wherever it was started from.
  dataRead(besideExecutable(u"tepo.dat"));
  random_.seedFromClock();
  ShowWindow(hwnd(), SW_HIDE);

  trayIcon_ = std::make_unique<TrayIcon>(hwnd(), smallIcon_ ? smallIcon_.get() : bigIcon_.get());
  module1_ = std::make_unique<Module1::Subclass>(hwnd());
}

void Form1::Form_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  module1_.reset();
  trayIcon_.reset();
  frmMsg_.destroy();
  frmSearch_.destroy();
  frmMente_.destroy();
}

void Form1::dataRead(const Text& strFile) {
  // A new table: a search dialog may still show the old one's messages.
  auto table = std::make_shared<MessageTable>();
  try {
    table->load(strFile, ops_);
  } catch (const RuntimeError&) {
    // Silent by design: the table keeps what was read before the failure.
  }
  table_ = std::move(table);
  packLater();
}

void Form1::packLater() {
  if (hwnd()) {
    SetTimer(hwnd(), kPackTimer, kPackDelay, nullptr);
  } else {
    table_->pack();
  }
}

std::shared_ptr<const MessageTable> Form1::currentMessages() {
  // Messages added in Notepad meanwhile come in without a restart.
  if (std::unique_ptr<MessageTable> fresh = table_->reloaded(ops_)) {
    table_ = std::move(fresh);
    packLater();
  }
  return table_;
}

void Form1::quit_Click() {
  if (!frmMente_.queryUnload()) return;
  // No destructor runs after this: the icon goes first.
  if (trayIcon_) trayIcon_->remove();
  ExitProcess(0);
}

void Form1::Form_MouseMove(int x) {
  switch (x) {
    case WM_LBUTTONUP:
      readCursor();
      showMessage();
      break;
    case WM_RBUTTONDOWN:
      readCursor();
      frmMsg_.windowClose();
      Popmenu();
      break;
    default:
      // Moves, the left press, double clicks and the right release do nothing.
      break;
  }
}

void Form1::readCursor() {
  POINT p{0, 0};
  GetCursorPos(&p);
  volatile float x = forms::twipsPerPixelX() * static_cast<float>(p.x);
  volatile float y = forms::twipsPerPixelY() * static_cast<float>(p.y);
  mx = roundToInt32(x);
  my = roundToInt32(y);
}

void Form1::showMessage() {
  Text cause;
  try {
    std::shared_ptr<const MessageTable> messages = currentMessages();
    int16_t index = pickIndex(random_.next(), messages->count());
    frmMsg_.showMessage(Text(messages->at(index)), mx);
    return;
  } catch (const RuntimeError& e) {
    cause = e.description();
  } catch (const std::bad_alloc&) {
    cause = describe(ErrorCode::OutOfMemory);
  } catch (...) {
    // Whatever else went wrong, the user is told rather than left with nothing.
    cause = describe(ErrorCode::Internal);
  }
  frmMsg_.showMessage(kComplaint + cause, mx);
}

void Form1::Popmenu() {
  SetForegroundWindow(hwnd());
  // Let what is pending run once before the menu takes over.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (forms::translateDialogMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  POINT at{0, 0};
  GetCursorPos(&at);
  // A timer comes after the menu's first paint, so the menu shows at once.
  if (!controlsLoaded_) SetTimer(hwnd(), kControlsTimer, USER_TIMER_MINIMUM, nullptr);
  UINT id = static_cast<UINT>(
      TrackPopupMenu(menu0_.get(), TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, hwnd(), nullptr));
  // Without this the menu would not close when the user clicks elsewhere.
  PostMessageW(hwnd(), WM_NULL, 0, 0);
  runMenuCommand(id);
}

void Form1::loadControls() {
  KillTimer(hwnd(), kControlsTimer);
  if (controlsLoaded_) return;
  // The manifest makes this the version 6 controls; they stay loaded, as
  // the system keeps them once a window has used them.
  controlsLoaded_ = LoadLibraryW(L"comctl32.dll") != nullptr;
}

void Form1::mnuTenmin_Click() {
  const bool nowChecked = (GetMenuState(menu0_.get(), mnuTenmin_, MF_BYCOMMAND) & MF_CHECKED) == 0;
  CheckMenuItem(menu0_.get(), mnuTenmin_, MF_BYCOMMAND | (nowChecked ? MF_CHECKED : MF_UNCHECKED));
  // Timer1's Enabled follows the check mark, then its Interval is set: both at every click.
  timer1Enabled_ = nowChecked;
  timer1Interval_ = kTenSeconds;
  applyTimer1();
}

void Form1::applyTimer1() {
  // A timer with interval 0 never fires.
  if (timer1Enabled_ && timer1Interval_ > 0) {
    SetTimer(hwnd(), kTimer1, timer1Interval_, nullptr);
  } else {
    KillTimer(hwnd(), kTimer1);
  }
}

void Form1::Timer1_Timer() { showMessage(); }

void Form1::mnuFind_Click() {
  // Modeless and unowned; an open dialog keeps what it shows.
  frmSearch_.show([this] { return currentMessages(); });
}

void Form1::mnuMente_Click() {
  // A save there changes the file: the icon's messages follow it at once.
  frmMente_.show(hwnd(), table_->file().path, ops_, [this](const Text& savedFile) { dataRead(savedFile); });
}

LRESULT Form1::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (trayIcon_ && trayIcon_->handle(message)) return 0;
  // A failure that escapes a handler ends only that message: the window
  // procedure of every window traps it.
  switch (message) {
    case WM_MOUSEMOVE:
      Form_MouseMove(static_cast<short>(LOWORD(lParam)));
      return 0;
    case WM_TIMER:
      if (wParam == kTimer1) Timer1_Timer();
      if (wParam == kControlsTimer) loadControls();
      if (wParam == kPackTimer) {
        KillTimer(hwnd(), kPackTimer);
        table_->pack();
      }
      return 0;
    case WM_CLOSE:
      // Unloading Form1 ends the program: not before unsaved edits are asked about.
      if (!frmMente_.queryUnload()) return 0;
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
  return Window::handleMessage(message, wParam, lParam);
}

}  // namespace tepo
