#include <gtest/gtest.h>

#include <vector>

#include "store/fields.h"

namespace tepo {
namespace {

std::vector<Text> parseAll(const Text& input, std::size_t chunk = 0) {
  FieldParser parser;
  std::vector<Text> fields;
  Text field;
  if (chunk == 0) {
    parser.feed(input);
  } else {
    for (std::size_t i = 0; i < input.size(); i += chunk) {
      parser.feed(input.substr(i, chunk));
      while (parser.next(field, false)) fields.push_back(field);
    }
  }
  while (parser.next(field, true)) fields.push_back(field);
  return fields;
}

struct FieldCase {
  const char* name;
  Text input;
  std::vector<Text> expected;
};

class FieldRules : public ::testing::TestWithParam<FieldCase> {};

TEST_P(FieldRules, SplitsAsTheFileRulesSay) {
  const FieldCase& c = GetParam();
  EXPECT_EQ(parseAll(c.input), c.expected) << c.name;
}

TEST_P(FieldRules, ChunkBoundariesDoNotChangeTheFields) {
  const FieldCase& c = GetParam();
  for (std::size_t chunk = 1; chunk <= 4; ++chunk) {
    EXPECT_EQ(parseAll(c.input, chunk), c.expected) << c.name << " in chunks of " << chunk;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FieldRules,
    ::testing::Values(
        FieldCase{"empty input", u"", {}}, FieldCase{"one line without end", u"abc", {u"abc"}},
        FieldCase{"one line with CR LF", u"abc\r\n", {u"abc"}}, FieldCase{"two lines", u"a\r\nb\r\n", {u"a", u"b"}},
        FieldCase{"comma splits", u"a,b", {u"a", u"b"}},
        FieldCase{"two commas give an empty field", u"a,,b", {u"a", u"", u"b"}},
        FieldCase{"comma before line end", u"a,\r\nb", {u"a", u"", u"b"}},
        FieldCase{"trailing comma at end of file", u"a,", {u"a"}}, FieldCase{"empty line", u"\r\n", {u""}},
        FieldCase{"empty lines between", u"a\r\n\r\nb\r\n", {u"a", u"", u"b"}},
        FieldCase{"lone CR ends a field", u"a\rb", {u"a", u"b"}},
        FieldCase{"lone LF ends a field", u"a\nb", {u"a", u"b"}},
        FieldCase{"LF CR is two line ends", u"a\n\rb", {u"a", u"", u"b"}},
        FieldCase{"leading spaces skipped", u"  x", {u"x"}},
        FieldCase{"leading spaces after comma skipped", u"a,  b", {u"a", u"b"}},
        FieldCase{"tab is kept", u"\tx", {u"\tx"}}, FieldCase{"trailing blanks kept", u"x  \r\n", {u"x  "}},
        FieldCase{"only spaces make one empty field", u"   ", {u""}},
        FieldCase{"spaces on a line of their own", u"a\r\n  \r\nb", {u"a", u"", u"b"}},
        FieldCase{"quote inside a field is literal", u"a\"b\"c", {u"a\"b\"c"}},
        FieldCase{"quoted field keeps commas", u"\"a,b\"", {u"a,b"}},
        FieldCase{"quoted field after spaces", u"  \"a,b\",c", {u"a,b", u"c"}},
        FieldCase{"text after closing quote dropped", u"\"ab\"cd,ef\r\n", {u"ab", u"ef"}},
        FieldCase{"text after closing quote up to line end", u"\"ab\" x\r\nz", {u"ab", u"z"}},
        FieldCase{"quoted field spans a line end", u"\"a\r\nb\"\r\nc", {u"a\r\nb", u"c"}},
        FieldCase{"unclosed quote runs to the end", u"\"abc\r\nd", {u"abc\r\nd"}},
        FieldCase{"empty quoted field", u"\"\"\r\n", {u""}},
        FieldCase{"Japanese text", u"こんにちは、世界\r\n", {u"こんにちは、世界"}}));

TEST(LineBreaks, BackslashNBecomesCrLfEverywhere) {
  EXPECT_EQ(expandLineBreaks(u"a\\nb\\nc"), u"a\r\nb\r\nc");
  EXPECT_EQ(expandLineBreaks(u"\\n"), u"\r\n");
  EXPECT_EQ(expandLineBreaks(u"\\\\n"), u"\\\r\n");           // leftmost match wins
  EXPECT_EQ(expandLineBreaks(u"\\N and \\"), u"\\N and \\");  // exact, case-sensitive
  EXPECT_EQ(expandLineBreaks(u""), u"");
}

TEST(LineBreaks, CollapseIsTheWritersInverse) {
  EXPECT_EQ(collapseLineBreaks(u"a\r\nb"), u"a\\nb");
  EXPECT_EQ(collapseLineBreaks(u"a\rb\nc"), u"a\rb\nc");  // lone CR and LF are not pairs
  EXPECT_EQ(collapseLineBreaks(u"\r\n\r\n"), u"\\n\\n");
  EXPECT_EQ(expandLineBreaks(collapseLineBreaks(u"x\r\ny\r\n")), u"x\r\ny\r\n");
}

}  // namespace
}  // namespace tepo
