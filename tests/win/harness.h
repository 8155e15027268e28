// Shared helpers of the Windows-side tests: scratch folders, a tepo.exe started
// as its own process, finding windows and answering message boxes.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32.h"

namespace tepo::testing {

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

// The rows of a list box, in order; works across processes.
std::vector<std::wstring> listRows(HWND list);

// Twips of the window designs in pixels of this screen.
int px(double twips);
int py(double twips);

// Top-level windows of a process by class and caption (nullptr: any).
HWND findWindow(DWORD pid, const wchar_t* className, const wchar_t* caption);
std::wstring windowText(HWND hwnd);
std::wstring className(HWND hwnd);
// GDI objects alive in this process: the system's count where it keeps one;
// under Wine, which reports 0, by asking every slot of the handle table.
unsigned long gdiObjectCount();

// A window with a caption and a close box that cannot be resized, minimised
// or maximised; records a failure otherwise.
void expectFixedCaptionedWindow(HWND hwnd);

// How many top-level windows of the class the process has.
int countWindows(DWORD pid, const wchar_t* className);

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

// The popup menu window of the process once it is visible, or nullptr.
HWND findPopupMenu(DWORD pid);

// What the screen shows in a rectangle (screen coordinates), as the user sees it.
class ScreenShot {
 public:
  explicit ScreenShot(const RECT& area);
  COLORREF at(int x, int y) const;  // screen coordinates inside the area
  // Whether some pixel of the part of r inside the area matches.
  bool any(const RECT& r, const std::function<bool(COLORREF)>& match) const;

 private:
  RECT area_;
  std::vector<COLORREF> pixels_;
};
bool isDark(COLORREF c);

// Starts a program of the Unix side (such as xdotool) and waits for it; false
// if it could not be started or failed.
bool runUnixProgram(const std::wstring& path, const std::wstring& arguments);

// Whether the icon (hwnd, uID 1) is in the notification area: only an existing
// icon can be modified.
bool trayIconExists(HWND owner);

// Real input through the system, as the user gives it. Keys of a chord go
// down in order and up in reverse; the window under the point gets the click.
void pressKeys(std::initializer_list<WORD> chord);
void clickAt(POINT screen);
// The control that has the keyboard focus in the thread of window, any process.
HWND focusOf(HWND window);
// The colour on the screen at a point of window's client area.
COLORREF screenPixel(HWND window, int x, int y);

// A message box of the given process with the caption "tepo", or nullptr.
HWND findMessageBox(DWORD pid);
std::wstring messageBoxText(HWND box);
// Presses IDOK (IDYES where the box has no OK), IDNO or IDCANCEL.
void pressButton(HWND box, int id);

// Answers message boxes on a thread of its own while the test thread is
// blocked in a handler that shows them; keeps the texts it saw.
class MessageBoxAnswerer {
 public:
  MessageBoxAnswerer(DWORD pid, std::function<int(const std::wstring&)> answer);
  ~MessageBoxAnswerer();
  std::wstring texts() const;  // every text seen, separated by '|'
  int count() const { return count_; }

 private:
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<int> count_{0};
  mutable CRITICAL_SECTION lock_;
  std::wstring texts_;
};

inline int answerOk(const std::wstring&) { return IDOK; }
inline int answerCancel(const std::wstring&) { return IDCANCEL; }
inline int answerNo(const std::wstring&) { return IDNO; }

}  // namespace tepo::testing
