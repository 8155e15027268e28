// Saving from the maintenance window: the bytes written, the main table that
// follows the file, and saves that fail without harming the old file.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <random>
#include <set>

#include "editor_fixture.h"
#include "messages/message_file.h"
#include "messages/message_reader.h"
#include "messages/message_table.h"
#include "messages/message_writer.h"
#include "tests/failing_ops.h"
#include "tests/sample_messages.h"

namespace tepo::testing {
namespace {

const std::wstring kSaved = L"データを保存しました!";
const std::wstring kSaveFailed = L"ファイル保存に失敗しました";
const std::wstring kUncarriable =
    L"行目のメッセージは、\" で始まるか、\" と共に , か先頭の空白を含むか、CR LF の組でない CR か LF、"
    L"または \\n という並びを含むため、次に開いたとき元どおりに読み込めません。このまま保存しますか？";
const std::wstring kChangedOnLoad =
    L"行目のメッセージは、ファイルに書かれていたとおりには読み込めていません（先頭の空白、閉じた \" の後ろの文字、"
    L"閉じていない \"、行を区切った , 、読めないバイトのどれかのため）。保存すると、ファイルのその部分は"
    L"読み込んだとおりに書き換わります。このまま保存しますか？";
const std::wstring kOtherEncoding =
    L"行目のメッセージは、ファイルのほかの行と違う文字コード（ANSI）で書かれていました。保存すると、この行も"
    L"ほかの行と同じ文字コード（UTF-8）で書き換わります。このまま保存しますか？";
const std::wstring kLossy =
    L"行目のメッセージには、ANSI で保存できない文字が含まれています。UTF-8（BOM 付き）で保存しますか？\r\n"
    L"「いいえ」を選ぶと、その文字を ? に置き換えて ANSI で保存します。";
const std::wstring kIncomplete =
    L"ファイルを最後まで読み込めませんでした。読み込めなかったメッセージは、保存するとファイルから失われます。"
    L"このまま保存しますか？";

class MenteSaving : public MenteFixture {
 protected:
  std::vector<Text> mainMessages() {
    std::vector<Text> all;
    for (long i = 0; i < mainTable().count(); ++i) all.push_back(mainTable().at(i));
    return all;
  }
  std::vector<Text> editorMessages() {
    std::vector<Text> all = slotTexts(form().table());
    all.resize(static_cast<std::size_t>(form().table().count()));
    return all;
  }
};

TEST_F(MenteSaving, WritesShiftJisLinesAndTheMainTableFollows) {
  open(&kABCD);
  pick(1);
  typeText(L"ソ表\r\n二行目");
  click(kBtnUpdate);
  pick(3);
  click(kBtnDelete);
  typeText(L"a,b");
  click(kBtnAdd);
  typeText(L"  lead");
  click(kBtnAdd);

  EXPECT_EQ(menu(kMnuSave), kSaved);
  EXPECT_EQ(fileBytes(), "A\r\n\x83\x5C\x95\x5C\\n\x93\xF1\x8D\x73\x96\xDA\r\nC\r\n\"a,b\"\r\n\"  lead\"\r\n");
  EXPECT_EQ(filesIn(folder_.path()), std::set<std::wstring>{L"tepo.dat"});
  EXPECT_EQ(mainMessages(), (std::vector<Text>{u"A", u"ソ表\r\n二行目", u"C", u"a,b", u"  lead"}));

  // The file reads back as the editor held it, commas and blanks included.
  EXPECT_EQ(menu(kMnuOpen), L"");
  EXPECT_EQ(editorMessages(), mainMessages());
}

TEST_F(MenteSaving, EmptyTableWritesZeroBytes) {
  const std::string one = "only\r\n";
  open(&one);
  pick(0);
  click(kBtnDelete);
  EXPECT_EQ(menu(kMnuSave), kSaved);
  EXPECT_EQ(fileBytes(), "");
  EXPECT_EQ(mainTable().count(), 0);
  // The blank row stays until the next load or addition.
  EXPECT_EQ(rows(), std::vector<std::wstring>{L""});
}

TEST_F(MenteSaving, MissingFileIsCreatedByTheFirstSave) {
  EXPECT_EQ(open(nullptr), L"ファイル読み込みに失敗しました");
  EXPECT_EQ(menu(kMnuSave), kSaved);
  EXPECT_EQ(fileBytes(), "");
  typeText(L"hello");
  click(kBtnAdd);
  EXPECT_EQ(menu(kMnuSave), kSaved);
  EXPECT_EQ(fileBytes(), "hello\r\n");
  EXPECT_EQ(mainMessages(), std::vector<Text>{u"hello"});
}

// Another program holds the file open without sharing: the save fails, the
// file and the main table stay, and the edits stay for a second try.
TEST_F(MenteSaving, LockedFileFailsKeepsEverythingAndTheNextTrySucceeds) {
  open(&kABCD);
  typeText(L"E");
  click(kBtnAdd);
  UniqueFile lock(CreateFileW(file_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(lock);
  EXPECT_EQ(menu(kMnuSave), kSaveFailed);
  lock.reset();
  EXPECT_EQ(fileBytes(), kABCD);
  EXPECT_EQ(filesIn(folder_.path()), std::set<std::wstring>{L"tepo.dat"}) << "a temporary file was left";
  EXPECT_EQ(mainTable().count(), 4);
  EXPECT_EQ(rows().size(), 5u);

  EXPECT_EQ(menu(kMnuSave), kSaved);
  EXPECT_EQ(fileBytes(), kABCD + "E\r\n");
  EXPECT_EQ(mainTable().count(), 5);
}

// A read-only message file cannot be replaced: the same clean failure.
TEST_F(MenteSaving, ReadOnlyFileFailsAndTheNextTrySucceeds) {
  open(&kABCD);
  typeText(L"E");
  click(kBtnAdd);
  ASSERT_TRUE(SetFileAttributesW(file_.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(menu(kMnuSave), kSaveFailed);
  SetFileAttributesW(file_.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(fileBytes(), kABCD);
  EXPECT_EQ(filesIn(folder_.path()), std::set<std::wstring>{L"tepo.dat"});
  EXPECT_EQ(mainTable().count(), 4);
  EXPECT_EQ(menu(kMnuSave), kSaved);
  EXPECT_EQ(fileBytes(), kABCD + "E\r\n");
}

TEST_F(MenteSaving, AFailureAtAnyStepReportsAndLeavesTheOldFile) {
  open(&kABCD);
  typeText(L"E");
  click(kBtnAdd);
  for (FailAt step : {FailAt::CreateTemp, FailAt::Write, FailAt::Flush, FailAt::Close, FailAt::Replace}) {
    SCOPED_TRACE(static_cast<int>(step));
    FailingOps ops(step);
    bool saved = true;
    EXPECT_EQ(answering([&] { saved = form().dataSave(toText(file_), ops); }), kSaveFailed);
    EXPECT_FALSE(saved);
    EXPECT_EQ(fileBytes(), kABCD);
    EXPECT_EQ(filesIn(folder_.path()), std::set<std::wstring>{L"tepo.dat"});
    EXPECT_EQ(mainTable().count(), 4);
    EXPECT_EQ(form().table().count(), 5);
  }
}

// An emoji typed into a file in the code page: UTF-8 with its mark holds it,
// '?' stands for it in the code page, or nothing is written.
TEST_F(MenteSaving, UnwritableCharactersOfferUtf8) {
  open(&kABCD);
  typeText(L"smile \U0001F600");
  click(kBtnAdd);
  const std::wstring question = L"5" + kLossy;

  EXPECT_EQ(menu(kMnuSave, answerCancel), question);
  EXPECT_EQ(fileBytes(), kABCD);
  EXPECT_EQ(filesIn(folder_.path()), std::set<std::wstring>{L"tepo.dat"});
  EXPECT_EQ(mainTable().count(), 4);
  EXPECT_EQ(form().table().rows().text(4), u"smile \U0001F600");

  // No: the character is written as '?'.
  EXPECT_EQ(menu(kMnuSave, [&](const std::wstring& text) { return text == question ? IDNO : IDOK; }),
            question + L"|" + kSaved);
  std::string bytes = fileBytes();
  ASSERT_EQ(bytes.substr(0, kABCD.size() + 6), kABCD + "smile ");
  EXPECT_EQ(bytes.find_first_not_of('?', kABCD.size() + 6), bytes.size() - 2);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");

  // Yes: UTF-8 with its mark, which the icon reads as typed.
  EXPECT_EQ(menu(kMnuSave), question + L"|" + kSaved);
  EXPECT_EQ(fileBytes(), "\xEF\xBB\xBF" + kABCD + u8"smile 😀\r\n");
  EXPECT_EQ(mainMessages().back(), u"smile \U0001F600");
  EXPECT_EQ(menu(kMnuSave), kSaved);
}

TEST_F(MenteSaving, MessagesTheFileCannotCarryAreAskedAboutByRow) {
  open(&kABCD);
  // Read back, this would run on through the messages after it.
  typeText(L"\"unclosed quote");
  click(kBtnAdd);
  const std::wstring question = L"5" + kUncarriable;

  EXPECT_EQ(menu(kMnuSave, cancelOn(question)), question);
  EXPECT_EQ(fileBytes(), kABCD);
  EXPECT_EQ(form().table().count(), 5);

  // OK writes the line as it is, as the format always has.
  EXPECT_EQ(menu(kMnuSave), question + L"|" + kSaved);
  EXPECT_EQ(fileBytes(), kABCD + "\"unclosed quote\r\n");
}

// Notepad saved the file after the window read it: a save asks before it
// overwrites that, and Cancel writes nothing. The icon's reading of the
// Notepad file vouches for nothing in the editor.
TEST_F(MenteSaving, AFileAnotherProgramChangedIsNotOverwrittenUnasked) {
  open(&kABCD);
  const std::string notepad = kABCD + "added in Notepad\r\n";
  writeFile(notepad);
  SendMessageW(form1().hwnd(), WM_MOUSEMOVE, 1, WM_LBUTTONUP);
  form1().frmMsg().windowClose();
  EXPECT_EQ(mainTable().count(), 5) << "a click on the icon reads the changed file";
  EXPECT_EQ(menu(kMnuSave, cancelOn(kChangedElsewhere)), kChangedElsewhere);
  EXPECT_EQ(fileBytes(), notepad);

  EXPECT_EQ(menu(kMnuSave), kChangedElsewhere + L"|" + kSaved);
  EXPECT_EQ(fileBytes(), kABCD);
  // Its own save changed nothing behind its back.
  EXPECT_EQ(menu(kMnuSave), kSaved);

  // Fixes that keep the size and, on FAT, the write time: one letter, and two
  // swapped, the same bytes in another order.
  for (const std::string fixed : {"A\r\nb\r\nC\r\nD\r\n", "B\r\nA\r\nC\r\nD\r\n"}) {
    FILETIME written{};
    {
      UniqueFile f(CreateFileW(file_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
      GetFileTime(f.get(), nullptr, nullptr, &written);
    }
    writeFile(fixed);
    {
      UniqueFile f(
          CreateFileW(file_.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
      SetFileTime(f.get(), nullptr, nullptr, &written);
    }
    EXPECT_EQ(menu(kMnuSave, cancelOn(kChangedElsewhere)), kChangedElsewhere) << fixed;
    EXPECT_EQ(fileBytes(), fixed);
  }

  // The file layer's version is what tells.
  FailingOps elsewhere;
  elsewhere.writtenElsewhere = true;
  EXPECT_EQ(answering([&] { EXPECT_FALSE(form().dataSave(toText(file_), elsewhere)); }, answerCancel),
            kChangedElsewhere);
  EXPECT_TRUE(elsewhere.calls.empty());

  // Notepad saves while another question of the save is up: asked last.
  const std::string opened = fileBytes();
  ASSERT_EQ(menu(kMnuOpen), L"");
  typeText(L"\"quoted\" first");
  click(kBtnAdd);
  const std::string meanwhile = kABCD + "saved while the question was up\r\n";
  EXPECT_EQ(menu(kMnuSave,
                 [&](const std::wstring& text) {
                   if (text == L"5" + kUncarriable) writeFile(meanwhile);
                   return text == kChangedElsewhere ? IDCANCEL : IDOK;
                 }),
            L"5" + kUncarriable + L"|" + kChangedElsewhere);
  EXPECT_EQ(fileBytes(), meanwhile);
  // And again while that question is up: asked about what is there now.
  bool changedAgain = false;
  EXPECT_EQ(menu(kMnuSave,
                 [&](const std::wstring& text) {
                   if (text == kChangedElsewhere && !changedAgain) writeFile(kABCD + "again\r\n");
                   changedAgain = changedAgain || text == kChangedElsewhere;
                   return IDOK;
                 }),
            L"5" + kUncarriable + L"|" + kChangedElsewhere + L"|" + kChangedElsewhere + L"|" + kSaved);
  EXPECT_EQ(fileBytes(), opened + "\"quoted\" first\r\n");
}

// Lines written by hand, whatever the reader made of them, go back as they
// were written when a message is added; where the user's own change meets
// such a line, the save names it and asks first.
TEST_F(MenteSaving, HandWrittenLinesAreSavedBackAsTheyWere) {
  const std::string added = "\x92\xC7\x89\xC1\r\n";  // 追加
  const struct {
    std::string bytes;
    std::string added;
  } cases[] = {
      {"one\r\n\"two\r\nthree\r\nsay \"hi\" there\r\nsix\r\n", added},
      {"ok\r\n  indented\r\n", added},
      {"\x81\x45 ok\r\nok\r\nbad\x81\r\n", added},
      // NEC and IBM codes, which the code page writes otherwise.
      {"\x87\x90\xED\x95\r\n", added},
      {"ok\r\n\x83\x89\x83\x93\x83\x60\x82\xCD"
       "1,000\x89\x7E\x82\xC5\x82\xB5\x82\xBD\r\n",
       added},
      // Notepad's "Unicode", little and big endian.
      {std::string("\xFF\xFE\x42\x30\r\0\n\0", 8), std::string("\xFD\x8F\xA0\x52\r\0\n\0", 8)},
      {std::string("\xFE\xFF\x30\x42\0\r\0\n", 8), std::string("\x8F\xFD\x52\xA0\0\r\0\n", 8)},
      // A Shift-JIS line appended to UTF-8.
      {u8"日本語\r\n"
       "\x82\xA0\r\n",
       u8"追加\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    ASSERT_EQ(open(&c.bytes), L"");
    typeText(L"追加");
    click(kBtnAdd);
    EXPECT_EQ(menu(kMnuSave), kSaved);
    EXPECT_EQ(fileBytes(), c.bytes + c.added);
    form().destroy();
  }

  // Deleting one piece of a Shift-JIS line split at a comma, in a UTF-8
  // file: the other piece is written anew, in UTF-8.
  const std::string split = u8"日本語\r\n\x82\xA0,\x82\xA2\r\n";
  ASSERT_EQ(open(&split), L"");
  pick(2);
  click(kBtnDelete);
  EXPECT_EQ(menu(kMnuSave, answerCancel), L"2" + kChangedOnLoad);
  EXPECT_EQ(fileBytes(), split);
  EXPECT_EQ(menu(kMnuSave), L"2" + kChangedOnLoad + L"|2" + kOtherEncoding + L"|" + kSaved);
  EXPECT_EQ(fileBytes(), u8"日本語\r\nあ\r\n");
}

// tepo reads back what it writes. 凜。 in Shift-JIS is well-formed UTF-8 too,
// but reads as ꣁB, which real text hardly holds: saved as the code page's, it comes
// back. 荳。 would come back as 丁B: the save says so and offers UTF-8 with
// its mark, which comes back everywhere.
TEST_F(MenteSaving, WhatTepoSavesReadsBackAsTheUserWroteIt) {
  const std::wstring misread =
      L"1行目のメッセージは、このまま ANSI で保存すると、次に開いたとき別の文字コードとして読まれ、違う文字に"
      L"なります。UTF-8（BOM 付き）で保存しますか？\r\n「いいえ」を選ぶと ANSI のまま保存します。";
  open(nullptr);
  typeText(L"凜。");
  click(kBtnAdd);
  EXPECT_EQ(menu(kMnuSave), kSaved);
  EXPECT_EQ(fileBytes(), "\xEA\xA3\x81\x42\r\n");
  EXPECT_EQ(mainMessages(), std::vector<Text>{u"凜。"});

  pick(0);
  typeText(L"荳。");
  click(kBtnUpdate);
  EXPECT_EQ(menu(kMnuSave, answerCancel), misread);
  EXPECT_EQ(fileBytes(), "\xEA\xA3\x81\x42\r\n");
  EXPECT_EQ(menu(kMnuSave), misread + L"|" + kSaved);
  EXPECT_EQ(fileBytes(),
            "\xEF\xBB\xBF"
            u8"荳。\r\n");
  EXPECT_EQ(mainMessages(), std::vector<Text>{u"荳。"});
  // The file says what it is now: nothing more to ask.
  EXPECT_EQ(menu(kMnuSave), kSaved);
}

// More messages than the window holds: a save keeps the rest behind them as
// it was. A file that could not be read may hold anything: a save asks
// before it replaces it.
TEST_F(MenteSaving, TheMessagesPastTheLastOneShownAreKept) {
  std::string bytes;
  for (int i = 0; i < 40000; ++i) bytes += std::to_string(i) + "\r\n";
  writeFile(bytes);
  EXPECT_EQ(open(nullptr), L"ファイル読み込みに失敗しました");
  ASSERT_EQ(form().table().count(), kMaxMessages);
  pick(0);
  click(kBtnDelete);
  EXPECT_EQ(menu(kMnuSave), kSaved);
  EXPECT_EQ(fileBytes(), bytes.substr(3));

  {
    UniqueFile lock(CreateFileW(file_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    EXPECT_EQ(menu(kMnuOpen), L"ファイル読み込みに失敗しました");
  }
  EXPECT_EQ(menu(kMnuSave, cancelOn(kIncomplete)), kIncomplete);
  EXPECT_EQ(fileBytes(), bytes.substr(3));
  EXPECT_EQ(filesIn(folder_.path()), std::set<std::wstring>{L"tepo.dat"});
  // OK is the user's word for what the file held: nothing else is asked.
  EXPECT_EQ(menu(kMnuSave), kIncomplete + L"|" + kSaved);
  EXPECT_EQ(fileBytes(), "");
}

// Any message without a double quote, a lone CR or LF, or a literal "\n" comes
// back from a save and a load exactly as it was, in the system's code page.
TEST_F(MenteSaving, CarriableMessagesSurviveSaveAndReload) {
  const std::vector<Text> pieces = {u"a",  u" ",  u"  ", u",",  u",,", u"\\", u"\t", u"\r\n", u"あ",  u"ソ",
                                    u"表", u"能", u"　", u"ｶﾅ", u"!",  u"n",  u"～", u"①",    u"\\\\"};
  std::mt19937 rng(7);
  std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
  std::uniform_int_distribution<int> length(0, 10);
  std::vector<Text> messages;
  while (messages.size() < 300) {
    Text m;
    for (int n = length(rng); n > 0; --n) m += pieces[pick(rng)];
    if (m.find(u"\\n") == Text::npos && m.find(u"\\\r\n") == Text::npos) messages.push_back(m);
  }
  writeFile(formatFile(messages, messages.size()));
  ASSERT_EQ(open(nullptr), L"");
  ASSERT_EQ(editorMessages(), messages);

  const Text copy = toText(folder_.file(L"copy.dat"));
  ASSERT_EQ(answering([&] { EXPECT_TRUE(form().dataSave(copy, systemFileOps())); }), L"");
  EXPECT_EQ(mainMessages(), messages);
  EXPECT_EQ(readFileBytes(folder_.file(L"copy.dat")), fileBytes());
  ASSERT_EQ(answering([&] { form().dataRead(copy); }), L"");
  EXPECT_EQ(editorMessages(), messages);
}

TEST_F(MenteSaving, LargestTableSavesAndTheMainTableHoldsIt) {
  std::string bytes;
  for (int i = 0; i < kMaxMessages; ++i)
    bytes += "\x83\x81\x83\x62\x83\x5A\x81\x5B\x83\x57 " + std::to_string(i) + "\\n2\r\n";
  writeFile(bytes);
  open(nullptr);
  ASSERT_EQ(form().table().count(), kMaxMessages);
  writeFile("");  // emptied behind the window's back, so the save must write it all again
  DWORD start = GetTickCount();
  EXPECT_EQ(menu(kMnuSave), kChangedElsewhere + L"|" + kSaved);
  std::printf("32767 messages: save and reload of the main table %lu ms (message box included)\n",
              static_cast<unsigned long>(GetTickCount() - start));
  EXPECT_EQ(fileBytes(), bytes);
  EXPECT_EQ(mainTable().count(), kMaxMessages);
  EXPECT_EQ(mainTable().at(32766), u"メッセージ 32766\r\n2");
}

}  // namespace
}  // namespace tepo::testing
