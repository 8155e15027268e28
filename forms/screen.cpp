#include "forms/screen.h"

#include <cmath>

#include "platform/win32.h"

namespace tepo::forms {

namespace {

int dpi(int index) {
  WindowDC screen(nullptr);
  int value = screen ? GetDeviceCaps(screen.get(), index) : 96;
  return value > 0 ? value : 96;
}

}  // namespace

float twipsPerPixelX() { return 1440.0f / static_cast<float>(dpi(LOGPIXELSX)); }
float twipsPerPixelY() { return 1440.0f / static_cast<float>(dpi(LOGPIXELSY)); }

float screenWidthTwips() { return static_cast<float>(GetSystemMetrics(SM_CXSCREEN)) * twipsPerPixelX(); }
float screenHeightTwips() { return static_cast<float>(GetSystemMetrics(SM_CYSCREEN)) * twipsPerPixelY(); }

int twipsToPixelsX(double twips) { return static_cast<int>(std::lround(twips / twipsPerPixelX())); }
int twipsToPixelsY(double twips) { return static_cast<int>(std::lround(twips / twipsPerPixelY())); }

RECT twipsRect(double left, double top, double width, double height) {
  RECT r;
  r.left = twipsToPixelsX(left);
  r.top = twipsToPixelsY(top);
  r.right = r.left + twipsToPixelsX(width);
  r.bottom = r.top + twipsToPixelsY(height);
  return r;
}

int fontHeight(double points) { return -static_cast<int>(std::lround(points * dpi(LOGPIXELSY) / 72.0)); }

}  // namespace tepo::forms
