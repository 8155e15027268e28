// Form1: the hidden main window. It loads the messages, owns the notification
// icon and turns the icon's mouse events into the program's actions.
#pragma once

#include <cstdint>

#include "app/tray_icon.h"
#include "forms/main_form.h"
#include "forms/window.h"
#include "platform/win32.h"
#include "store/pick.h"
#include "store/runtime.h"

namespace tepo {

// Its public members mx, my, lineCnt and crCnt come with forms::MainForm,
// through which the other windows reach them.
class Form1 : public forms::Window, public forms::MainForm {
 public:
  // The one Form1 of the program.
  static Form1& instance();

  // Creates the window and runs its load handler; false if it could not be created.
  bool load();

  // Replaces the message table with the file's messages; failures are silent
  // and keep what was read.
  void dataRead(const Text& strFile) override;
  HWND window() const override { return hwnd(); }

  // Ends the program at once, taking the icon out of the notification area first.
  [[noreturn]] void quit();

  const TrayIconRecord& trayIcon() const { return trayIcon_; }

  // The popup menu as the user sees it, and the ten-second timer's state.
  HMENU menu0() const { return menu0_.get(); }
  bool timerEnabled() const { return timer1Enabled_; }
  UINT timerInterval() const { return timer1Interval_; }

  // Command ids of menu0's items.
  static constexpr UINT kMnuFind = 1001;
  static constexpr UINT kMnuMente = 1002;
  static constexpr UINT kMnuTenmin = 1003;
  static constexpr UINT kQuit = 1004;

 private:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Form_Load();
  void Form_Unload();
  void onTaskbarCreated();

  // The icon's mouse events arrive as mouse moves whose x is the mouse message.
  void Form_MouseMove(int x);
  void readCursor();
  void showMessage();
  void showBalloon(const Text& text);
  void Popmenu();
  void Timer1_Timer();
  void setTimer1(bool enabled, UINT interval);

  // Popup-menu commands.
  void mnuFind_Click();
  void mnuMente_Click();
  void mnuTenmin_Click();

  // tepo.dat beside the program, wherever it was started from.
  Text messageFile_;
  TrayIconRecord trayIcon_;
  UniqueIcon bigIcon_;
  UniqueIcon smallIcon_;
  RandomSource random_;
  UniqueMenu menu0_;
  bool timer1Enabled_ = false;
  UINT timer1Interval_ = 0;
  UINT taskbarCreated_ = 0;
  bool unloaded_ = false;
};

}  // namespace tepo
