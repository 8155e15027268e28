#include <windows.h>

#include "app/form1.h"
#include "files/file_ops.h"
#include "forms/window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The manifest asks for version 6 controls. They are not loaded here: the
  // system loads them with the first button, edit or list that needs them
  // (the search dialog, the editor, a message box), so a tepo that only sits
  // in the tray does without their memory.
  tepo::Form1 form1(tepo::systemFileOps());
  if (!form1.load()) return 1;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (tepo::forms::translateDialogMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
