// The pick of a message: the random draw mapped onto the table.
#include <gtest/gtest.h>

#include "app/pick.h"

namespace tepo {
namespace {

TEST(PickIndex, MapsTheUnitRangeOntoTheMessages) {
  const float almostOne = 1.0f - 1.0f / 16777216.0f;
  // One message: always the first.
  EXPECT_EQ(pickIndex(0.0f, 1), 0);
  EXPECT_EQ(pickIndex(almostOne, 1), 0);
  // Two: the halfway point goes to the even index.
  EXPECT_EQ(pickIndex(0.49f, 2), 0);
  EXPECT_EQ(pickIndex(0.5f, 2), 0);
  EXPECT_EQ(pickIndex(0.51f, 2), 1);
  // Five: ties at 1.5 and 2.5 both give 2.
  EXPECT_EQ(pickIndex(0.375f, 5), 2);
  EXPECT_EQ(pickIndex(0.625f, 5), 2);
  // The spare entry past the last message is never drawn.
  EXPECT_EQ(pickIndex(almostOne, 32767), 32766);
}

TEST(PickIndex, ProductIsRoundedInSinglePrecision) {
  // Found once by trying every generator value a / 2^24 for small tables and
  // keeping the first two where the exact (double) product and the single-
  // precision one round to different indexes.
  // 13981014 / 2^24 x 3: exactly 2.50000012, in single precision 2.5, a tie to 2.
  EXPECT_EQ(pickIndex(13981014.0f / 16777216.0f, 4), 2);
  // 11744051 / 2^24 x 5: exactly 3.49999994, in single precision 3.5, a tie to 4.
  EXPECT_EQ(pickIndex(11744051.0f / 16777216.0f, 6), 4);
}

TEST(PickIndex, EmptyTableGivesTheSpareEntryOrOneBeforeTheTable) {
  EXPECT_EQ(pickIndex(0.0f, 0), 0);
  EXPECT_EQ(pickIndex(0.5f, 0), 0);
  EXPECT_EQ(pickIndex(0.5001f, 0), -1);
}

TEST(RandomSource, StaysInTheUnitRangeAndVaries) {
  RandomSource random;
  random.seedFromClock();
  float low = 1.0f, high = 0.0f;
  for (int i = 0; i < 100000; ++i) {
    float r = random.next();
    ASSERT_GE(r, 0.0f);
    ASSERT_LT(r, 1.0f);
    low = std::min(low, r);
    high = std::max(high, r);
  }
  EXPECT_LT(low, 0.01f);
  EXPECT_GT(high, 0.99f);
}

}  // namespace
}  // namespace tepo
