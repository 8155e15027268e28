#include <gtest/gtest.h>

#include "balloon/measure.h"

namespace tepo {
namespace {

struct MeasureCase {
  const char* name;
  Text text;
  int16_t width;
  int16_t breaks;
};

class Measures : public ::testing::TestWithParam<MeasureCase> {};

TEST_P(Measures, WidthInBytesAndCrLfPairs) {
  const MeasureCase& c = GetParam();
  EXPECT_EQ(measureWidth(c.text), c.width) << c.name;
  EXPECT_EQ(countBreaks(c.text), c.breaks) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, Measures,
                         ::testing::Values(MeasureCase{"five ASCII", u"hello", 5, 0},
                                           MeasureCase{"five full-width", u"こんにちは", 10, 0},
                                           MeasureCase{"half-width katakana are one byte", u"ｺﾝﾆﾁﾊ", 5, 0},
                                           MeasureCase{"three lines, the last empty", u"abc\r\nあいうえ\r\n", 8, 2},
                                           MeasureCase{"empty", u"", 0, 0}, MeasureCase{"only a break", u"\r\n", 0, 1},
                                           MeasureCase{"lone CR and LF do not split", u"ab\rcd\nef", 8, 0},
                                           MeasureCase{"widest line last", u"a\r\nbb\r\nccc", 3, 2},
                                           MeasureCase{"CR CR LF holds one pair", u"a\r\r\nb", 2, 1},
                                           MeasureCase{"consecutive pairs", u"\r\n\r\n\r\n", 0, 3}));

TEST(MeasureLimits, LineWiderThan32767BytesOverflows) {
  EXPECT_EQ(measureWidth(Text(32767, u'x')), 32767);
  EXPECT_THROW(measureWidth(Text(32768, u'x')), RuntimeError);
  EXPECT_THROW(measureWidth(Text(16384, u'あ')), RuntimeError);
}

TEST(MeasureLimits, TooManyLinesOverflow) {
  Text lines;
  for (int i = 0; i < 32766; ++i) lines += u"\r\n";  // 32767 pieces
  EXPECT_EQ(measureWidth(lines), 0);
  EXPECT_THROW(measureWidth(lines + u"\r\n"), RuntimeError);  // 32768 pieces
}

TEST(MeasureLimits, PairBeyondPosition32767Overflows) {
  EXPECT_EQ(countBreaks(Text(32766, u'x') + u"\r\n"), 1);  // CR at position 32767
  EXPECT_THROW(countBreaks(Text(32767, u'x') + u"\r\n"), RuntimeError);
}

}  // namespace
}  // namespace tepo
