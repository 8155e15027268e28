#include "search/frm_search.h"

#include "forms/controls.h"
#include "forms/msgbox.h"
#include "forms/screen.h"
#include "messages/text_arena.h"
#include "runtime/pages.h"

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
  text2Font_ = forms::gothicFont(9);
  if (!text2Font_) return false;

  // Created in tab order, which is also the order Tab walks.
  if (!Frame1_.create(*this, L"何をお探しですか？", kFrame1At) ||
      !text1_.create(*this, ES_AUTOHSCROLL, forms::inFrame(kFrame1At, {120, 360, 6495, 375})) ||
      !cmdSearch_.create(*this, L"を検索！", forms::inFrame(kFrame1At, {6720, 360, 975, 375})) ||
      !Frame4_.create(*this, kFrame4At) || !List1_.create(*this, {0, 1080, 7815, 1500}) ||
      !Text2_.create(*this, ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL, {0, 2640, 7815, 3135},
                     text2Font_.get())) {
    return false;
  }
  cmdSearch_.onClick = [this] { cmdSearch_Click(); };
  Frame4_.Command1.onClick = [this] { Command1_Click(); };
  List1_.onSelectionChanged = [this] { List1_Click(); };
  List1_.setBackground(kListBackground);

  Frame1_.sendToBack();
  Frame4_.frame.sendToBack();
  keepFocus(text1_);
  return true;
}

void frmSearch::onDestroyed() {
  text2Font_.reset();
  hits_ = SearchHits();
  msgList_.reset();
  // The list box's rows went with it.
  giveBackFreedHeapPages();
}

void frmSearch::cmdSearch_Click() {
  const Text searchText = text1_.text();
  msgList_ = messages_();
  hits_ = findHits(*msgList_, searchText);

  // The rows give way to the hits, in table order; the list keeps its own
  // copies, so theirs go once it is filled.
  TextArena texts;
  PageVector<TextView> rows;
  rows.reserve(static_cast<std::size_t>(hits_.hitCount));
  Text message;
  for (int k = 0; k < hits_.hitCount; ++k) {
    msgList_->textInto(hits_.hitList[static_cast<std::size_t>(k)], message);
    rows.push_back(texts.store(message));
  }
  List1_.fill(rows);

  forms::report(hwnd(), hitReport(hits_.hitCount));
}

void frmSearch::List1_Click() {
  const int row = List1_.selection();
  if (row < 0 || !msgList_) return;
  Text2_.setText(hitDetail(hits_, row, *msgList_));
}

void frmSearch::Command1_Click() { destroy(); }

}  // namespace tepo
