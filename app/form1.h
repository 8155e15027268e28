// Form1: the hidden main window. It loads the messages, owns the notification
// icon and turns the icon's mouse events into the program's actions. It owns
// the message table and the cursor, and hands each window what it needs.
#pragma once

#include <cstdint>
#include <memory>

#include "app/pick.h"
#include "app/tray_icon.h"
#include "forms/window.h"
#include "messages/message_table.h"
#include "platform/win32.h"
#include "runtime/runtime.h"

namespace tepo {

class Form1 : public forms::Window {
 public:
  // The one Form1 of the program.
  static Form1& instance();

  // Command ids of menu0's items; mnuTenmin is the ten-second mode.
  enum : int {
    kMnuFind = 1001,
    kMnuMente,
    kMnuTenmin,
    kQuit,
  };

  // Cursor at the last click on the icon, in twips. 32 bits wide so that
  // screens past 2184 pixels work.
  int32_t mx = 0;
  int32_t my = 0;

  // Creates the window and runs its load handler; false if it could not be created.
  bool load();

  // Replaces the message table with the file's messages; failures are silent
  // and keep what was read.
  void dataRead(const Text& strFile);

  // The message file: tepo.dat beside the program, decided once at load;
  // the maintenance window edits the same one. Tests point it at a scratch
  // folder.
  const Text& messageFile() const { return messageFile_; }
  void setMessageFile(const Text& path) { messageFile_ = path; }

  // The messages the icon draws from: msgList and msgCount.
  const MessageTable& messages() const { return *table_; }
  // The same, read again first if the file changed since; whoever holds on
  // to it keeps what it read, while the icon moves on to a newer reading.
  std::shared_ptr<const MessageTable> currentMessages();

  // Ends the program at once, taking the icon out of the notification area
  // first; unsaved edits in the maintenance window are asked about before.
  void quit_Click();

  const TrayIconRecord& trayIcon() const { return trayIcon_; }

  // The ten-second timer's state.
  bool timerEnabled() const { return timer1Enabled_; }
  UINT timerInterval() const { return timer1Interval_; }

 private:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Form_Load();
  void Form_Unload();
  void onTaskbarCreated();

  // The icon's mouse events arrive as mouse moves whose x is the mouse message.
  void Form_MouseMove(int x);
  void readCursor();
  void showMessage();
  void Popmenu();
  void Timer1_Timer();
  void applyTimer1();

  // Popup-menu commands.
  void mnuFind_Click();
  void mnuMente_Click();
  void mnuTenmin_Click();

  Text messageFile_;
  std::shared_ptr<MessageTable> table_ = std::make_shared<MessageTable>();
  forms::AppIcons icons_;
  TrayIconRecord trayIcon_;
  RandomSource random_;
  UniqueMenu menu0_;
  bool timer1Enabled_ = false;
  UINT timer1Interval_ = 0;
  UINT taskbarCreated_ = 0;
  bool unloaded_ = false;
};

}  // namespace tepo
