// The floor of a resident program's memory: a hidden window with an icon in
// the notification area and a message loop, nothing else. bench_gui starts
// it beside tepo.exe and reads what each holds.
#include <windows.h>

#include <shellapi.h>

namespace {

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"bareTray";
  if (!RegisterClassW(&windowClass)) return 1;
  HWND hwnd =
      CreateWindowExW(0, L"bareTray", L"bare tray", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 1;
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof(icon);
  icon.hWnd = hwnd;
  icon.uID = 1;
  icon.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
  icon.uCallbackMessage = WM_APP;
  icon.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  lstrcpyW(icon.szTip, L"bare tray");
  Shell_NotifyIconW(NIM_ADD, &icon);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  Shell_NotifyIconW(NIM_DELETE, &icon);
  return 0;
}
