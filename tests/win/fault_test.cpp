// Saves that fail for real under the file system: the old file must stay as it
// was, the user must hear of it, and the edits must stay for another try.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "editor_fixture.h"

namespace {

using tepo::frmMente;

using tepo::testing::toText;

class FolderFault : public tepo::testing::MenteFixture {
 protected:
  std::wstring folder() {
    const char* env = std::getenv("TEPO_LOCKED_FOLDER");
    std::string narrow = env ? env : "";
    return std::wstring(narrow.begin(), narrow.end());
  }
};

TEST_F(FolderFault, SaveIntoAFolderThatCannotBeWrittenKeepsTheOldFile) {
  const std::wstring dir = folder();
  ASSERT_FALSE(dir.empty()) << "the test is run by CTest, which prepares the folder";
  if (GetFileAttributesW((dir + L"\\.unsupported").c_str()) != INVALID_FILE_ATTRIBUTES) {
    GTEST_SKIP() << "this file system cannot make a folder immutable";
  }
  const std::wstring data = dir + L"\\tepo.dat";
  const std::string before = tepo::testing::readFileBytes(data);
  ASSERT_EQ(before, "old message\r\n");
  form1().dataRead(toText(data));
  const tepo::MessageTable* iconTable = &mainTable();
  EXPECT_EQ(answering([] { form1().mnuMente_Click(); }), L"");
  ASSERT_EQ(rows(), std::vector<std::wstring>{L"old message"});
  typeText(L"new message");
  EXPECT_EQ(click(tepo::testing::kBtnAdd), L"追加します。よろしいですか？|最終行に追加しました");

  EXPECT_EQ(menu(tepo::testing::kMnuSave), L"ファイル保存に失敗しました");
  EXPECT_EQ(tepo::testing::readFileBytes(data), before);
  EXPECT_EQ(&mainTable(), iconTable) << "the main table is not read again after a failed save";
  EXPECT_EQ(rows(), (std::vector<std::wstring>{L"old message", L"new message"})) << "the edits stay";

  // Nothing but the old file is in the folder: no temporary file was left.
  EXPECT_EQ(tepo::testing::filesIn(dir), std::set<std::wstring>{L"tepo.dat"});
}

}  // namespace
