// Figures of the running program under Wine or Windows: the time from the tray
// callback to the visible balloon, opening the editor on 32767 messages, one
// addition and a save there, the CPU the resident program uses while idle,
// and the memory it holds, each against a floor measured in the same run.
#include <windows.h>
// psapi.h needs windows.h first.
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "driver/driver.h"

using namespace tepo::testing;
using tepo::UniqueFile;
using tepo::UniqueKernelObject;

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

// Under Wine a Windows process is a Linux one: its anonymous resident
// memory, which Linux counts in /proc, is the memory it holds of its own
// (Wine leaves the private bytes of another process at zero). The process
// is found by a part of its command line that no other has.
double linuxAnonymousMb(const std::wstring& commandPart) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
  if (search == INVALID_HANDLE_VALUE) return -1;
  double mb = -1;
  do {
    const std::wstring dir = std::wstring(L"Z:\\proc\\") + found.cFileName;
    if (found.cFileName[0] < L'0' || found.cFileName[0] > L'9') continue;
    std::string command = readFileBytes(dir + L"\\cmdline");
    std::replace(command.begin(), command.end(), '\0', ' ');
    const std::string part(commandPart.begin(), commandPart.end());
    if (command.find(part) == std::string::npos) continue;
    const std::string status = readFileBytes(dir + L"\\status");
    const std::size_t at = status.find("RssAnon:");
    if (at != std::string::npos) mb = std::strtod(status.c_str() + at + 8, nullptr) / 1024.0;
    break;
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return mb;
}

// What a process holds of its own: under Wine its anonymous resident memory,
// on Windows its private committed bytes.
struct Memory {
  double ownMb = 0;
  double workingSetMb = 0;
};
Memory memoryOf(HANDLE process, const std::wstring& commandPart) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
  const double anonymous = linuxAnonymousMb(commandPart);
  return Memory{anonymous >= 0 ? anonymous : counters.PrivateUsage / 1048576.0, counters.WorkingSetSize / 1048576.0};
}
void printMemory(const char* what, const Memory& memory, const Memory& floor) {
  std::printf("  %-40s its own %6.2f MB (%+.2f over the floor), working set %6.2f MB\n", what, memory.ownMb,
              memory.ownMb - floor.ownMb, memory.workingSetMb);
}
// What a process holds once it has settled after its start or a change.
Memory settled(HANDLE process, const std::wstring& commandPart) {
  Sleep(1500);
  return memoryOf(process, commandPart);
}
Memory settled(const TepoProcess& tepo) { return settled(tepo.process(), tepo.folder().path()); }

// The floor of a resident program: a hidden window, an icon, a message loop.
Memory bareTrayMemory() {
  const std::wstring exe = testExeFolder() + L"\\bare_tray.exe";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  std::wstring command = L"\"" + exe + L"\"";
  if (!CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return Memory();
  }
  UniqueKernelObject process(info.hProcess);
  UniqueKernelObject thread(info.hThread);
  WaitForInputIdle(process.get(), 5000);
  const Memory memory = settled(process.get(), L"bare_tray.exe");
  TerminateProcess(process.get(), 0);
  WaitForSingleObject(process.get(), 5000);
  return memory;
}

// A durable replace of the bytes, as any careful save does it: a temporary
// file beside the target, flushed, then put in its place.
void durableReplace(const std::wstring& target, const std::string& bytes) {
  const std::wstring temp = target + L".floor";
  {
    UniqueFile file(
        CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    FlushFileBuffers(file.get());
  }
  ReplaceFileW(target.c_str(), temp.c_str(), nullptr, 0, nullptr, nullptr);
}

// One short of full, so that one more can be added.
std::vector<std::wstring> bigRows() {
  std::vector<std::wstring> rows;
  for (int i = 0; i < 32766; ++i) {
    rows.push_back(L"メッセージ " + std::to_wstring(i) + (i % 10 == 0 ? L" 二行目\r\nです" : L" hello world"));
  }
  return rows;
}

std::string bigFile() {
  std::wstring text;
  for (std::wstring row : bigRows()) {
    const std::size_t at = row.find(L"\r\n");
    if (at != std::wstring::npos) row.replace(at, 2, L"\\n");
    text += row + L"\r\n";
  }
  return shiftJis(text);
}

// The floor of opening the editor: a standard list box of this process
// filled with the same rows, drawn once at the end.
double listBoxFloorMs() {
  const std::vector<std::wstring> rows = bigRows();
  std::vector<double> times;
  for (int i = 0; i < 3; ++i) {
    HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"", WS_POPUP | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY, 0,
                                0, 521, 172, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    const double start = nowMs();
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_INITSTORAGE, rows.size(), 0);
    for (const std::wstring& row : rows) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    UpdateWindow(list);
    times.push_back(nowMs() - start);
    DestroyWindow(list);
  }
  return median(times);
}

// The menu opened from the icon and closed again with Escape, as a user
// who changes their mind: it loads the version 6 controls, which stay.
bool openMenuOnce(const TepoProcess& tepo) {
  tepo.trayEvent(WM_RBUTTONDOWN);
  HWND menu = findPopupMenu(tepo.pid());
  if (!menu) return false;
  Sleep(250);
  PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  return waitFor([&] { return !IsWindowVisible(menu); }, 5000);
}

void balloonLatency(const Memory& floor) {
  std::wstring text;
  for (int i = 0; i < 200; ++i) text += L"こんにちは、今日もいい天気ですね " + std::to_wstring(i) + L"\r\n";
  const std::string messages = shiftJis(text);
  TepoProcess tepo(&messages);
  if (!tepo.started()) return;
  printMemory("tepo at rest, 200 messages", settled(tepo), floor);
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

  if (openMenuOnce(tepo)) printMemory("tepo, 200 messages, its menu opened once", settled(tepo), floor);
}

void saveFigures(const TepoProcess& tepo, HWND editor);

// From the menu's データメンテナンス to the editor shown with its rows, in ms.
// The menu opens as a user opens it, from the icon, and stays up for a
// quarter of a second, about what a hand takes to reach the item.
double openEditor(const TepoProcess& tepo, LRESULT rows, HWND& editor, HWND& list) {
  editor = nullptr;
  list = nullptr;
  tepo.trayEvent(WM_RBUTTONDOWN);
  HWND menu = findPopupMenu(tepo.pid());
  if (!menu) return 0;
  Sleep(250);
  PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
  const double start = nowMs();
  PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  while (nowMs() - start < 60000) {
    editor = findWindow(tepo.pid(), nullptr, L"tepoデータメンテナンス");
    list = editor ? FindWindowExW(editor, nullptr, L"LISTBOX", nullptr) : nullptr;
    if (list && IsWindowVisible(editor) && SendMessageW(list, LB_GETCOUNT, 0, 0) == rows) break;
    Sleep(1);
  }
  return nowMs() - start;
}

void editorFigures(const Memory& floor) {
  const std::string messages = bigFile();
  TepoProcess tepo(&messages);
  if (!tepo.started()) return;
  std::printf("  (the full file is %.2f MB)\n", messages.size() / 1048576.0);
  printMemory("tepo at rest, 32766 messages", settled(tepo), floor);
  // What tepo holds just before the editor opens: its menu has been up.
  Memory beforeOpen{};
  if (openMenuOnce(tepo)) {
    beforeOpen = settled(tepo);
    printMemory("tepo, 32766 messages, its menu opened once", beforeOpen, floor);
  }
  HWND editor = nullptr;
  HWND list = nullptr;
  const double open = openEditor(tepo, 32766, editor, list);
  const double listFloor = listBoxFloorMs();
  std::printf(
      "editor open with 32766 messages (load and list): %.0f ms; floor (a list box filled in-process) %.0f ms; "
      "ratio %.2f\n",
      open, listFloor, open / listFloor);
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
  double start = nowMs();
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
  saveFigures(tepo, editor);
  printMemory("tepo, editor open on 32767 messages", memoryOf(tepo.process(), tepo.folder().path()), floor);
  PostMessageW(editor, WM_CLOSE, 0, 0);
  while (IsWindow(editor)) Sleep(10);
  const Memory closed = settled(tepo);
  printMemory("tepo, the editor closed again", closed, floor);
  if (beforeOpen.ownMb > 0) {
    std::printf("  the editor closed again holds %.2f MB more than tepo did before it opened\n",
                closed.ownMb - beforeOpen.ownMb);
  }
  // The first open also loads the version 6 controls, which a second finds there.
  const double again = openEditor(tepo, 32767, editor, list);
  std::printf("editor opened a second time: %.0f ms\n", again);
  if (editor) PostMessageW(editor, WM_CLOSE, 0, 0);
  while (editor && IsWindow(editor)) Sleep(10);
  // Whether what a closed editor leaves is there once, or grows with each open.
  const Memory closedAgain = settled(tepo);
  printMemory("tepo, the editor closed a second time", closedAgain, floor);
  std::printf("  %.2f MB more than after the first close\n", closedAgain.ownMb - closed.ownMb);
}

// What the report alone costs: a message box shown by a thread of this
// process until it is visible. Part of the way from the menu to the report
// that no save can skip.
double reportBoxMs() {
  std::vector<double> times;
  for (int i = 0; i < 7; ++i) {
    const double start = nowMs();
    std::thread shower([] { MessageBoxW(nullptr, L"データを保存しました!", L"bench report", MB_OK); });
    HWND box = nullptr;
    while (nowMs() - start < 10000 && !((box = FindWindowW(L"#32770", L"bench report")) && IsWindowVisible(box)))
      Sleep(0);
    times.push_back(nowMs() - start);
    if (box) pressButton(box, IDOK);
    shower.join();
  }
  return median(times);
}

// FILE > 保存 to the report, against a durable replace of the same bytes.
void saveFigures(const TepoProcess& tepo, HWND editor) {
  std::vector<double> saves;
  for (int i = 0; i < 7; ++i) {
    const double start = nowMs();
    PostMessageW(editor, WM_COMMAND, 1002, 0);  // FILE > 保存
    HWND report = nullptr;
    while (nowMs() - start < 60000) {
      report = findMessageBox(tepo.pid());
      if (report && quickText(GetDlgItem(report, 0xFFFF)) == L"データを保存しました!") break;
      Sleep(0);
    }
    saves.push_back(nowMs() - start);
    if (!report) return;
    pressButton(report, IDOK);
    while (IsWindow(report)) Sleep(1);
  }
  const std::string bytes = readFileBytes(tepo.dataFile());
  const std::wstring floorFile = tepo.folder().file(L"floor.dat");
  writeFileBytes(floorFile, bytes);
  std::vector<double> floors;
  for (int i = 0; i < 15; ++i) {
    const double start = nowMs();
    durableReplace(floorFile, bytes);
    floors.push_back(nowMs() - start);
  }
  std::printf(
      "save at 32767 rows, FILE > 保存 to the report: %.1f ms; floor (temporary file, flush, ReplaceFileW) %.1f "
      "ms; ratio %.1f\n",
      median(saves), median(floors), median(saves) / median(floors));
  std::printf("  a message box like the report, shown by the bench itself: %.1f ms\n", reportBoxMs());
}

}  // namespace

int main() {
  const Memory floor = bareTrayMemory();
  std::printf("memory of a bare tray program, the floor: its own %.2f MB, working set %.2f MB\n", floor.ownMb,
              floor.workingSetMb);
  balloonLatency(floor);
  editorFigures(floor);
  return 0;
}
