// Figures of the running program under Wine or Windows: the time from the tray
// callback to the visible balloon, opening the editor on 32767 messages and one
// addition there, and the CPU the resident program uses while idle.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "driver/driver.h"

using namespace tepo::testing;

namespace {

double nowMs() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// A window's text without waiting long on a busy or vanishing window.
std::wstring quickText(HWND hwnd) {
  wchar_t buffer[256] = {};
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 20, &length)) {
    return std::wstring();
  }
  return std::wstring(buffer, length);
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double cpuMs(HANDLE process) {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(process, &created, &exited, &kernel, &user);
  auto ms = [](FILETIME t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 10000.0; };
  return ms(kernel) + ms(user);
}

std::string bigFile() {
  std::wstring text;
  // One short of full, so that one more can be added.
  for (int i = 0; i < 32766; ++i) {
    text += L"メッセージ " + std::to_wstring(i) + (i % 10 == 0 ? L" 二行目\\nです" : L" hello world") + L"\r\n";
  }
  return shiftJis(text);
}

void balloonLatency() {
  const std::string messages = shiftJis(L"こんにちは\r\nhello\r\n");
  TepoProcess tepo(&messages);
  if (!tepo.started()) return;
  std::vector<double> times;
  for (int i = 0; i < 50; ++i) {
    HWND old = findWindow(tepo.pid(), L"tepoBalloon", nullptr);
    double start = nowMs();
    tepo.trayEvent(WM_LBUTTONUP);
    HWND b = nullptr;
    while (nowMs() - start < 5000) {
      b = findWindow(tepo.pid(), L"tepoBalloon", nullptr);
      if (b && b != old && IsWindowVisible(b)) break;
    }
    times.push_back(nowMs() - start);
  }
  std::printf("tray callback to visible balloon: median %.2f ms over %zu clicks\n", median(times), times.size());

  double cpuBefore = cpuMs(tepo.process());
  Sleep(5000);
  std::printf("idle, ten-second mode off: %.1f ms CPU in 5 s\n", cpuMs(tepo.process()) - cpuBefore);
}

void editorFigures() {
  const std::string messages = bigFile();
  TepoProcess tepo(&messages);
  if (!tepo.started()) return;
  double start = nowMs();
  PostMessageW(tepo.form1(), WM_COMMAND, 1002, 0);  // the menu's データメンテナンス
  HWND editor = nullptr;
  HWND list = nullptr;
  while (nowMs() - start < 60000) {
    editor = findWindow(tepo.pid(), nullptr, L"tepoデータメンテナンス");
    list = editor ? FindWindowExW(editor, nullptr, L"LISTBOX", nullptr) : nullptr;
    if (list && IsWindowVisible(editor) && SendMessageW(list, LB_GETCOUNT, 0, 0) == 32766) break;
    Sleep(1);
  }
  std::printf("editor open with 32766 messages (load and list): %.0f ms\n", nowMs() - start);
  if (!list) return;

  HWND add = nullptr;
  for (HWND c = FindWindowExW(editor, nullptr, L"BUTTON", nullptr); c;
       c = FindWindowExW(editor, c, L"BUTTON", nullptr)) {
    if (windowText(c) == L"追加") add = c;
  }
  if (!add) return;
  PostMessageW(editor, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(add), BN_CLICKED), reinterpret_cast<LPARAM>(add));
  HWND box = nullptr;
  while (!(box = findMessageBox(tepo.pid()))) Sleep(1);
  start = nowMs();
  pressButton(box, IDOK);
  while (IsWindow(box) && nowMs() - start < 60000) Sleep(1);
  std::printf("  question closed after %.0f ms\n", nowMs() - start);
  // The report comes once the list has been refilled.
  HWND report = nullptr;
  while (nowMs() - start < 60000) {
    // The report may reuse the question's window handle: go by its text.
    report = findMessageBox(tepo.pid());
    if (report && quickText(GetDlgItem(report, 0xFFFF)) == L"最終行に追加しました") break;
    Sleep(1);
  }
  std::printf("one addition at 32766 rows (refill, select and report): %.0f ms, rows now %ld\n", nowMs() - start,
              static_cast<long>(SendMessageW(list, LB_GETCOUNT, 0, 0)));
  if (report) pressButton(report, IDOK);
}

}  // namespace

int main() {
  balloonLatency();
  editorFigures();
  return 0;
}
