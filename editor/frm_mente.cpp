#include "editor/frm_mente.h"

#include <new>
#include <string>

#include "editor/mente_texts.h"
#include "forms/controls.h"
#include "forms/msgbox.h"
#include "forms/screen.h"
#include "runtime/pages.h"

namespace tepo {

using namespace mente;

namespace {

constexpr wchar_t kClassName[] = L"tepoFrmMente";
constexpr wchar_t kCaption[] = L"tepoデータメンテナンス";

// Posted to itself when a sign-out was held up for unsaved edits.
constexpr UINT kAskAfterSessionEnd = WM_APP + 1;

// The design, in twips; a control in a frame is placed from the frame's corner.
constexpr double kClientWidth = 7830;
constexpr double kClientHeight = 5970;
constexpr forms::Placement kList1At{0, 0, 7815, 2580};
constexpr forms::Placement kFrame1At{4440, 5160, 3375, 735};
constexpr forms::Placement kText1At{0, 2640, 7815, 2415};
constexpr forms::Placement kFrame2At{120, 5160, 1215, 735};

}  // namespace

void frmMente::show(HWND owner, const Text& messageFile, FileOps& ops, SavedHandler saved) {
  ops_ = &ops;
  saved_ = std::move(saved);
  if (!isOpen()) {
    forms::WindowDesign design;
    design.className = kClassName;
    design.caption = kCaption;
    // A fixed dialog frame: no sizing border, no minimize or maximize box.
    // No WS_CLIPCHILDREN: the frames paint no background of their own, so the
    // window must paint it behind them.
    design.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    design.exStyle = WS_EX_DLGMODALFRAME;
    design.clientWidth = forms::twipsToPixelsX(kClientWidth);
    design.clientHeight = forms::twipsToPixelsY(kClientHeight);
    // The program's icon, which the owner has and keeps while this window is open.
    design.bigIcon = reinterpret_cast<HICON>(SendMessageW(owner, WM_GETICON, ICON_BIG, 0));
    design.smallIcon = reinterpret_cast<HICON>(SendMessageW(owner, WM_GETICON, ICON_SMALL, 0));
    // Owned by the hidden main window: that keeps it off the taskbar while it
    // still has the caption and frame of a dialog.
    design.owner = owner;
    UniqueMenu menuBar = createMenuBar();
    if (!menuBar || !create(design, std::move(menuBar))) return;
    if (!createControls()) {
      destroy();
      return;
    }
    forms::addDialogNavigation(hwnd());
    // The file its owner gives, which the load reads.
    mente_.reset(messageFile);
    Form_Load();
    if (!isOpen()) return;
  }
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  SetForegroundWindow(hwnd());
}

UniqueMenu frmMente::createMenuBar() {
  UniqueMenu bar(CreateMenu());
  UniqueMenu file(CreatePopupMenu());
  if (!bar || !file) return UniqueMenu();
  addMenuItem(file.get(), L"開く(&O)", [this] { mnuOpen_Click(); });
  addMenuItem(file.get(), L"保存(&S)", [this] { mnuSave_Click(); });
  addMenuItem(file.get(), L"終了(&Q)", [this] { mnuQuit_Click(); });
  // The bar owns the popup from here on and destroys it with itself.
  if (!AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(file.get()), L"FILE(&F)")) return UniqueMenu();
  file.release();
  return bar;
}

bool frmMente::createControls() {
  text1Font_ = forms::gothicFont(9);
  // Created in tab order, since the dialog manager tabs through the controls in
  // the order of the windows. Controls drawn in a frame are its siblings.
  if (!List1_.create(*this, kList1At) || !Frame1_.create(*this, L"", kFrame1At) ||
      !btnAdd_.create(*this, L"追加", forms::inFrame(kFrame1At, {120, 240, 975, 375})) ||
      !btnUpdate_.create(*this, L"修正", forms::inFrame(kFrame1At, {1200, 240, 975, 375})) ||
      !btnDelete_.create(*this, L"削除", forms::inFrame(kFrame1At, {2280, 240, 975, 375})) ||
      !text1_.create(*this, WS_VSCROLL | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL, kText1At, text1Font_.get()) ||
      !Frame2_.create(*this, kFrame2At)) {
    return false;
  }
  List1_.onSelectionChanged = [this] { List1_Click(); };
  btnAdd_.onClick = [this] { btnAdd_Click(); };
  btnUpdate_.onClick = [this] { btnUpdate_Click(); };
  btnDelete_.onClick = [this] { btnDelete_Click(); };
  Frame2_.Command1.onClick = [this] { Command1_Click(); };

  Frame1_.sendToBack();
  Frame2_.frame.sendToBack();
  keepFocus(List1_);
  // No limit of its own: a long message from the file can be edited whole.
  text1_.removeLimit();
  return true;
}

void frmMente::Form_Load() {
  dataRead(path());
  setList();
}

void frmMente::dataRead(const Text& strFile) {
  try {
    mente_.load(strFile, *ops_);
  } catch (const RuntimeError&) {
    // The table keeps what was read before the failure; the reader has closed the file.
    forms::report(hwnd(), kReadFailed);
  }
}

void frmMente::setList() {
  // Nothing to fill once the window is gone.
  if (!isOpen()) return;
  // One row per slot 0 .. U - 1: the spare slot at U is not shown.
  PageVector<TextView> rows;
  rows.reserve(static_cast<std::size_t>(mente_.upperBound()));
  for (int slot = 0; slot < mente_.upperBound(); ++slot) rows.push_back(mente_.rows().text(slot));
  List1_.fill(rows);
}

LRESULT frmMente::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      // The close box and Alt+F4.
      if (queryUnload()) destroy();
      return 0;
    case WM_QUERYENDSESSION:
      if (!mente_.modified()) return TRUE;
      // Signing out would throw the edits away, and no question can wait for
      // an answer now: Windows shows the user why tepo holds it up, and the
      // question comes once they are back. Signing out anyway loses them.
      ShutdownBlockReasonCreate(hwnd(), kEditsUnsaved);
      // One question, however often Windows asks meanwhile.
      if (!sessionEndAsked_) PostMessageW(hwnd(), kAskAfterSessionEnd, 0, 0);
      sessionEndAsked_ = true;
      return FALSE;
    case kAskAfterSessionEnd: {
      const bool mayClose = queryUnload();
      sessionEndAsked_ = false;
      ShutdownBlockReasonDestroy(hwnd());
      if (mayClose) destroy();
      return 0;
    }
  }
  return Window::handleMessage(message, wParam, lParam);
}

void frmMente::selectRow(int row) {
  List1_.select(row);
  List1_Click();
}

bool frmMente::checkMessageRow(int row) {
  if (mente_.isMessageRow(row)) return true;
  forms::report(hwnd(), row < 0 ? kNoRow : kBlankRow);
  return false;
}

void frmMente::List1_Click() {
  int row = List1_.selection();
  if (row < 0 || row > mente_.upperBound()) return;
  text1_.setText(Text(mente_.rows().text(row)));
}

void frmMente::btnAdd_Click() {
  // Refused before the question: an OK that cannot be carried out would mislead.
  if (mente_.isFull()) {
    forms::report(hwnd(), kFull);
    return;
  }
  if (!forms::confirm(hwnd(), kAskAdd)) return;
  int row;
  try {
    row = mente_.add(text1_.text());
  } catch (const RuntimeError&) {
    forms::report(hwnd(), kFull);
    return;
  }
  setList();
  selectRow(row);
  forms::report(hwnd(), kAdded);
}

void frmMente::btnUpdate_Click() {
  int row = List1_.selection();
  if (!checkMessageRow(row)) return;
  if (!forms::confirm(hwnd(), kAskUpdate)) return;
  mente_.update(row, text1_.text());
  setList();
  selectRow(row);
  forms::report(hwnd(), kUpdated);
}

void frmMente::btnDelete_Click() {
  int row = List1_.selection();
  if (!checkMessageRow(row)) return;
  if (!forms::confirm(hwnd(), kAskDelete)) return;
  int next = mente_.remove(row);
  setList();
  selectRow(next);
  forms::report(hwnd(), kDeleted);
}

void frmMente::Command1_Click() {
  if (queryUnload()) destroy();
}

void frmMente::mnuOpen_Click() {
  if (queryUnload()) Form_Load();
}

void frmMente::mnuQuit_Click() {
  if (queryUnload()) destroy();
}

void frmMente::onDestroyed() {
  // Unloaded: the next opening reads the file again.
  mente_.reset();
  text1Font_.reset();
  // The list box's rows went with it.
  giveBackFreedHeapPages();
}

}  // namespace tepo
