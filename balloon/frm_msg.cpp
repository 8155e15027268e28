#include "balloon/frm_msg.h"

#include "balloon/geometry.h"
#include "balloon/measure.h"
#include "forms/controls.h"
#include "forms/screen.h"
#include "platform/win32.h"

namespace tepo {

namespace {

constexpr COLORREF kPaleYellow = 0x00C0FFFF;

HFONT balloonFont() {
  // One font for every balloon of the run: no GDI churn per message.
  static HFONT font = forms::gothicFont(8.25).release();
  return font;
}

}  // namespace

void frmMsg::windowClose() { destroy(); }

void frmMsg::showMessage(const Text& text, int32_t mx) {
  lineCnt = measureWidth(text);
  crCnt = add16(countBreaks(text), 1);
  windowClose();
  try {
    load(mx);
    setCaption(text);
  } catch (...) {
    windowClose();
    throw;
  }
  ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
  // Shown without the focus, the balloon would go unheard: screen readers
  // read out an alert, the message label with it.
  NotifyWinEvent(EVENT_SYSTEM_ALERT, hwnd(), OBJID_CLIENT, CHILDID_SELF);
}

void frmMsg::load(int32_t mx) {
  forms::WindowDesign design;
  design.className = L"tepoBalloon";
  design.caption = L"";
  design.style = WS_POPUP;
  // No taskbar button, and never activated: the user keeps typing where they were.
  design.exStyle = WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
  design.clientWidth = forms::twipsToPixelsX(3780);
  design.clientHeight = forms::twipsToPixelsY(1035);
  design.x = 0;
  design.y = 0;
  design.background = kPaleYellow;
  if (!create(design)) raise(ErrorCode::OutOfMemory);
  if (!lblDescription_.create(*this, L"Description", {120, 120, 990, 165}, balloonFont())) {
    raise(ErrorCode::OutOfMemory);
  }
  lblDescription_.onClick = [this] { lblDescription_Click(); };
  Form_Load(mx);
}

void frmMsg::Form_Load(int32_t mx) {
  BalloonInput in{lineCnt,
                  crCnt,
                  mx,
                  forms::twipsPerPixelX(),
                  forms::twipsPerPixelY(),
                  forms::screenWidthTwips(),
                  forms::screenHeightTwips()};
  BalloonGeometry g = balloonGeometry(in);
  SetWindowPos(hwnd(), nullptr, g.pixelLeft, g.pixelTop, g.pixelWidth, g.pixelHeight, SWP_NOZORDER | SWP_NOACTIVATE);

  // Start empty, add the rounded body, cut the tail in by exclusive-or.
  UniqueRegion rgnBalloon(CreateRectRgn(0, 0, 0, 0));
  UniqueRegion rgnPart(CreateRoundRectRgn(0, 0, g.bodyRight, g.bodyBottom, kBalloonCorner, kBalloonCorner));
  CombineRgn(rgnBalloon.get(), rgnBalloon.get(), rgnPart.get(), RGN_OR);
  POINT points[3];
  for (int i = 0; i < 3; ++i) points[i] = POINT{g.tail[i].x, g.tail[i].y};
  rgnPart.reset(CreatePolygonRgn(points, 3, ALTERNATE));
  CombineRgn(rgnBalloon.get(), rgnBalloon.get(), rgnPart.get(), RGN_XOR);
  // From here on the region belongs to the window.
  if (SetWindowRgn(hwnd(), rgnBalloon.get(), TRUE)) rgnBalloon.release();
  rgnPart.reset();

  SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void frmMsg::setCaption(const Text& text) {
  // The label follows its caption, as many lines as it has.
  lblDescription_.setCaptionFitted(text);
}

void frmMsg::Form_Click() { windowClose(); }

void frmMsg::lblDescription_Click() { windowClose(); }

LRESULT frmMsg::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_LBUTTONUP:
      Form_Click();
      return 0;
  }
  return Window::handleMessage(message, wParam, lParam);
}

}  // namespace tepo
