// What the other windows use of the main window Form1: its public members,
// which the balloon reads, its loader, which the editor's save calls, and its
// window, which owns the editor. Form1 provides it; the windows reach it here,
// so that no layer below the app includes the app.
#pragma once

#include <windows.h>

#include <cstdint>

#include "store/runtime.h"

namespace tepo::forms {

class MainForm {
 public:
  // Cursor at the last click on the icon, in twips. 32 bits wide so that
  // screens past 2184 pixels work.
  int32_t mx = 0;
  int32_t my = 0;
  // Measures of the message shown last.
  int16_t lineCnt = 0;
  int16_t crCnt = 0;

  // Replaces the program's message table with the file's messages.
  virtual void dataRead(const Text& strFile) = 0;
  virtual HWND window() const = 0;

 protected:
  // The one main form registers itself for the run.
  MainForm();
  virtual ~MainForm();
  MainForm(const MainForm&) = delete;
  MainForm& operator=(const MainForm&) = delete;
};

// The main form; raises Internal before it exists.
MainForm& mainForm();

}  // namespace tepo::forms
