#include <gtest/gtest.h>

#include <set>

#include "store/files.h"
#include "temp_dir.h"

namespace tepo {
namespace {

using testing::TempDir;

enum class Step { None, CreateTemp, Write, Flush, Close, Replace };

// The real file operations, with one step made to fail.
class FailingOps : public FileOps {
 public:
  explicit FailingOps(Step failAt) : failAt_(failAt) {}
  Handle createTemp(const Text& target, Text& tempPath) override {
    if (failAt_ == Step::CreateTemp) return nullptr;
    Handle h = real().createTemp(target, tempPath);
    temps.insert(tempPath);
    return h;
  }
  bool write(Handle f, const char* d, std::size_t n) override {
    if (failAt_ == Step::Write) {
      real().write(f, d, n / 2);  // half of it reached the disk
      return false;
    }
    return real().write(f, d, n);
  }
  bool flush(Handle f) override { return failAt_ != Step::Flush && real().flush(f); }
  bool close(Handle f) override {
    bool ok = real().close(f);
    return failAt_ != Step::Close && ok;
  }
  bool replace(const Text& target, const Text& temp) override {
    ++replaces;
    return failAt_ != Step::Replace && real().replace(target, temp);
  }
  bool remove(const Text& path) override { return real().remove(path); }

  std::set<Text> temps;
  int replaces = 0;

 private:
  static FileOps& real() { return systemFileOps(); }
  Step failAt_;
};

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

class FailedSave : public ::testing::TestWithParam<Step> {};

TEST_P(FailedSave, KeepsTheOldFileByteForByteAndRemovesTheTemporary) {
  TempDir dir;
  const std::string old("line one\r\n\x82\xA0\r\n");
  dir.write("tepo.dat", old);
  FailingOps ops(GetParam());
  EXPECT_FALSE(saveAtomically(ops, dir.text("tepo.dat"), std::string(100000, 'x')));
  EXPECT_EQ(dir.read("tepo.dat"), old);
  EXPECT_EQ(dir.files(), std::vector<std::string>{"tepo.dat"});
  if (GetParam() != Step::Replace) {
    EXPECT_EQ(ops.replaces, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(EachStep, FailedSave,
                         ::testing::Values(Step::CreateTemp, Step::Write, Step::Flush, Step::Close, Step::Replace));

TEST(AtomicSave, FolderThatDoesNotExistFails) {
  TempDir dir;
  EXPECT_FALSE(saveAtomically(systemFileOps(), dir.text("missing/tepo.dat"), "x"));
  EXPECT_TRUE(dir.files().empty());
}

}  // namespace
}  // namespace tepo
