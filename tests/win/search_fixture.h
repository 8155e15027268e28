// Shared by the search dialog's tests: a message table loaded from a real
// file, the dialog opened in this process, and searches run as clicks with
// the report box answered.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "harness.h"
#include "messages/message_table.h"
#include "search/frm_search.h"

namespace tepo::testing {

// A mouse click on a row, as the user makes it: the list notifies its parent.
inline void clickRow(HWND list, int row) {
  RECT r{};
  SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
  LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(list, WM_LBUTTONUP, 0, at);
}

// A search dialog of the test's own, on messages it loads.
class SearchFixture : public ::testing::Test {
 protected:
  void TearDown() override {
    form_.destroy();
    msgList_ = std::make_shared<MessageTable>();
  }

  // The file as the editor writes it, one line per message, "\n" for a break.
  void loadMessages(const std::wstring& lines) {
    writeFileBytes(folder_.file(L"tepo.dat"), shiftJis(lines));
    loadFile(folder_.file(L"tepo.dat"));
  }
  // A new table each time, as Form1 reads a changed file into one.
  void loadFile(const std::wstring& path) {
    msgList_ = std::make_shared<MessageTable>();
    try {
      msgList_->load(Text(reinterpret_cast<const char16_t*>(path.c_str())), systemFileOps());
    } catch (const RuntimeError&) {
      // As the program's loader: silent, keeping what was read.
    }
  }

  frmSearch& form() { return form_; }
  // The controls as the user finds them: by class and caption, the first or
  // second of a class in the order Tab walks them.
  HWND Frame1() { return findControl(form_.hwnd(), L"Button", L"何をお探しですか？"); }
  HWND text1() { return findControl(form_.hwnd(), L"Edit"); }
  HWND cmdSearch() { return findControl(form_.hwnd(), L"Button", L"を検索！"); }
  HWND Frame4() { return findControl(form_.hwnd(), L"Button", L""); }
  HWND Command1() { return findControl(form_.hwnd(), L"Button", L"終了"); }
  HWND List1() { return findControl(form_.hwnd(), L"ListBox"); }
  HWND Text2() { return findControl(form_.hwnd(), L"Edit", nullptr, 1); }

  void open() {
    ASSERT_TRUE(form().show([this] { return msgList_; }));
    waitFor([] { return false; }, 50);
  }

  // Types the text and clicks the search button; the report boxes it showed.
  // untilReport receives the milliseconds from the click to the report box.
  std::wstring search(const std::wstring& text, double* untilReport = nullptr) {
    SetWindowTextW(text1(), text.c_str());
    LARGE_INTEGER frequency, start;
    QueryPerformanceFrequency(&frequency);
    double seenAfter = -1;
    MessageBoxAnswerer answerer(GetCurrentProcessId(), [&](const std::wstring&) {
      LARGE_INTEGER now;
      QueryPerformanceCounter(&now);
      if (seenAfter < 0) seenAfter = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart;
      return IDOK;
    });
    QueryPerformanceCounter(&start);
    SendMessageW(cmdSearch(), BM_CLICK, 0, 0);
    if (untilReport) *untilReport = seenAfter;
    return answerer.texts();
  }

  std::vector<std::wstring> rows() { return listRows(List1()); }
  std::wstring detail() { return windowText(Text2()); }

  TempFolder folder_;
  // The messages the dialog searches, as Form1's would be.
  std::shared_ptr<MessageTable> msgList_ = std::make_shared<MessageTable>();
  frmSearch form_;
};

}  // namespace tepo::testing
