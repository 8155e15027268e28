#include <gtest/gtest.h>

#include "balloon/geometry.h"

namespace tepo {
namespace {

// A 1024 x 768 screen at 96 dots per inch.
BalloonInput at(int16_t lineCnt, int16_t crCnt, int32_t mxPixels) {
  return BalloonInput{lineCnt, crCnt, mxPixels * 15, 15.0f, 15.0f, 15360.0f, 11520.0f};
}

TEST(BalloonGeometry, CentredUnderTheCursor) {
  BalloonGeometry g = balloonGeometry(at(20, 2, 500));
  EXPECT_FLOAT_EQ(g.width, 1950);
  EXPECT_FLOAT_EQ(g.height, 855);
  EXPECT_FLOAT_EQ(g.top, 10665);
  EXPECT_FLOAT_EQ(g.left, 6525);
  EXPECT_EQ(g.tailX, 65);
  EXPECT_EQ(g.pixelLeft, 435);
  EXPECT_EQ(g.pixelTop, 711);
  EXPECT_EQ(g.pixelWidth, 130);
  EXPECT_EQ(g.pixelHeight, 57);
  EXPECT_EQ(g.bodyRight, 130);
  EXPECT_EQ(g.bodyBottom, 37);
  EXPECT_EQ(g.tail[0].x, 65);
  EXPECT_EQ(g.tail[0].y, 36);
  EXPECT_EQ(g.tail[1].x, 55);
  EXPECT_EQ(g.tail[1].y, 36);
  EXPECT_EQ(g.tail[2].x, 65);
  EXPECT_EQ(g.tail[2].y, 47);
}

TEST(BalloonGeometry, FlushRightWhenItWouldPassTheRightEdge) {
  BalloonGeometry g = balloonGeometry(at(20, 2, 1000));
  EXPECT_FLOAT_EQ(g.left, 13410);
  EXPECT_EQ(g.tailX, 106);
  EXPECT_EQ(g.pixelLeft + g.pixelWidth, 1024);
  EXPECT_EQ(g.tail[2].x, 106);  // the tip is under the cursor
}

TEST(BalloonGeometry, TouchingTheRightEdgeDoesNotCount) {
  // Width 130 px: centred at 959, the right edge is exactly 1024.
  BalloonGeometry touching = balloonGeometry(at(20, 2, 959));
  EXPECT_EQ(touching.pixelLeft + touching.pixelWidth, 1024);
  EXPECT_EQ(touching.tailX, 65);
  BalloonGeometry passing = balloonGeometry(at(20, 2, 960));
  EXPECT_EQ(passing.pixelLeft, 1024 - 130);
  EXPECT_EQ(passing.tailX, 66);
}

TEST(BalloonGeometry, NoRuleForTheLeftEdge) {
  BalloonGeometry g = balloonGeometry(at(20, 2, 10));
  EXPECT_EQ(g.pixelLeft, 10 - 65);
  EXPECT_EQ(g.tailX, 65);
}

TEST(BalloonGeometry, EmptyMessage) {
  BalloonGeometry g = balloonGeometry(at(0, 1, 500));
  EXPECT_EQ(g.pixelWidth, 10);
  EXPECT_EQ(g.pixelHeight, 46);
  EXPECT_EQ(g.bodyRight, 10);
  EXPECT_EQ(g.bodyBottom, 26);
  EXPECT_EQ(g.tailX, 5);
}

TEST(BalloonGeometry, BottomEdgeOnTheScreensBottomWhateverItsHeight) {
  for (int16_t lines : {1, 5, 60, 80}) {
    BalloonGeometry g = balloonGeometry(at(10, lines, 500));
    EXPECT_EQ(g.pixelTop + g.pixelHeight, 768) << lines;
  }
  // Taller than the screen: the top is negative, not clamped.
  EXPECT_LT(balloonGeometry(at(10, 80, 500)).pixelTop, 0);
}

TEST(BalloonGeometry, CursorFarRightOfA4kScreen) {
  // x = 3000 pixels is 45000 twips, more than a 16-bit value holds.
  BalloonInput in{20, 2, 45000, 15.0f, 15.0f, 3840 * 15.0f, 1080 * 15.0f};
  BalloonGeometry g = balloonGeometry(in);
  EXPECT_EQ(g.pixelLeft, 3000 - 65);
  EXPECT_EQ(g.tailX, 65);
}

TEST(BalloonGeometry, TailOfAWindowWiderThanTheScreenOverflowsAtTheFarRight) {
  // The widest message that measures: 5461 x 6 + 10 = 32776 pixels, flush
  // right on a 3840-pixel screen, so its left edge is at -28936 and the tail
  // stands at the cursor's x + 28936.
  auto at4k = [](int32_t cursorX) {
    return BalloonInput{5461, 1, cursorX * 15, 15.0f, 15.0f, 3840 * 15.0f, 1080 * 15.0f};
  };
  BalloonGeometry last = balloonGeometry(at4k(3831));
  EXPECT_EQ(last.pixelLeft, 3840 - 32776);
  EXPECT_EQ(last.tailX, 32767);
  EXPECT_THROW(balloonGeometry(at4k(3832)), RuntimeError);
  EXPECT_THROW(balloonGeometry(at4k(3839)), RuntimeError);
}

TEST(BalloonGeometry, FlushRightTailRoundsHalvesToEven) {
  // 10 twips a pixel, a 1000-pixel screen, a 130-pixel window flush right at
  // 8700 twips: a cursor at an odd multiple of 5 twips puts the tail on a half.
  auto at = [](int32_t mx) { return BalloonInput{20, 2, mx, 10.0f, 10.0f, 10000.0f, 8000.0f}; };
  EXPECT_EQ(balloonGeometry(at(9985)).tailX, 128);  // 128.5
  EXPECT_EQ(balloonGeometry(at(9995)).tailX, 130);  // 129.5
}

TEST(BalloonGeometry, TwipsPerPixelOtherThanFifteen) {
  // 120 dots per inch: 12 twips per pixel.
  BalloonInput in{20, 2, 500 * 12, 12.0f, 12.0f, 1280 * 12.0f, 800 * 12.0f};
  BalloonGeometry g = balloonGeometry(in);
  EXPECT_EQ(g.pixelWidth, 130);
  EXPECT_EQ(g.pixelHeight, 57);
  EXPECT_EQ(g.pixelLeft, 435);
  EXPECT_EQ(g.pixelTop, 800 - 57);
}

TEST(BalloonGeometry, OverflowsWhereSixteenBitsEnd) {
  EXPECT_NO_THROW(balloonGeometry(at(5461, 1, 500)));
  EXPECT_THROW(balloonGeometry(at(5462, 1, 500)), RuntimeError);
  EXPECT_NO_THROW(balloonGeometry(at(1, 2978, 500)));
  EXPECT_THROW(balloonGeometry(at(1, 2979, 500)), RuntimeError);
}

}  // namespace
}  // namespace tepo
