#include "balloon/geometry.h"

#include <cmath>

namespace tepo {

namespace {

int32_t toPixels(float twips, float perPixel) { return static_cast<int32_t>(std::lround(twips / perPixel)); }

int32_t sub32(int32_t a, int32_t b) {
  long long r = static_cast<long long>(a) - b;
  if (r < INT32_MIN || r > INT32_MAX) raise(ErrorCode::Overflow);
  return static_cast<int32_t>(r);
}

}  // namespace

BalloonGeometry balloonGeometry(const BalloonInput& in) {
  const double px = in.px;
  const double py = in.py;
  BalloonGeometry g{};

  // 6 pixels a byte of the widest line plus 10; 11 pixels a line plus 35.
  g.width = toSingle(static_cast<double>(mul16(in.lineCnt, 6)) * px + px * 10.0);
  g.height = toSingle(static_cast<double>(mul16(in.crCnt, 11)) * py + py * 35.0);

  // Standing on the bottom edge of the screen, centred on the cursor.
  g.top = toSingle(static_cast<double>(in.screenHeight) - g.height);
  g.left = toSingle(static_cast<double>(in.mx) - static_cast<double>(g.width) / 2.0);
  g.tailX = roundToInt16(((in.mx - static_cast<double>(g.left)) + static_cast<double>(g.width) / 2.0) / px / 2.0);

  // Only passing the right edge moves it; touching the edge does not.
  if (toSingle(static_cast<double>(g.left) + g.width) > in.screenWidth) {
    g.left = toSingle(static_cast<double>(in.screenWidth) - g.width);
    g.tailX = roundToInt16((in.mx - static_cast<double>(g.left)) / px);
  }

  g.pixelLeft = toPixels(g.left, in.px);
  g.pixelTop = toPixels(g.top, in.py);
  g.pixelWidth = toPixels(g.width, in.px);
  g.pixelHeight = toPixels(g.height, in.py);

  const int32_t b = g.pixelHeight;
  g.bodyRight = g.pixelWidth;
  g.bodyBottom = sub32(b, 20);
  const int32_t tailTop = sub32(b, 21);
  g.tail[0] = {g.tailX, tailTop};
  g.tail[1] = {sub16(g.tailX, 10), tailTop};
  g.tail[2] = {g.tailX, sub32(b, 10)};
  return g;
}

}  // namespace tepo
