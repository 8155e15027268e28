// The runtime's 16-bit arithmetic, its rounding and its error texts.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "runtime/runtime.h"

namespace tepo {
namespace {

ErrorCode codeOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const RuntimeError& e) {
    return e.code();
  }
  ADD_FAILURE() << "no runtime error raised";
  return ErrorCode::DeviceIo;
}

TEST(Rounding, TiesGoToTheEvenInteger) {
  EXPECT_EQ(roundToInt16(0.5), 0);
  EXPECT_EQ(roundToInt16(1.5), 2);
  EXPECT_EQ(roundToInt16(2.5), 2);
  EXPECT_EQ(roundToInt16(-0.5), 0);
  EXPECT_EQ(roundToInt16(-1.5), -2);
  EXPECT_EQ(roundToInt16(-2.5), -2);
  EXPECT_EQ(roundToInt16(2.4999), 2);
  EXPECT_EQ(roundToInt16(2.5001), 3);
  EXPECT_EQ(roundToInt32(3000 * 15.0 + 0.5), 45000);
}

TEST(Rounding, SixteenBitRangeIsChecked) {
  EXPECT_EQ(roundToInt16(32767.4), 32767);
  EXPECT_EQ(roundToInt16(-32768.5), -32768);  // the tie goes to the even -32768
  EXPECT_EQ(codeOf([] { roundToInt16(32767.5); }), ErrorCode::Overflow);
  EXPECT_EQ(codeOf([] { roundToInt16(-32769.0); }), ErrorCode::Overflow);
  EXPECT_EQ(codeOf([] { roundToInt16(std::nan("")); }), ErrorCode::Overflow);
}

TEST(CheckedArithmetic, OverflowRaisesInsteadOfWrapping) {
  EXPECT_EQ(add16(32766, 1), 32767);
  EXPECT_EQ(codeOf([] { add16(32767, 1); }), ErrorCode::Overflow);
  EXPECT_EQ(codeOf([] { sub16(-32768, 1); }), ErrorCode::Overflow);
  EXPECT_EQ(mul16(5461, 6), 32766);
  EXPECT_EQ(codeOf([] { mul16(5462, 6); }), ErrorCode::Overflow);
}

TEST(RuntimeErrors, CarryAJapaneseDescription) {
  EXPECT_EQ(RuntimeError(ErrorCode::Overflow).description(), u"オーバーフローしました。");
  EXPECT_EQ(RuntimeError(ErrorCode::SubscriptOutOfRange).description(), u"インデックスが有効範囲にありません。");
  EXPECT_FALSE(RuntimeError(ErrorCode::FileNotFound).description().empty());
}

}  // namespace
}  // namespace tepo
