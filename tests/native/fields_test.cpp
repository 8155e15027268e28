#include <gtest/gtest.h>

#include <vector>

#include "messages/fields.h"

namespace tepo {
namespace {

// The fields, and for each whether the rules changed it from what the text
// said and where it lay among the lines.
std::vector<Text> parseAll(const Text& input, std::size_t chunk = 0, std::vector<bool>* changes = nullptr,
                           std::vector<FieldLines>* lines = nullptr) {
  FieldParser parser;
  std::vector<Text> fields;
  auto take = [&](bool atEnd) {
    while (std::optional<Field> field = parser.next(atEnd)) {
      fields.emplace_back(field->text, field->length);
      if (changes) changes->push_back(field->changed);
      if (lines) lines->push_back(field->lines);
    }
  };
  if (chunk == 0) {
    parser.feed(input);
  } else {
    for (std::size_t i = 0; i < input.size(); i += chunk) {
      parser.feed(input.substr(i, chunk));
      take(false);
    }
  }
  take(true);
  return fields;
}

struct FieldCase {
  const char* name;
  Text input;
  std::vector<Text> expected;
  std::vector<bool> changed = {};  // none, unless given
};

class FieldRules : public ::testing::TestWithParam<FieldCase> {};

TEST_P(FieldRules, SplitsAsTheFileRulesSay) {
  const FieldCase& c = GetParam();
  std::vector<bool> changed;
  EXPECT_EQ(parseAll(c.input, 0, &changed), c.expected) << c.name;
  std::vector<bool> expected = c.changed;
  expected.resize(c.expected.size(), false);
  EXPECT_EQ(changed, expected) << c.name;
}

TEST_P(FieldRules, ChunkBoundariesDoNotChangeTheFields) {
  const FieldCase& c = GetParam();
  for (std::size_t chunk : {1, 2, 3, 4, 65}) {
    std::vector<bool> changed;
    EXPECT_EQ(parseAll(c.input, chunk, &changed), c.expected) << c.name << " in chunks of " << chunk;
    std::vector<bool> expected = c.changed;
    expected.resize(c.expected.size(), false);
    EXPECT_EQ(changed, expected) << c.name << " in chunks of " << chunk;
  }
}

// Long enough for the scan's blocks of 64 units: a "\n" at every place among
// them, its n in the next block too, quoted or in what a quote drops.
FieldCase lineBreaksInALongText() {
  FieldCase c{"\\n wherever it falls in a long text", u"", {}};
  for (std::size_t i = 0; i < 300; ++i) {
    const Text x(i % 67, u'x');
    const Text y(i % 5, u'y');
    const bool quoted = i % 11 == 0;
    c.input += quoted ? u"\"" + x + u"\\n" + y + u"\"z\\n\r\n" : x + u"\\n" + y + u"\r\n";
    c.expected.push_back(x + u"\r\n" + y);
    c.changed.push_back(quoted);
  }
  return c;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FieldRules,
    ::testing::Values(
        FieldCase{"empty input", u"", {}}, FieldCase{"one line without end", u"abc", {u"abc"}},
        FieldCase{"one line with CR LF", u"abc\r\n", {u"abc"}}, FieldCase{"two lines", u"a\r\nb\r\n", {u"a", u"b"}},
        FieldCase{"comma splits, and both pieces are changed", u"a,b", {u"a", u"b"}, {true, true}},
        FieldCase{"two commas give an empty field", u"a,,b", {u"a", u"", u"b"}, {true, true, true}},
        FieldCase{"comma before line end", u"a,\r\nb", {u"a", u"", u"b"}, {true, true}},
        FieldCase{"trailing comma at end of file", u"a,", {u"a"}, {true}}, FieldCase{"empty line", u"\r\n", {u""}},
        FieldCase{"empty lines between", u"a\r\n\r\nb\r\n", {u"a", u"", u"b"}},
        FieldCase{"lone CR ends a field", u"a\rb", {u"a", u"b"}},
        FieldCase{"lone LF ends a field", u"a\nb", {u"a", u"b"}},
        FieldCase{"LF CR is two line ends", u"a\n\rb", {u"a", u"", u"b"}},
        FieldCase{"leading spaces skipped", u"  x", {u"x"}, {true}},
        FieldCase{"leading spaces after comma skipped", u"a,  b", {u"a", u"b"}, {true, true}},
        FieldCase{"tab is kept", u"\tx", {u"\tx"}}, FieldCase{"trailing blanks kept", u"x  \r\n", {u"x  "}},
        FieldCase{"only spaces make one empty field", u"   ", {u""}, {true}},
        FieldCase{"spaces on a line of their own", u"a\r\n  \r\nb", {u"a", u"", u"b"}, {false, true}},
        FieldCase{"quote inside a field is literal", u"a\"b\"c", {u"a\"b\"c"}},
        FieldCase{"quoted field keeps commas", u"\"a,b\"", {u"a,b"}},
        FieldCase{"quoted field after spaces", u"  \"a,b\",c", {u"a,b", u"c"}, {true, true}},
        FieldCase{"text after closing quote dropped", u"\"ab\"cd,ef\r\n", {u"ab", u"ef"}, {true, true}},
        FieldCase{"text after closing quote up to line end", u"\"ab\" x\r\nz", {u"ab", u"z"}, {true}},
        FieldCase{"quoted field spans a line end", u"\"a\r\nb\"\r\nc", {u"a\r\nb", u"c"}, {true}},
        FieldCase{"unclosed quote runs to the end", u"\"abc\r\nd", {u"abc\r\nd"}, {true}},
        FieldCase{"empty quoted field", u"\"\"\r\n", {u""}},
        FieldCase{"Japanese text", u"こんにちは、世界\r\n", {u"こんにちは、世界"}},
        FieldCase{"a quote closed at once keeps its field", u"\"ab\",c\r\n\"\"", {u"ab", u"c", u""}, {true, true}},
        FieldCase{"a quote never closed on the last line", u"a\r\n\"b", {u"a", u"b"}, {false, true}},
        FieldCase{"\\n is a line break, in quotes too",
                  u"a\\nb,\"\\\\n\"\r\nc\\",
                  {u"a\r\nb", u"\\\r\n", u"c\\"},
                  {true, true}},
        FieldCase{"doubled quotes end the field early", u"\"He said \"\"no\"\"\"\"\r\nx", {u"He said ", u"x"}, {true}},
        lineBreaksInALongText()));

// Where each field lies among the lines, whatever chunks the text comes in:
// how many line ends it took, whether it ends its line, whether its quote
// was never closed.
TEST(FieldLines, CountTheLineEndsEachFieldTook) {
  struct Case {
    Text input;
    std::vector<Text> fields;
    std::vector<FieldLines> lines;
  };
  const Case cases[] = {
      {u"a,b\n", {u"a", u"b"}, {{0, false, false}, {1, true, false}}},
      {u"\"a\r\nb\"\r\nc", {u"a\r\nb", u"c"}, {{2, true, false}, {0, true, false}}},
      // A "\n" in what a closing quote drops is no line end.
      {u"\"a\"x\\n", {u"a"}, {{0, true, false}}},
      {u"\"a\"x\\n\r\nb", {u"a", u"b"}, {{1, true, false}, {0, true, false}}},
      {u"x\r\n\"open\r\n", {u"x", u"open\r\n"}, {{1, true, false}, {1, true, true}}},
  };
  for (const Case& c : cases) {
    for (std::size_t chunk = 1; chunk <= c.input.size(); ++chunk) {
      std::vector<FieldLines> lines;
      ASSERT_EQ(parseAll(c.input, chunk, nullptr, &lines), c.fields) << chunk;
      ASSERT_EQ(lines.size(), c.lines.size()) << chunk;
      for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].lineEnds, c.lines[i].lineEnds) << i << " in chunks of " << chunk;
        EXPECT_EQ(lines[i].endsLine, c.lines[i].endsLine) << i << " in chunks of " << chunk;
        EXPECT_EQ(lines[i].unclosed, c.lines[i].unclosed) << i << " in chunks of " << chunk;
      }
    }
  }
}

Text expandLineBreaks(Text field) {
  if (!field.empty()) tepo::expandLineBreaks(&field[0], field.size());
  return field;
}

TEST(LineBreaks, BackslashNBecomesCrLfEverywhere) {
  EXPECT_EQ(expandLineBreaks(u"a\\nb\\nc"), u"a\r\nb\r\nc");
  EXPECT_EQ(expandLineBreaks(u"\\n"), u"\r\n");
  EXPECT_EQ(expandLineBreaks(u"\\\\n"), u"\\\r\n");           // leftmost match wins
  EXPECT_EQ(expandLineBreaks(u"\\N and \\"), u"\\N and \\");  // exact, case-sensitive
  EXPECT_EQ(expandLineBreaks(u""), u"");
}

}  // namespace
}  // namespace tepo
