// The maintenance window in this test process, on a message file in a scratch
// folder, with its message boxes answered from a thread of their own.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/form1.h"
#include "editor/frm_mente.h"
#include "harness.h"

namespace tepo::testing {

inline Text toText(const std::wstring& s) { return Text(reinterpret_cast<const char16_t*>(s.c_str()), s.size()); }

class MenteFixture : public ::testing::Test {
 protected:
  // The owner of the window must exist, as it does in the program.
  static void SetUpTestSuite() {
    if (!Form1::instance().isOpen()) {
      ASSERT_TRUE(Form1::instance().load());
    }
  }

  void TearDown() override { frmMente::instance().destroy(); }

  frmMente& form() { return frmMente::instance(); }
  HWND hwnd() { return frmMente::instance().hwnd(); }
  HWND control(int id) { return GetDlgItem(frmMente::instance().hwnd(), id); }
  std::vector<std::wstring> rows() { return listRows(frmMente::instance().List1()); }
  std::wstring text1() { return windowText(frmMente::instance().text1()); }
  int selected() { return static_cast<int>(SendMessageW(frmMente::instance().List1(), LB_GETCURSEL, 0, 0)); }

  void writeFile(const std::string& bytes) { writeFileBytes(file_, bytes); }
  std::string fileBytes() { return readFileBytes(file_); }

  // Runs action while answering every "tepo" box by answer; returns the texts
  // of the boxes seen, separated by '|'.
  std::wstring answering(const std::function<void()>& action,
                         std::function<int(const std::wstring&)> answer = answerOk) {
    MessageBoxAnswerer answerer(GetCurrentProcessId(), std::move(answer));
    action();
    return answerer.texts();
  }

  // Opens the window on the scratch file (bytes written first unless null),
  // by Form1's menu item, as the program does: a save reaches Form1's table.
  std::wstring open(const std::string* bytes) {
    if (bytes) writeFile(*bytes);
    Form1::instance().setMessageFile(toText(file_));
    return answering([] { SendMessageW(Form1::instance().hwnd(), WM_COMMAND, MAKEWPARAM(Form1::kMnuMente, 0), 0); });
  }

  // The messages the icon draws from, which a save makes Form1 read again.
  const MessageTable& mainTable() { return Form1::instance().messages(); }
  void mainTableFrom(const Text& path) { Form1::instance().dataRead(path); }

  std::wstring click(int id, std::function<int(const std::wstring&)> answer = answerOk) {
    return answering([&] { SendMessageW(control(id), BM_CLICK, 0, 0); }, std::move(answer));
  }

  std::wstring menu(int id, std::function<int(const std::wstring&)> answer = answerOk) {
    return answering([&] { SendMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }, std::move(answer));
  }

  // Selects a row as the list box does for the user: the selection, then its notification.
  void pick(int row) {
    HWND list = frmMente::instance().List1();
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    SendMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(frmMente::kList1, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  }

  void typeText(const std::wstring& text) { SetWindowTextW(frmMente::instance().text1(), text.c_str()); }

  TempFolder folder_;
  std::wstring file_ = folder_.file(L"tepo.dat");
};

// The questions before another program's change is overwritten, and before
// unsaved edits are left.
const std::wstring kChangedElsewhere =
    L"ファイルは、開いた後にほかのプログラムで変更されています。保存すると、その変更は失われます。"
    L"このまま保存しますか？";
const std::wstring kAskSaveEdits = L"メッセージの変更が保存されていません。tepo.dat に保存しますか？";

// Cancel for the question with this text, OK for every other box.
inline std::function<int(const std::wstring&)> cancelOn(const std::wstring& question) {
  return [question](const std::wstring& text) { return text == question ? IDCANCEL : IDOK; };
}

}  // namespace tepo::testing
