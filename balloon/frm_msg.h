// frmMsg: the speech balloon that shows one message. Created afresh for every
// message, sized and placed from the message and the cursor, closed by a click.
#pragma once

#include <cstdint>

#include "forms/controls.h"
#include "forms/window.h"
#include "runtime/runtime.h"

namespace tepo {

class frmMsg : public forms::Window {
 public:
  // Measures of the message shown last: the bytes of its widest line and
  // its number of lines.
  int16_t lineCnt = 0;
  int16_t crCnt = 0;

  // Shows text in a new balloon standing on the bottom edge of the screen,
  // centred under the cursor's x, mx, in twips: measures it, closes the open
  // balloon, then creates, shapes and shows a new one without taking the
  // focus. Raises on failure (a message too wide or too long for the 16-bit
  // rules, a window the system refused), with no balloon open.
  void showMessage(const Text& text, int32_t mx);

  // Closes the balloon if it is open; does nothing otherwise.
  void windowClose();

 private:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Creates the window and its label, then sizes, places and shapes it.
  void load(int32_t mx);
  void Form_Load(int32_t mx);
  void setCaption(const Text& text);
  void Form_Click();
  void lblDescription_Click();

  forms::Label lblDescription_;
};

}  // namespace tepo
