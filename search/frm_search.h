// frmSearch: the modeless tool window that lists every message containing a
// typed text and shows a selected one in full.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "forms/controls.h"
#include "forms/window.h"
#include "messages/message_table.h"
#include "platform/win32.h"
#include "search/match.h"

namespace tepo {

class frmSearch : public forms::Window {
 public:
  // Where the messages come from: the table as it stands when a search runs.
  using Messages = std::function<std::shared_ptr<const MessageTable>()>;

  // Opens the window on the messages it searches, or brings the open one
  // forward with its contents kept. False if the system could not create it.
  bool show(Messages messages);

 private:
  bool createWindow();
  bool createControls();
  void onDestroyed() override;

  void cmdSearch_Click();
  void List1_Click();
  void Command1_Click();

  forms::Frame Frame1_;
  forms::Edit text1_;
  forms::Button cmdSearch_;
  forms::QuitFrame Frame4_;
  forms::ListBox List1_;
  forms::Edit Text2_;

  Messages messages_;
  // The table the last search went through: its rows show its messages,
  // whatever the icon has read since.
  std::shared_ptr<const MessageTable> msgList_;
  UniqueFont text2Font_;
  SearchHits hits_;
};

}  // namespace tepo
