#include "search/frm_search.h"

#include "forms/controls.h"
#include "forms/msgbox.h"
#include "forms/screen.h"

namespace tepo {

namespace {

constexpr COLORREF kListBackground = RGB(255, 255, 192);

// Client area in twips.
constexpr double kClientWidth = 7815;
constexpr double kClientHeight = 6960;

// Where the frames stand; their controls are placed relative to them.
constexpr forms::Placement kFrame1At{0, 0, 7815, 975};
constexpr forms::Placement kFrame4At{120, 6120, 1215, 735};

}  // namespace

frmSearch& frmSearch::instance() {
  static frmSearch form;
  return form;
}

bool frmSearch::show(Messages messages) {
  messages_ = std::move(messages);
  if (!isOpen() && !createWindow()) return false;
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
  restoreFocus();
  return true;
}

bool frmSearch::createWindow() {
  forms::WindowDesign design;
  design.className = L"tepoSearch";
  design.caption = L"検索";
  // A fixed tool window: small caption with a close box, no icon, no taskbar button.
  // No WS_CLIPCHILDREN: the frames draw no background of their own, the window does it.
  design.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  design.exStyle = WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE;
  design.clientWidth = forms::twipsToPixelsX(kClientWidth);
  design.clientHeight = forms::twipsToPixelsY(kClientHeight);
  if (!create(design)) return false;
  if (!createControls()) {
    destroy();
    return false;
  }
  forms::addDialogNavigation(hwnd());
  return true;
}

bool frmSearch::createControls() {
  listBrush_.reset(CreateSolidBrush(kListBackground));
  text2Font_ = forms::gothicFont(9);
  if (!listBrush_ || !text2Font_) return false;
  HFONT font = forms::defaultFont();
  HWND w = hwnd();

  // Created in tab order, which is also the order Tab walks.
  Frame1_ = forms::createControl(w, L"BUTTON", L"何をお探しですか？", BS_GROUPBOX, kFrame1, kFrame1At, font);
  text1_ = forms::createControl(w, L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP, kText1,
                                forms::inFrame(kFrame1At, {120, 360, 6495, 375}), font, WS_EX_CLIENTEDGE);
  cmdSearch_ = forms::createControl(w, L"BUTTON", L"を検索！", BS_PUSHBUTTON | WS_TABSTOP, kCmdSearch,
                                    forms::inFrame(kFrame1At, {6720, 360, 975, 375}), font);
  onCommand(kCmdSearch, BN_CLICKED, [this] { cmdSearch_Click(); });
  Frame4_ = forms::createControl(w, L"BUTTON", L"", BS_GROUPBOX, kFrame4, kFrame4At, font);
  Command1_ = forms::createControl(w, L"BUTTON", L"終了", BS_PUSHBUTTON | WS_TABSTOP, kCommand1,
                                   forms::inFrame(kFrame4At, {120, 240, 975, 375}), font);
  onCommand(kCommand1, BN_CLICKED, [this] { Command1_Click(); });
  List1_ = forms::createControl(w, L"LISTBOX", L"", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP, kList1,
                                {0, 1080, 7815, 1500}, font, WS_EX_CLIENTEDGE);
  onCommand(kList1, LBN_SELCHANGE, [this] { List1_Click(); });
  Text2_ =
      forms::createControl(w, L"EDIT", L"", ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP,
                           kText2, {0, 2640, 7815, 3135}, text2Font_.get(), WS_EX_CLIENTEDGE);
  if (!Frame1_ || !text1_ || !cmdSearch_ || !Frame4_ || !Command1_ || !List1_ || !Text2_) return false;

  // Tab leaves the detail box as it leaves every other control.
  forms::tabLeavesEdit(Text2_);
  forms::sendToBack(Frame1_);
  forms::sendToBack(Frame4_);
  keepFocus(text1_);
  return true;
}

LRESULT frmSearch::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CTLCOLORLISTBOX:
      if (reinterpret_cast<HWND>(lParam) == List1_ && listBrush_) {
        SetBkColor(reinterpret_cast<HDC>(wParam), kListBackground);
        return reinterpret_cast<LRESULT>(listBrush_.get());
      }
      break;
  }
  return Window::handleMessage(message, wParam, lParam);
}

void frmSearch::onDestroyed() {
  Frame1_ = text1_ = cmdSearch_ = List1_ = Text2_ = Frame4_ = Command1_ = nullptr;
  listBrush_.reset();
  text2Font_.reset();
  hits_ = SearchHits();
  msgList_.reset();
}

void frmSearch::cmdSearch_Click() {
  const Text searchText = forms::windowText(text1_);
  msgList_ = messages_();
  const std::vector<TextView>& msgList = msgList_->list();
  hits_ = findHits(msgList, searchText);

  // The rows give way to the hits, in table order.
  std::vector<TextView> rows;
  rows.reserve(static_cast<std::size_t>(hits_.hitCount));
  for (int k = 0; k < hits_.hitCount; ++k) rows.push_back(msgList[static_cast<std::size_t>(hits_.hitList[k])]);
  forms::listFill(List1_, rows);

  forms::report(hwnd(), hitReport(hits_.hitCount));
}

void frmSearch::List1_Click() {
  const int row = forms::listSelection(List1_);
  if (row < 0 || !msgList_) return;
  forms::setWindowText(Text2_, hitDetail(hits_, row, msgList_->list()));
}

void frmSearch::Command1_Click() { destroy(); }

}  // namespace tepo
