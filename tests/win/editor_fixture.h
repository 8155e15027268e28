// The maintenance window in this test process, on a message file in a scratch
// folder, with its message boxes answered from a thread of their own.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "editor/frm_mente.h"
#include "form1_suite.h"
#include "harness.h"
#include "tests/mente_slots.h"

namespace tepo::testing {

inline Text toText(const std::wstring& s) { return Text(reinterpret_cast<const char16_t*>(s.c_str()), s.size()); }

// The maintenance window of the suite's own Form1, as in the program.
class MenteFixture : public Form1Suite {
 protected:
  void TearDown() override { form().destroy(); }

  frmMente& form() { return form1().frmMente(); }
  HWND hwnd() { return form().hwnd(); }
  // The controls as the user finds them: by class and caption.
  HWND List1() { return findControl(hwnd(), L"ListBox"); }
  HWND text1Edit() { return findControl(hwnd(), L"Edit"); }
  HWND button(const wchar_t* caption) { return findControl(hwnd(), L"Button", caption); }
  std::vector<std::wstring> rows() { return listRows(List1()); }
  std::wstring text1() { return windowText(text1Edit()); }
  int selected() { return static_cast<int>(SendMessageW(List1(), LB_GETCURSEL, 0, 0)); }

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
  // by Form1's menu item once Form1 has read it, as the program does: a save
  // reaches Form1's table.
  std::wstring open(const std::string* bytes) {
    if (bytes) writeFile(*bytes);
    form1().dataRead(toText(file_));
    return answering([] { form1().mnuMente_Click(); });
  }

  // The messages the icon draws from, which a save makes Form1 read again.
  const MessageTable& mainTable() { return form1().messages(); }

  // Clicks the button with this caption.
  std::wstring click(const wchar_t* caption, std::function<int(const std::wstring&)> answer = answerOk) {
    return answering([&] { SendMessageW(button(caption), BM_CLICK, 0, 0); }, std::move(answer));
  }

  // Chooses the item with this caption in the menu bar.
  std::wstring menu(const wchar_t* caption, std::function<int(const std::wstring&)> answer = answerOk) {
    const UINT id = menuCommand(GetMenu(hwnd()), caption);
    EXPECT_NE(id, 0u) << "no menu item " << std::string(caption, caption + wcslen(caption));
    return answering([&] { SendMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }, std::move(answer));
  }

  // Selects a row as the list box does for the user: the selection, then its notification.
  void pick(int row) {
    HWND list = List1();
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    SendMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  }

  void typeText(const std::wstring& text) { SetWindowTextW(text1Edit(), text.c_str()); }

  TempFolder folder_;
  std::wstring file_ = folder_.file(L"tepo.dat");
};

// The captions of frmMente's buttons and menu items, as the user reads them.
constexpr wchar_t kBtnAdd[] = L"追加";
constexpr wchar_t kBtnUpdate[] = L"修正";
constexpr wchar_t kBtnDelete[] = L"削除";
constexpr wchar_t kCommand1[] = L"終了";
constexpr wchar_t kMnuOpen[] = L"開く(&O)";
constexpr wchar_t kMnuSave[] = L"保存(&S)";
constexpr wchar_t kMnuQuit[] = L"終了(&Q)";

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
