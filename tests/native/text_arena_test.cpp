#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "messages/message_table.h"
#include "messages/text_arena.h"
#include "runtime/pages.h"

namespace tepo {
namespace {

Text numbered(int i, std::size_t length) {
  Text t(length, static_cast<char16_t>(u'a' + i % 26));
  if (length > 0) t[0] = static_cast<char16_t>(0x3000 + i % 4096);
  return t;
}

TEST(TextArena, CopiesStayPutAcrossManyBlocks) {
  TextArena arena;
  std::vector<Text> originals;
  std::vector<TextView> copies;
  // About 40 units each: dozens of blocks, every block boundary crossed.
  for (int i = 0; i < 50000; ++i) {
    originals.push_back(numbered(i, 1 + static_cast<std::size_t>(i * 7919) % 80));
    copies.push_back(arena.store(originals.back()));
  }
  for (std::size_t i = 0; i < copies.size(); ++i) {
    ASSERT_EQ(copies[i], originals[i]) << "copy " << i;
    ASSERT_NE(copies[i].data(), originals[i].data());
    ASSERT_EQ(copies[i].data()[copies[i].size()], u'\0') << "copy " << i << " is not followed by a NUL";
  }
}

TEST(TextArena, EmptyTextsAndEmbeddedNulsAreKept) {
  TextArena arena;
  TextView empty = arena.store(TextView());
  TextView nul = arena.store(TextView(u"a\0b", 3));
  EXPECT_TRUE(empty.empty());
  EXPECT_EQ(empty.data()[0], u'\0');
  EXPECT_EQ(nul, TextView(u"a\0b", 3));
}

TEST(TextArena, LongTextsTakeBlocksOfTheirOwnWithoutWastingTheShared) {
  TextArena arena;
  TextView small1 = arena.store(u"first");
  const std::size_t afterFirst = arena.reserved();
  const Text big(6u << 20, u'x');  // a single line of several megabytes
  TextView bigCopy = arena.store(big);
  TextView small2 = arena.store(u"second");
  EXPECT_EQ(bigCopy, big);
  EXPECT_EQ(small1, u"first");
  EXPECT_EQ(small2, u"second");
  // The big one costs its own size; the small ones share the first block.
  EXPECT_EQ(arena.reserved(), afterFirst + big.size() + 1);
  EXPECT_EQ(small2.data(), small1.data() + 6);
}

TEST(TextArena, WasteStaysUnderAQuarterWhateverTheLengths) {
  for (std::size_t length : {1u, 100u, 5000u, 16383u, 16384u, 20000u, 70000u}) {
    TextArena arena;
    std::size_t stored = 0;
    for (int i = 0; i < 200; ++i) {
      arena.store(numbered(i, length));
      stored += length + 1;
    }
    // Blocks are 64 Ki units; the last one may be mostly unused.
    EXPECT_LE(arena.reserved(), stored + stored / 3 + 64 * 1024) << "texts of " << length << " units";
  }
}

TEST(TextArena, ClearAndMoveLeaveNothingBehind) {
  TextArena arena;
  TextView kept = arena.store(u"kept");
  TextArena moved(std::move(arena));
  EXPECT_EQ(kept, u"kept");  // the block moved with the arena, not its place
  EXPECT_EQ(arena.reserved(), 0u);
  // The arena moved from starts over instead of writing into the moved block.
  TextView fresh = arena.store(u"fresh");
  EXPECT_EQ(kept, u"kept");
  EXPECT_EQ(fresh, u"fresh");
  moved.clear();
  EXPECT_EQ(moved.reserved(), 0u);
  EXPECT_EQ(moved.store(u"again"), u"again");
}

// The reader's buffer: what waits survives its dropped front and every
// growth, in pages or on the heap.
TEST(PageBytes, KeepsWhatWaitsAsItGrowsAndDropsItsFront) {
  PageBytes bytes;
  std::string expected;
  for (int i = 0; i < 40; ++i) {
    const std::string block(1000 + static_cast<std::size_t>(i) * 7000, static_cast<char>('a' + i % 26));
    std::copy(block.begin(), block.end(), bytes.room(block.size()));
    bytes.commit(block.size());
    expected += block;
    if (i % 3 == 2) {
      bytes.dropFront(expected.size() / 4);
      expected.erase(0, expected.size() / 4);
    }
    ASSERT_EQ(std::string(bytes.data(), bytes.size()), expected) << "after block " << i;
  }
}

TEST(MessageTableStorage, EarlierMessagesSurviveTheTableGrowing) {
  MessageTable table;
  table.append(u"the first message");
  for (int i = 1; i < kMaxMessages; ++i) table.append(numbered(i, 30));
  EXPECT_EQ(table.at(0), u"the first message");
  EXPECT_EQ(table.at(kMaxMessages - 1), numbered(kMaxMessages - 1, 30));
  EXPECT_TRUE(table.at(kMaxMessages).empty());
  EXPECT_THROW(table.append(u"one too many"), RuntimeError);
  EXPECT_EQ(table.count(), kMaxMessages);
  EXPECT_TRUE(table.at(kMaxMessages).empty());
  table.reset();
  EXPECT_EQ(table.count(), 0);
  EXPECT_TRUE(table.at(0).empty());
  EXPECT_THROW(table.at(1), RuntimeError);
}

}  // namespace
}  // namespace tepo
