// The icon's table: its load, its limits, and its reload when the file changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include <sys/stat.h>

#include "encodings/ansi.h"
#include "messages/message_file.h"
#include "messages/message_reader.h"
#include "messages/message_table.h"
#include "messages/message_writer.h"
#include "read_bytes.h"
#include "temp_dir.h"
#include "tests/failing_ops.h"

namespace tepo {
namespace {

using testing::readBytes;
using testing::TempDir;

// The icon's table loaded from a tepo.dat of these bytes.
void loadFrom(MessageTable& table, const TempDir& dir, const std::string& bytes) {
  dir.write("tepo.dat", bytes);
  table.load(dir.text("tepo.dat"), systemFileOps());
}

void expectBoundsInvariant(const MessageTable& table) {
  EXPECT_TRUE(table.at(table.count()).empty());
  EXPECT_THROW(table.at(table.count() + 1), RuntimeError);
}

TEST(MessageTable, MissingFileLeavesOneEmptyEntry) {
  TempDir dir;
  MessageTable table;
  EXPECT_THROW(table.load(dir.text("tepo.dat"), systemFileOps()), RuntimeError);
  EXPECT_EQ(table.count(), 0);
  expectBoundsInvariant(table);
}

TEST(MessageTable, EmptyFileLeavesOneEmptyEntry) {
  TempDir dir;
  MessageTable table;
  loadFrom(table, dir, "");
  EXPECT_EQ(table.count(), 0);
  expectBoundsInvariant(table);
}

TEST(MessageTable, ThreeLinesWithALineBreakInTheMiddle) {
  TempDir dir;
  MessageTable table;
  loadFrom(table, dir, "first\r\na\\nb\r\nthird\r\n");
  ASSERT_EQ(table.count(), 3);
  EXPECT_EQ(table.at(1), u"a\r\nb");
  EXPECT_EQ(table.at(3), u"");
  expectBoundsInvariant(table);
}

TEST(MessageTable, GivesBackEveryMessageAsReadWhateverItsCharacters) {
  TempDir dir;
  MessageTable table;
  // UTF-8: kana, then characters the code page lacks (alone, among kana and
  // as a surrogate pair), a byte UTF-8 lacks (read in the code page), ASCII and an empty line.
  loadFrom(table, dir,
           "\xEF\xBB\xBF\xE3\x81\x82\xE3\x81\x84\\n\xEF\xBD\xB1\r\n"
           "caf\xC3\xA9\r\n"
           "\xE3\x81\x82\xF0\x9F\x98\x80\xE3\x81\x84\r\n"
           "x\xFFy\r\n"
           "plain\r\n"
           "\r\n"
           "\xE2\x80\x94\xE3\x80\x9C\r\n");
  const std::vector<Text> expected = {u"あい\r\nｱ", u"café", u"あ\U0001F600い", u"x\uF8F3y",
                                      u"plain",     u"",     u"\u2014\u301C"};
  ASSERT_EQ(table.count(), static_cast<int16_t>(expected.size()));
  // As read, and once made small for the day.
  for (int packed = 0; packed < 2; ++packed) {
    if (packed) table.pack();
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(table.at(static_cast<long>(i)), expected[i]) << i << (packed ? " packed" : " as read");
    }
    expectBoundsInvariant(table);
  }
}

TEST(MessageTable, LoadReplacesThePreviousContents) {
  TempDir dir;
  dir.write("a.dat", "1\r\n2\r\n3\r\n");
  dir.write("b.dat", "x\r\n");
  MessageTable table;
  table.load(dir.text("a.dat"), systemFileOps());
  table.load(dir.text("b.dat"), systemFileOps());
  ASSERT_EQ(table.count(), 1);
  EXPECT_EQ(table.at(0), u"x");
  expectBoundsInvariant(table);
}

TEST(MessageTable, StopsAt32767AndKeepsThem) {
  TempDir dir;
  std::string bytes;
  for (int i = 0; i < 32768; ++i) bytes += "m" + std::to_string(i) + "\r\n";
  dir.write("tepo.dat", bytes);
  MessageTable table;
  try {
    table.load(dir.text("tepo.dat"), systemFileOps());
    FAIL() << "the 32768th message must end the load";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.code(), ErrorCode::Overflow);
  }
  ASSERT_EQ(table.count(), 32767);
  EXPECT_EQ(table.at(32766), u"m32766");
  expectBoundsInvariant(table);
  EXPECT_THROW(table.append(u"more"), RuntimeError);
  EXPECT_EQ(table.count(), 32767);
  expectBoundsInvariant(table);
}

TEST(MessageTable, IndexOutsideTheTableRaises) {
  MessageTable table;
  EXPECT_EQ(table.at(0), u"");
  try {
    table.at(-1);
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.code(), ErrorCode::SubscriptOutOfRange);
  }
  EXPECT_THROW(table.at(1), RuntimeError);
}

TEST(MessageTable, FileIsClosedAfterAFailedLoad) {
  TempDir dir;
  std::string bytes;
  for (int i = 0; i < 32768; ++i) bytes += "x\r\n";
  dir.write("tepo.dat", bytes);
  MessageTable table;
  EXPECT_THROW(table.load(dir.text("tepo.dat"), systemFileOps()), RuntimeError);
  // An open descriptor left behind would show up in /proc/self/fd.
  std::string link = "/proc/self/fd";
  int open = 0;
  for (int fd = 0; fd < 1024; ++fd) {
    char target[4096];
    ssize_t n = ::readlink((link + "/" + std::to_string(fd)).c_str(), target, sizeof(target) - 1);
    if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == dir.file("tepo.dat")) ++open;
  }
  EXPECT_EQ(open, 0);
}

// Messages added in Notepad reach the icon without a restart; a file that
// cannot be read now (being written, replaced, gone) keeps what is held.
TEST(MessageTable, ReloadsAChangedFileAndKeepsItsMessagesWhileItCannotBeRead) {
  TempDir dir;
  const Text path = dir.text("tepo.dat");
  dir.write("tepo.dat", "old\r\n");
  MessageTable table;
  table.load(path, systemFileOps());
  EXPECT_FALSE(table.reloadIfChanged(systemFileOps()));

  dir.write("tepo.dat", "old\r\nnew\r\n");
  EXPECT_TRUE(table.reloadIfChanged(systemFileOps()));
  ASSERT_EQ(table.count(), 2);
  EXPECT_EQ(table.at(1), u"new");

  // A folder in its place opens but cannot be read; then nothing is there.
  ::rename(dir.file("tepo.dat").c_str(), dir.file("moved").c_str());
  ASSERT_EQ(::mkdir(dir.file("tepo.dat").c_str(), 0700), 0);
  EXPECT_FALSE(table.reloadIfChanged(systemFileOps()));
  ::rmdir(dir.file("tepo.dat").c_str());
  EXPECT_FALSE(table.reloadIfChanged(systemFileOps()));
  EXPECT_EQ(table.count(), 2);
  EXPECT_EQ(table.at(1), u"new");

  ::rename(dir.file("moved").c_str(), dir.file("tepo.dat").c_str());
  dir.write("tepo.dat", "a\r\nb\r\nc\r\n");
  EXPECT_TRUE(table.reloadIfChanged(systemFileOps()));
  EXPECT_EQ(table.count(), 3);

  // A writer at work: the file ends inside a character, or is empty for a
  // moment. The messages held stay; found the same at the next look, the
  // file is taken as it is.
  for (const char* meanwhile : {"a\r\nb\r\nc\r\nd\x82", ""}) {
    const int16_t held = table.count();
    dir.write("tepo.dat", meanwhile);
    EXPECT_FALSE(table.reloadIfChanged(systemFileOps()));
    EXPECT_EQ(table.count(), held);
    EXPECT_TRUE(table.reloadIfChanged(systemFileOps()));
    EXPECT_EQ(table.count(), meanwhile[0] ? 4 : 0);
  }

  // The stamp moved while the file was read: never taken, always tried again.
  struct Moving : testing::FailingOps {
    FileStamp stamp(const Text& path) override {
      FileStamp stamp = FailingOps::stamp(path);
      stamp.writeTime += ++calls;
      return stamp;
    }
    uint64_t calls = 0;
  } moving;
  dir.write("tepo.dat", "x\r\n");
  EXPECT_FALSE(table.reloadIfChanged(moving));
  EXPECT_FALSE(table.reloadIfChanged(moving));
  EXPECT_EQ(table.count(), 0);
  EXPECT_TRUE(table.reloadIfChanged(systemFileOps()));
  EXPECT_EQ(table.at(0), u"x");
}

}  // namespace
}  // namespace tepo
