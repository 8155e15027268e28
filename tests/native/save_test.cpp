#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "files/paths.h"
#include "files/save.h"
#include "files/version.h"
#include "temp_dir.h"
#include "tests/failing_ops.h"

namespace tepo {
namespace {

using testing::FailAt;
using testing::FailingOps;
using testing::ReplaceLeaves;
using testing::TempDir;

// Backup first, then the temporary file.
std::vector<std::string> byExtension(std::vector<std::string> names) {
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return a.substr(a.size() - 4) < b.substr(b.size() - 4); });
  return names;
}

TEST(AtomicSave, WritesTheNewContentsAndLeavesNoTemporaryFile) {
  TempDir dir;
  dir.write("tepo.dat", "old\r\n");
  ASSERT_TRUE(saveAtomically(systemFileOps(), dir.text("tepo.dat"), "new\r\n"));
  EXPECT_EQ(dir.read("tepo.dat"), "new\r\n");
  EXPECT_EQ(dir.files(), std::vector<std::string>{"tepo.dat"});
}

TEST(AtomicSave, CreatesTheFileOnTheFirstSave) {
  TempDir dir;
  ASSERT_TRUE(saveAtomically(systemFileOps(), dir.text("tepo.dat"), ""));
  EXPECT_EQ(dir.files(), std::vector<std::string>{"tepo.dat"});
  EXPECT_EQ(dir.read("tepo.dat"), "");
}

// A power cut right after "saved" must find the whole new file: its bytes
// are written, flushed and closed before it takes the old one's place.
TEST(AtomicSave, FlushesAndClosesTheNewFileBeforeItTakesThePlace) {
  for (bool first : {true, false}) {
    TempDir dir;
    if (!first) dir.write("tepo.dat", "old\r\n");
    FailingOps ops;
    ASSERT_TRUE(saveAtomically(ops, dir.text("tepo.dat"), std::string(3 << 20, 'x')));
    std::vector<std::string> steps;
    for (const std::string& call : ops.calls) {
      if (steps.empty() || steps.back() != call) steps.push_back(call);
    }
    EXPECT_EQ(steps, (std::vector<std::string>{"createTemp", "write", "flush", "close", first ? "move" : "replace"}));
  }
}

class FailedSave : public ::testing::TestWithParam<FailAt> {};

TEST_P(FailedSave, KeepsTheOldFileByteForByteAndRemovesTheTemporary) {
  TempDir dir;
  const std::string old("line one\r\n\x82\xA0\r\n");
  dir.write("tepo.dat", old);
  FailingOps ops(GetParam());
  SaveResult result = saveAtomically(ops, dir.text("tepo.dat"), std::string(100000, 'x'));
  EXPECT_FALSE(result);
  EXPECT_TRUE(result.leftovers.empty());
  EXPECT_EQ(dir.read("tepo.dat"), old);
  EXPECT_EQ(dir.files(), std::vector<std::string>{"tepo.dat"});
  if (GetParam() != FailAt::Replace) {
    EXPECT_EQ(std::count(ops.calls.begin(), ops.calls.end(), "replace"), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(EachStep, FailedSave,
                         ::testing::Values(FailAt::CreateTemp, FailAt::Write, FailAt::Flush, FailAt::Close,
                                           FailAt::Replace));

// Each way the replace step can fail, and what must stand afterwards.
struct ReplaceCase {
  const char* name;
  ReplaceLeaves leaves;
  bool newCannotMove;
  bool oldCannotMove;
  bool saved;
  const char* contents;  // of tepo.dat afterwards; nullptr: it is not there
};

class FailedReplace : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(FailedReplace, TepoDatHoldsTheOldOrTheNewBytesAndNothingStrayIsLeft) {
  const ReplaceCase& c = GetParam();
  TempDir dir;
  dir.write("tepo.dat", "old\r\n");
  FailingOps ops(FailAt::Replace, c.leaves);
  ops.newCannotMove = c.newCannotMove;
  ops.oldCannotMove = c.oldCannotMove;
  SaveResult result = saveAtomically(ops, dir.text("tepo.dat"), "new\r\n");
  EXPECT_EQ(result.saved, c.saved);
  EXPECT_TRUE(result.leftovers.empty());
  if (c.contents) {
    EXPECT_EQ(dir.read("tepo.dat"), c.contents);
    EXPECT_EQ(dir.files(), std::vector<std::string>{"tepo.dat"});
    EXPECT_TRUE(result.newContentsAt.empty());
    EXPECT_TRUE(result.oldContentsAt.empty());
    return;
  }
  // Neither copy could be put back: both are kept, and the result names them.
  std::vector<std::string> files = byExtension(dir.files());
  ASSERT_EQ(files.size(), 2u);
  EXPECT_TRUE(std::regex_match(files[0], std::regex("tep[0-9A-F]{4}\\.bak")));
  EXPECT_TRUE(std::regex_match(files[1], std::regex("tep[0-9A-F]{4}\\.tmp")));
  EXPECT_EQ(result.oldContentsAt, dir.text(files[0]));
  EXPECT_EQ(result.newContentsAt, dir.text(files[1]));
  EXPECT_EQ(dir.read(files[0]), "old\r\n");
  EXPECT_EQ(dir.read(files[1]), "new\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    EachOutcome, FailedReplace,
    ::testing::Values(ReplaceCase{"BothInPlace", ReplaceLeaves::BothInPlace, false, false, false, "old\r\n"},
                      ReplaceCase{"OldDeleted", ReplaceLeaves::OldDeleted, false, false, true, "new\r\n"},
                      ReplaceCase{"OldAtBackup", ReplaceLeaves::OldAtBackup, false, false, true, "new\r\n"},
                      ReplaceCase{"OldAtBackupNewStuck", ReplaceLeaves::OldAtBackup, true, false, false, "old\r\n"},
                      ReplaceCase{"OldAtBackupBothStuck", ReplaceLeaves::OldAtBackup, true, true, false, nullptr}),
    [](const ::testing::TestParamInfo<ReplaceCase>& info) { return std::string(info.param.name); });

TEST(FailedReplaceWithoutBackup, KeepsTheNewContentsWhereTheResultSays) {
  // The old file is gone and the new one cannot be moved: it is the last copy.
  TempDir dir;
  dir.write("tepo.dat", "old\r\n");
  FailingOps ops(FailAt::Replace, ReplaceLeaves::OldDeleted);
  ops.newCannotMove = true;
  SaveResult result = saveAtomically(ops, dir.text("tepo.dat"), "new\r\n");
  EXPECT_FALSE(result);
  ASSERT_EQ(dir.files().size(), 1u);
  EXPECT_EQ(result.newContentsAt, dir.text(dir.files()[0]));
  EXPECT_EQ(dir.read(dir.files()[0]), "new\r\n");
  EXPECT_TRUE(result.oldContentsAt.empty());
}

TEST(AtomicSave, ATemporaryFileThatCannotBeRemovedIsNamed) {
  TempDir dir;
  dir.write("tepo.dat", "old\r\n");
  FailingOps ops(FailAt::Write);
  ops.removesFail = true;
  SaveResult result = saveAtomically(ops, dir.text("tepo.dat"), "new\r\n");
  EXPECT_FALSE(result);
  EXPECT_EQ(dir.read("tepo.dat"), "old\r\n");
  ASSERT_EQ(ops.temps.size(), 1u);
  EXPECT_EQ(result.leftovers, std::vector<Text>{*ops.temps.begin()});
}

TEST(AtomicSave, ABackupThatCannotBeRemovedAfterASaveIsNamed) {
  TempDir dir;
  dir.write("tepo.dat", "old\r\n");
  FailingOps ops;
  ops.removesFail = true;
  SaveResult result = saveAtomically(ops, dir.text("tepo.dat"), "new\r\n");
  EXPECT_TRUE(result);
  EXPECT_EQ(dir.read("tepo.dat"), "new\r\n");
  ASSERT_EQ(result.leftovers.size(), 1u);
  EXPECT_TRUE(std::regex_search(std::string(result.leftovers[0].begin(), result.leftovers[0].end()),
                                std::regex("/tep[0-9A-F]{4}\\.bak$")));
}

TEST(AtomicSave, FolderThatDoesNotExistFails) {
  TempDir dir;
  EXPECT_FALSE(saveAtomically(systemFileOps(), dir.text("missing/tepo.dat"), "x"));
  EXPECT_TRUE(dir.files().empty());
}

TEST(AtomicSave, TakenTemporaryNamesAreSkipped) {
  TempDir dir;
  // Every name but a few is taken: the save still finds one of its own.
  for (int i = 0; i < 0x10000; i += 1) {
    if (i % 4096 == 7) continue;
    Text name = siblingName(dir.text("tepo.dat"), static_cast<uint16_t>(i), u".tmp");
    dir.write(std::string(name.begin() + name.rfind(u'/') + 1, name.end()), "");
  }
  EXPECT_TRUE(saveAtomically(systemFileOps(), dir.text("tepo.dat"), "new\r\n"));
  EXPECT_EQ(dir.read("tepo.dat"), "new\r\n");
}

// What a save compares with the disk: the file read in blocks of any size
// has the version of its bytes held whole, and the same bytes in another
// order (two letters swapped) have another.
TEST(FileVersion, BlocksOfAnySizeGiveTheVersionOfTheWholeAndAnOrderChangesIt) {
  std::string bytes;
  for (int i = 0; i < 70000; ++i) bytes += static_cast<char>('a' + i % 23);
  const FileVersion whole = versionOf(bytes);
  for (std::size_t block : {1u, 7u, 31u, 32u, 33u, 65536u}) {
    VersionOf cut;
    for (std::size_t at = 0; at < bytes.size(); at += block)
      cut.add(bytes.data() + at, std::min(block, bytes.size() - at));
    EXPECT_EQ(cut.version(), whole) << block;
  }
  for (std::size_t at : {0u, 5u, 40000u, 69998u}) {
    std::string swapped = bytes;
    std::swap(swapped[at], swapped[at + 1]);
    EXPECT_NE(versionOf(swapped), whole) << at;
  }
}

// Folders of every length a Windows path can reach: the temporary and backup
// names stay in the folder, and a long path goes to the system in the form
// that lifts the MAX_PATH limit.
TEST(SaveNames, ComeOutRightForFoldersOfEveryLength) {
  for (std::size_t length = 3; length <= 32000; ++length) {
    Text folder = u"C:\\" + Text(length - 3, u'a');
    Text target = folder + u"\\tepo.dat";
    Text temp = siblingName(target, 0xBEEF, u".tmp");
    ASSERT_EQ(temp, folder + u"\\tepBEEF.tmp") << length;
    Text system = extendedPath(temp);
    if (temp.size() < 248) {
      ASSERT_EQ(system, temp) << length;
    } else {
      ASSERT_EQ(system, u"\\\\?\\" + temp) << length;
      ASSERT_LE(system.size(), 32767u) << length;
    }
  }
}

TEST(SaveNames, NetworkAndPrefixedPathsKeepTheirForm) {
  const Text longName(300, u'x');
  EXPECT_EQ(extendedPath(u"\\\\server\\share\\" + longName), u"\\\\?\\UNC\\server\\share\\" + longName);
  EXPECT_EQ(extendedPath(u"\\\\?\\C:\\" + longName), u"\\\\?\\C:\\" + longName);
  EXPECT_EQ(extendedPath(u"C:/dir/" + longName), u"\\\\?\\C:\\dir\\" + longName);
  // A relative path cannot take the prefix; it stays as it is.
  EXPECT_EQ(extendedPath(u"dir\\" + longName), u"dir\\" + longName);
  EXPECT_EQ(siblingName(u"tepo.dat", 1, u".bak"), u"tep0001.bak");
}

}  // namespace
}  // namespace tepo
