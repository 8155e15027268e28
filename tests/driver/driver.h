// tepo.exe worked from outside, as Windows and its user work it: a copy of
// the program started in a folder of its own with the message file given,
// its windows found, its message boxes read and answered, and the bytes of
// files. The Windows-side tests and the benchmarks stand on it.
#pragma once

#include <windows.h>

#include <functional>
#include <set>
#include <string>

#include "platform/win32.h"

namespace tepo::testing {

// The folder of this program: tepo.exe is built beside the tests and benchmarks.
std::wstring testExeFolder();

// Bytes of a file, and writing them.
std::string readFileBytes(const std::wstring& path);
void writeFileBytes(const std::wstring& path, const std::string& bytes);
std::string shiftJis(const std::wstring& text);
// The names of the files and folders in a folder.
std::set<std::wstring> filesIn(const std::wstring& folder);

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::wstring& path() const { return path_; }
  std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

// Waits until condition holds or timeoutMs pass, pumping this thread's messages.
bool waitFor(const std::function<bool()>& condition, int timeoutMs = 5000);

// Top-level windows of a process by class and caption (nullptr: any).
HWND findWindow(DWORD pid, const wchar_t* className, const wchar_t* caption);
std::wstring windowText(HWND hwnd);
std::wstring className(HWND hwnd);

// A control of a window as the user and assistive tools know it: the nth
// child of the class (case aside) with the caption (nullptr: any), counted in
// the order Tab walks them (frames come last), or nullptr.
HWND findControl(HWND window, const wchar_t* className, const wchar_t* caption = nullptr, int nth = 0);

// The popup menu window of the process once it is visible, or nullptr.
HWND findPopupMenu(DWORD pid);

// tepo.exe copied into a folder of its own, with the given tepo.dat (none for a
// null pointer), started and waited for until Form1 exists. With a depth, the
// folder is nested inside the scratch folder until its path is that long.
// The program starts in its own folder unless another current folder is given.
class TepoProcess {
 public:
  explicit TepoProcess(const std::string* messages, std::size_t depth = 0, const std::wstring& currentFolder = L"");
  ~TepoProcess();
  TepoProcess(const TepoProcess&) = delete;
  TepoProcess& operator=(const TepoProcess&) = delete;

  bool started() const { return form1_ != nullptr; }
  HWND form1() const { return form1_; }
  DWORD pid() const { return pid_; }
  HANDLE process() const { return process_.get(); }
  const TempFolder& folder() const { return folder_; }
  const std::wstring& exeFolder() const { return exeFolder_; }
  std::wstring dataFile() const { return exeFolder_ + L"\\tepo.dat"; }

  // Sends the tray callback the shell would send for a mouse message.
  void trayEvent(UINT mouseMessage) const;
  // The same, returning when the program has handled it (never for the right
  // press, whose menu waits for the user); false if it did not answer.
  bool trayEventHandled(UINT mouseMessage) const;
  // Chooses an item of the icon's menu as the user does: a right click, then
  // the arrow keys and Enter. Returns at once; false if no menu opened.
  bool choose(const wchar_t* item) const;
  // Opens the editor from the icon's menu as choose does; its window once it
  // shows, or nullptr.
  HWND openEditor() const;
  // The balloon on screen and its text.
  HWND balloon() const;
  std::wstring balloonText() const;
  bool exited(int timeoutMs = 5000) const;

 private:
  TempFolder folder_;
  std::wstring exeFolder_;
  UniqueKernelObject process_;
  UniqueKernelObject thread_;
  DWORD pid_ = 0;
  HWND form1_ = nullptr;
};

// Whether the icon (hwnd, uID 1) is in the notification area: only an existing
// icon can be modified.
bool trayIconExists(HWND owner);

// A sign-out that Windows calls off, as it does once a program refused it:
// WM_QUERYENDSESSION to each top-level window of the process, then
// WM_ENDSESSION with FALSE to each. Whether one of them refused.
bool callOffSignOut(DWORD pid);

// A message box of the given process with the caption "tepo", or nullptr.
HWND findMessageBox(DWORD pid);
std::wstring messageBoxText(HWND box);
// Presses IDOK (IDYES where the box has no OK), IDNO or IDCANCEL.
void pressButton(HWND box, int id);

}  // namespace tepo::testing
