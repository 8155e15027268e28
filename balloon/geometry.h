// Where the balloon stands and what shape it has, from the measure of its
// message and the cursor: pure arithmetic, the window applies it.
#pragma once

#include <cstdint>

#include "runtime/runtime.h"

namespace tepo {

struct BalloonInput {
  int16_t lineCnt;     // bytes of the widest line
  int16_t crCnt;       // lines
  int32_t mx;          // cursor x in twips
  float px;            // twips per pixel, x
  float py;            // twips per pixel, y
  float screenWidth;   // twips
  float screenHeight;  // twips
};

struct PixelPoint {
  int32_t x;
  int32_t y;
};

struct BalloonGeometry {
  // The window's properties in twips, as they were assigned.
  float left;
  float top;
  float width;
  float height;
  // The same in whole pixels.
  int32_t pixelLeft;
  int32_t pixelTop;
  int32_t pixelWidth;
  int32_t pixelHeight;
  // x of the tail's vertical edge and tip, from the window's left edge.
  int16_t tailX;
  // Tail triangle: top right, top left, tip.
  PixelPoint tail[3];
  // Rounded body: (0, 0) to (bodyRight, bodyBottom), right and bottom exclusive.
  int32_t bodyRight;
  int32_t bodyBottom;
};

// The corner ellipse of the body, in pixels.
constexpr int kBalloonCorner = 15;

// Raises Overflow where the 16-bit rules say: lineCnt of 5462 or more, crCnt of
// 2979 or more, a tail position outside the 16-bit range.
BalloonGeometry balloonGeometry(const BalloonInput& in);

}  // namespace tepo
