// Files that must neither crash nor hang the loader, nor take unbounded memory.
#include <gtest/gtest.h>

#include <algorithm>

#include "messages/message_table.h"

namespace tepo {
namespace {

// A file of endless lines made on the fly; counts what the reader took.
class GeneratedFile : public InputFile {
 public:
  GeneratedFile(std::string line, std::size_t totalBytes) : line_(std::move(line)), total_(totalBytes) {}
  std::size_t read(char* buffer, std::size_t size) override {
    std::size_t n = std::min(size, total_ - served_);
    for (std::size_t i = 0; i < n; ++i) buffer[i] = line_[(served_ + i) % line_.size()];
    served_ += n;
    return n;
  }
  std::size_t served() const { return served_; }

 private:
  std::string line_;
  std::size_t total_;
  std::size_t served_ = 0;
};

TEST(BadInput, HundredMegabyteFileStopsAt32767MessagesWithoutReadingItAll) {
  GeneratedFile file("\x83\x65\x83\x58\x83\x67 line of text\r\n", 100u << 20);
  MessageTable table;
  EXPECT_THROW(table.load(file), RuntimeError);
  EXPECT_EQ(table.count(), 32767);
  EXPECT_EQ(table.at(0), u"テスト line of text");
  // 32768 lines of 21 bytes, plus at most one read block beyond.
  EXPECT_LT(file.served(), 32768u * 21 + (1u << 20));
}

TEST(BadInput, FortyThousandLinesLoad32767) {
  GeneratedFile file("x\r\n", 40000u * 3);
  MessageTable table;
  EXPECT_THROW(table.load(file), RuntimeError);
  EXPECT_EQ(table.count(), 32767);
  EXPECT_TRUE(table.at(32767).empty());
}

TEST(BadInput, LineOfSeveralMegabytesIsOneMessage) {
  GeneratedFile file("ab\x82\xa0", 6u << 20);  // no line end at all
  MessageTable table;
  table.load(file);
  ASSERT_EQ(table.count(), 1);
  EXPECT_EQ(table.at(0).size(), (6u << 20) / 4 * 3);
}

TEST(BadInput, OnlyLeadBytesOrNulsAreReadToTheEnd) {
  for (const std::string& pattern : {std::string("\x81"), std::string("\0", 1), std::string("\x81\0", 2)}) {
    GeneratedFile file(pattern, 300000);
    MessageTable table;
    table.load(file);
    EXPECT_EQ(file.served(), 300000u);
    EXPECT_EQ(table.count(), 1);
  }
}

TEST(BadInput, LeadBytesBeforeLineEndsStillSplitLines) {
  // However a stray lead byte and the CR behind it decode, the LF ends the line.
  GeneratedFile file("\xff\x81\r\n", 4000);
  MessageTable table;
  table.load(file);
  EXPECT_EQ(table.count(), 1000);
}

}  // namespace
}  // namespace tepo
