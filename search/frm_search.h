// frmSearch: the modeless tool window that lists every message containing a
// typed text and shows a selected one in full.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "forms/window.h"
#include "messages/message_table.h"
#include "platform/win32.h"
#include "search/match.h"

namespace tepo {

class frmSearch : public forms::Window {
 public:
  // The one frmSearch of the program.
  static frmSearch& instance();

  // Control ids; none is IDOK or IDCANCEL, so Enter and Escape do nothing.
  enum ControlId : int {
    kFrame1 = 101,
    kText1,
    kCmdSearch,
    kFrame4,
    kCommand1,
    kList1,
    kText2,
  };

  // Where the messages come from: the table as it stands when a search runs.
  using Messages = std::function<std::shared_ptr<const MessageTable>()>;

  // Opens the window on the messages it searches, or brings the open one
  // forward with its contents kept. False if the system could not create it.
  bool show(Messages messages);

  HWND Frame1() const { return Frame1_; }
  HWND text1() const { return text1_; }
  HWND cmdSearch() const { return cmdSearch_; }
  HWND List1() const { return List1_; }
  HWND Text2() const { return Text2_; }
  HWND Frame4() const { return Frame4_; }
  HWND Command1() const { return Command1_; }

  const std::vector<int16_t>& hitList() const { return hits_.hitList; }
  int16_t hitCount() const { return hits_.hitCount; }

 private:
  bool createWindow();
  bool createControls();
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void onDestroyed() override;

  void cmdSearch_Click();
  void List1_Click();
  void Command1_Click();

  HWND Frame1_ = nullptr;
  HWND text1_ = nullptr;
  HWND cmdSearch_ = nullptr;
  HWND List1_ = nullptr;
  HWND Text2_ = nullptr;
  HWND Frame4_ = nullptr;
  HWND Command1_ = nullptr;

  Messages messages_;
  // The table the last search went through: its rows show its messages,
  // whatever the icon has read since.
  std::shared_ptr<const MessageTable> msgList_;
  UniqueBrush listBrush_;
  UniqueFont text2Font_;
  SearchHits hits_;
};

}  // namespace tepo
