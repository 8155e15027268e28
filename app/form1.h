// Form1: the hidden main window. It loads the messages, owns the notification
// icon and the program's other windows, and turns the icon's mouse events into
// the program's actions. It owns the message table and the cursor, and hands
// each window what it needs; its windows and its icon go when it goes. The
// message file is the one its table was read from.
#pragma once

#include <cstdint>
#include <memory>

#include "app/module1.h"
#include "app/pick.h"
#include "app/tray_icon.h"
#include "balloon/frm_msg.h"
#include "editor/frm_mente.h"
#include "files/file_ops.h"
#include "forms/window.h"
#include "messages/message_table.h"
#include "platform/win32.h"
#include "runtime/runtime.h"
#include "search/frm_search.h"

namespace tepo {

class Form1 : public forms::Window {
 public:
  // Every file goes through ops: the system's, or a test's.
  explicit Form1(FileOps& ops) : ops_(ops) {}
  ~Form1() override;

  // Cursor at the last click on the icon, in twips. 32 bits wide so that
  // screens past 2184 pixels work.
  int32_t mx = 0;
  int32_t my = 0;

  // Creates the window and runs its load handler; false if it could not be created.
  bool load();

  // Replaces the message table with the file's messages; failures are silent
  // and keep what was read. The file read is the program's message file from
  // then on: tepo.dat beside the program at load, which the maintenance
  // window edits too.
  void dataRead(const Text& strFile);

  // The messages the icon draws from: msgList and msgCount.
  const MessageTable& messages() const { return *table_; }
  // The same, read again first if the file changed since; whoever holds on
  // to it keeps what it read, while the icon moves on to a newer reading.
  std::shared_ptr<const MessageTable> currentMessages();

  // Ends the program at once, taking the icon out of the notification area
  // first; unsaved edits in the maintenance window are asked about before.
  void quit_Click();

  // The icon, while the program is loaded.
  const TrayIcon* trayIcon() const { return trayIcon_.get(); }

  // The windows Form1 opens.
  tepo::frmMsg& frmMsg() { return frmMsg_; }
  tepo::frmSearch& frmSearch() { return frmSearch_; }
  tepo::frmMente& frmMente() { return frmMente_; }

  // Popup-menu commands.
  void mnuFind_Click();
  void mnuMente_Click();
  void mnuTenmin_Click();

 private:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Form_Load();
  void Form_Unload();

  // The icon's mouse events arrive as mouse moves whose x is the mouse message.
  void Form_MouseMove(int x);
  void readCursor();
  void showMessage();
  void Popmenu();
  void Timer1_Timer();
  // Loads the version 6 controls while the menu is shown, so that the window
  // a command opens does not wait for them; a tepo whose menu never opened
  // does without them.
  void loadControls();
  // A table just read holds its messages as read; it is made small once the
  // click it was read for has its balloon.
  void packLater();
  void applyTimer1();

  FileOps& ops_;
  std::shared_ptr<MessageTable> table_ = std::make_shared<MessageTable>();
  // The program's icon at the system's large and small sizes; the other
  // windows show it too, so it outlives them.
  UniqueIcon bigIcon_;
  UniqueIcon smallIcon_;
  RandomSource random_;
  UniqueMenu menu0_;
  UINT mnuTenmin_ = 0;
  bool timer1Enabled_ = false;
  bool controlsLoaded_ = false;
  UINT timer1Interval_ = 0;
  bool unloaded_ = false;
  tepo::frmMsg frmMsg_;
  tepo::frmSearch frmSearch_;
  tepo::frmMente frmMente_;
  std::unique_ptr<TrayIcon> trayIcon_;
  std::unique_ptr<Module1::Subclass> module1_;
};

}  // namespace tepo
