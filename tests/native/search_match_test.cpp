#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "messages/message_table.h"
#include "search/match.h"

namespace tepo {
namespace {

// A table as the loader leaves it: the messages and one spare empty entry.
MessageTable table(const std::vector<TextView>& messages) {
  MessageTable list;
  for (TextView message : messages) list.append(message);
  return list;
}

std::vector<int16_t> positions(const SearchHits& hits) {
  return std::vector<int16_t>(hits.hitList.begin(), hits.hitList.begin() + hits.hitCount);
}

struct MatchCase {
  const char16_t* searchText;
  const char16_t* message;
  bool occurs;
};

TEST(SearchMatch, ComparesCodeUnitsExactly) {
  const MatchCase cases[] = {
      {u"a", u"a", true},
      {u"a", u"A", false},  // case
      {u"A", u"a", false},
      {u"a", u"ａ", false},  // full-width form
      {u"ａ", u"a", false},
      {u"あ", u"ア", false},           // hiragana against katakana
      {u"ア", u"ｱ", false},            // full-width against half-width katakana
      {u"は", u"ば", false},           // voiced mark is another code unit
      {u"ソ表", u"このソ表は", true},  // 0x5C trail bytes mean nothing in UTF-16
      {u"\\", u"ソ表", false},
      {u"cd", u"abcdef", true},
      {u"abcdef", u"abc", false},  // longer than the message
      {u"ef", u"abcdef", true},    // at the very end
      {u"ab", u"a b", false},
      {u" a", u"a", false},        // nothing is trimmed
      {u"\\n", u"a\r\nb", false},  // the table holds line breaks as CR LF
      {u"\r\n", u"a\r\nb", true},
      {u"\U0001F600", u"x\U0001F600", true},
      {u"\xD83D", u"x\U0001F600", true},  // a lone surrogate unit still matches as a unit
      {u"A", u"ア", false},               // nor does 0x41, the second byte of ア in the code page
      {u"\x8341", u"ア", false},          // nor ア's two bytes taken as one unit
      {u"caf", u"café", true},            // the code page lacks é
      {u"é", u"caféと", true},
      {u"\x00E9", u"\x0065\x0301", false},
      {u"い", u"あ\U0001F600い", true},
      {u"\x2014", u"a\x2015", false},  // a dash the code page lacks against the one it has
      {u"\x6100", u"ab", false},       // a unit across two in UTF-16
      {u"\x6200", u"éab", false},
  };
  for (const MatchCase& c : cases) {
    // As the rule says, and as a search of the table finds it.
    EXPECT_EQ(occursIn(c.searchText, c.message), c.occurs)
        << "search text of " << Text(c.searchText).size() << " units in a message of " << Text(c.message).size();
    EXPECT_EQ(findHits(table({c.message}), c.searchText).hitCount, c.occurs ? 1 : 0)
        << "search text of " << Text(c.searchText).size() << " units in a table message of " << Text(c.message).size();
  }
}

TEST(SearchMatch, EmptyTextMatchesEveryMessageButTheEmptyOne) {
  EXPECT_TRUE(occursIn(u"", u"a"));
  EXPECT_TRUE(occursIn(u"", u" "));
  EXPECT_TRUE(occursIn(u"", u"\r\n"));
  EXPECT_FALSE(occursIn(u"", u""));
  EXPECT_FALSE(occursIn(u"a", u""));
}

TEST(SearchMatch, EmbeddedNulIsPartOfTheText) {
  const Text withNul(u"a\0b", 3);
  EXPECT_TRUE(occursIn(Text(u"\0b", 2), withNul));
  EXPECT_FALSE(occursIn(Text(u"\0c", 2), withNul));
  EXPECT_EQ(findHits(table({withNul}), Text(u"\0b", 2)).hitCount, 1);
  EXPECT_EQ(findHits(table({withNul}), Text(u"\0c", 2)).hitCount, 0);
}

TEST(SearchScan, ListsOnlyExactMatchesInTableOrder) {
  const auto msgList = table({u"abc", u"ABC", u"ａｂｃ"});
  SearchHits hits = findHits(msgList, u"a");
  EXPECT_EQ(hits.hitCount, 1);
  EXPECT_EQ(hits.hitList, (std::vector<int16_t>{0}));
  EXPECT_EQ(hitReport(hits.hitCount), u"1件 見つかりました。");

  EXPECT_EQ(positions(findHits(msgList, u"A")), (std::vector<int16_t>{1}));
  EXPECT_EQ(positions(findHits(msgList, u"ｂ")), (std::vector<int16_t>{2}));
}

TEST(SearchScan, EmptyTextSkipsEmptyMessagesAndTheSpareEntry) {
  const auto msgList = table({u"one", u"two", u"", u"four", u"five"});
  SearchHits hits = findHits(msgList, u"");
  EXPECT_EQ(hits.hitCount, 4);
  EXPECT_EQ(hits.hitList, (std::vector<int16_t>{0, 1, 3, 4}));
  EXPECT_EQ(hitReport(hits.hitCount), u"4件 見つかりました。");
}

TEST(SearchScan, NoHitLeavesOneZeroEntry) {
  for (const Text& searchText : {Text(u""), Text(u"x")}) {
    SearchHits none = findHits(table({}), searchText);  // no message file: the spare entry alone
    EXPECT_EQ(none.hitCount, 0);
    EXPECT_EQ(none.hitList, (std::vector<int16_t>{0}));
    EXPECT_EQ(hitReport(none.hitCount), u"見つかりませんでした。");
  }
  SearchHits missed = findHits(table({u"abc", u"def"}), u"z");
  EXPECT_EQ(missed.hitCount, 0);
  EXPECT_EQ(missed.hitList, (std::vector<int16_t>{0}));
}

TEST(SearchScan, RepeatsCountOnceAndDuplicatesTwice) {
  const auto msgList = table({u"abab", u"x", u"ab", u"ab"});
  SearchHits hits = findHits(msgList, u"ab");
  EXPECT_EQ(hits.hitList, (std::vector<int16_t>{0, 2, 3}));
  EXPECT_EQ(hits.hitCount, 3);
}

TEST(SearchScan, BackslashNFindsNoLineBreakFromTheFile) {
  // What the loader makes of the file line "a\nb", beside a literal backslash.
  const auto msgList = table({u"a\r\nb", u"c\\nd"});
  EXPECT_EQ(positions(findHits(msgList, u"\\n")), (std::vector<int16_t>{1}));
}

TEST(SearchReport, DigitsHaveNoSignBlankOrGrouping) {
  EXPECT_EQ(hitReport(3), u"3件 見つかりました。");
  EXPECT_EQ(hitReport(1000), u"1000件 見つかりました。");
  EXPECT_EQ(hitReport(32767), u"32767件 見つかりました。");
  // The blank after 件 is an ASCII space.
  EXPECT_EQ(hitReport(2)[2], u' ');
}

TEST(SearchDetail, ShowsTheMessageAtTheRecordedPositionAsTheTableStandsNow) {
  const auto before = table({u"a1", u"b", u"a2\r\nline", u"a3"});
  SearchHits hits = findHits(before, u"a");
  ASSERT_EQ(hits.hitList, (std::vector<int16_t>{0, 2, 3}));
  EXPECT_EQ(hitDetail(hits, 1, before), u"a2\r\nline");

  // After a reload the old rows point into the new table.
  const auto reloaded = table({u"new0", u"new1", u"new2", u"new3", u"new4"});
  EXPECT_EQ(hitDetail(hits, 0, reloaded), u"new0");
  EXPECT_EQ(hitDetail(hits, 2, reloaded), u"new3");
}

TEST(SearchDetail, PositionPastAShrunkTableGivesTheEmptyText) {
  const auto before = table({u"x", u"x", u"x", u"x"});
  SearchHits hits = findHits(before, u"x");
  ASSERT_EQ(hits.hitCount, 4);
  const auto shrunk = table({u"y"});  // entries 0 and the spare 1
  EXPECT_EQ(hitDetail(hits, 0, shrunk), u"y");
  EXPECT_EQ(hitDetail(hits, 1, shrunk), u"");  // the spare entry
  EXPECT_EQ(hitDetail(hits, 2, shrunk), u"");
  EXPECT_EQ(hitDetail(hits, 3, shrunk), u"");
}

TEST(SearchDetail, RowWithoutAHitGivesTheEmptyText) {
  const auto msgList = table({u"a", u"b"});
  SearchHits none = findHits(msgList, u"z");
  EXPECT_EQ(hitDetail(none, 0, msgList), u"");  // the lone 0 entry is no hit
  SearchHits one = findHits(msgList, u"b");
  EXPECT_EQ(hitDetail(one, -1, msgList), u"");
  EXPECT_EQ(hitDetail(one, 1, msgList), u"");
}

TEST(SearchScan, FullTableOf32767Messages) {
  MessageTable full;
  for (int i = 0; i < kMaxMessages; ++i) full.append(Text(u"message number ") + static_cast<char16_t>(u'0' + i % 10));
  const auto start = std::chrono::steady_clock::now();
  SearchHits every = findHits(full, u"");
  SearchHits sevens = findHits(full, u"7");
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(every.hitCount, kMaxMessages);
  EXPECT_EQ(every.hitList.back(), kMaxMessages - 1);  // the spare entry is not listed
  EXPECT_EQ(sevens.hitCount, 3276);                   // 7, 17, ... 32757
  std::printf("two scans over %d messages: %.2f ms\n", kMaxMessages,
              std::chrono::duration<double, std::milli>(elapsed).count());
}

}  // namespace
}  // namespace tepo
