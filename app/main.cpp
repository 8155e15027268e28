#include <windows.h>

#include <commctrl.h>

#include "app/form1.h"
#include "files/file_ops.h"
#include "forms/window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The manifest asks for version 6 controls; this makes sure comctl32 is loaded.
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
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
