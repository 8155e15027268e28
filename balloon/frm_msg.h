// frmMsg: the speech balloon that shows one message. Created afresh for every
// message, sized and placed by its load handler, closed by a click.
#pragma once

#include "forms/window.h"
#include "store/runtime.h"

namespace tepo {

class frmMsg : public forms::Window {
 public:
  // The one balloon of the program.
  static frmMsg& instance();

  // Closes the balloon if it is open; does nothing otherwise.
  void windowClose();

  // Sets the message text; the first use after a close creates the window,
  // which runs Form_Load. Raises on failure, with the window closed again.
  void setCaption(const Text& text);

  // Shows the balloon without taking the focus from anyone.
  void show();

  HWND label() const { return lblDescription_; }

 private:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void onDestroyed() override { lblDescription_ = nullptr; }
  void load();
  void Form_Load();
  void Form_Click();
  void lblDescription_Click();

  HWND lblDescription_ = nullptr;
};

}  // namespace tepo
