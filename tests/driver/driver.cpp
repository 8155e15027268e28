#include "driver/driver.h"

#include <shellapi.h>
#include <winternl.h>

#include <cwchar>
#include <vector>

namespace tepo::testing {

std::wstring testExeFolder() {
  wchar_t buffer[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  std::wstring path(buffer, n);
  return path.substr(0, path.find_last_of(L"\\/"));
}

std::string readFileBytes(const std::wstring& path) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return std::string("<missing>");
  std::string out;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) out.append(buffer, got);
  return out;
}

void writeFileBytes(const std::wstring& path, const std::string& bytes) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  DWORD done = 0;
  WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
}

std::string shiftJis(const std::wstring& text) {
  if (text.empty()) return std::string();
  int n = WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

std::set<std::wstring> filesIn(const std::wstring& folder) {
  std::set<std::wstring> names;
  WIN32_FIND_DATAW fd;
  UniqueFind find(FindFirstFileW((folder + L"\\*").c_str(), &fd));
  if (!find) return names;
  do {
    std::wstring name = fd.cFileName;
    if (name != L"." && name != L"..") names.insert(name);
  } while (FindNextFileW(find.get(), &fd));
  return names;
}

namespace {

// folder in the long form, which reaches any depth.
void removeTree(const std::wstring& folder) {
  {
    WIN32_FIND_DATAW fd;
    UniqueFind find(FindFirstFileW((folder + L"\\*").c_str(), &fd));
    if (find) {
      do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring full = folder + L"\\" + name;
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          removeTree(full);
        } else {
          DeleteFileW(full.c_str());
        }
      } while (FindNextFileW(find.get(), &fd));
    }
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

TempFolder::TempFolder() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  static int counter = 0;
  for (;;) {
    path_ = std::wstring(base) + L"tepo-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++counter);
    if (CreateDirectoryW(path_.c_str(), nullptr)) break;
  }
}

TempFolder::~TempFolder() { removeTree(L"\\\\?\\" + path_); }

bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (static_cast<int>(GetTickCount() - start) > timeoutMs) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
}

std::wstring windowText(HWND hwnd) {
  std::vector<wchar_t> buffer(65536);
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                           2000, &length)) {
    return std::wstring();
  }
  return std::wstring(buffer.data(), length);
}

std::wstring className(HWND hwnd) {
  wchar_t buffer[256];
  int n = GetClassNameW(hwnd, buffer, 256);
  return std::wstring(buffer, static_cast<std::size_t>(n > 0 ? n : 0));
}

namespace {

struct FindState {
  DWORD pid;
  const wchar_t* className;
  const wchar_t* caption;
  HWND found;
};

// The caption as the window manager keeps it, read without sending a message:
// a window whose thread is blocked (a test waiting in a handler) answers no
// WM_GETTEXT, and every search would wait for it.
std::wstring captionOf(HWND hwnd) {
  wchar_t buffer[512];
  int n = InternalGetWindowText(hwnd, buffer, 512);
  return std::wstring(buffer, static_cast<std::size_t>(n > 0 ? n : 0));
}

BOOL CALLBACK findProc(HWND hwnd, LPARAM lParam) {
  auto* s = reinterpret_cast<FindState*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != s->pid) return TRUE;
  if (s->className && className(hwnd) != s->className) return TRUE;
  if (s->caption && captionOf(hwnd) != s->caption) return TRUE;
  s->found = hwnd;
  return FALSE;
}

}  // namespace

HWND findWindow(DWORD pid, const wchar_t* cls, const wchar_t* caption) {
  FindState s{pid, cls, caption, nullptr};
  EnumWindows(findProc, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND findControl(HWND window, const wchar_t* cls, const wchar_t* caption, int nth) {
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (_wcsicmp(className(child).c_str(), cls) != 0) continue;
    if (caption && windowText(child) != caption) continue;
    if (nth-- == 0) return child;
  }
  return nullptr;
}

HWND findPopupMenu(DWORD pid) {
  HWND menu = nullptr;
  waitFor(
      [&] {
        menu = findWindow(pid, L"#32768", nullptr);
        return menu != nullptr && IsWindowVisible(menu);
      },
      10000);
  return menu != nullptr && IsWindowVisible(menu) ? menu : nullptr;
}

namespace {

// The system's own process creation, for an exe whose path is past MAX_PATH,
// which CreateProcessW refuses under Wine: the path goes as an NT path.
struct PsAttribute {
  ULONG_PTR attribute;
  SIZE_T size;
  PVOID value;
  PSIZE_T returnLength;
};
struct PsAttributeList {
  SIZE_T totalLength;
  PsAttribute attributes[1];
};
struct PsCreateInfo {
  SIZE_T size;
  BYTE rest[0x58];
};
constexpr ULONG_PTR kPsAttributeImageName = 0x20005;
using NtCreateUserProcessFn = LONG(NTAPI*)(HANDLE*, HANDLE*, ACCESS_MASK, ACCESS_MASK, void*, void*, ULONG, ULONG,
                                           void*, PsCreateInfo*, PsAttributeList*);
using RtlCreateProcessParametersExFn = LONG(NTAPI*)(void**, UNICODE_STRING*, UNICODE_STRING*, UNICODE_STRING*,
                                                    UNICODE_STRING*, void*, UNICODE_STRING*, UNICODE_STRING*,
                                                    UNICODE_STRING*, UNICODE_STRING*, ULONG);

UNICODE_STRING unicodeString(std::wstring& s) {
  UNICODE_STRING u;
  u.Buffer = &s[0];
  u.Length = static_cast<USHORT>(s.size() * sizeof(wchar_t));
  u.MaximumLength = u.Length;
  return u;
}

bool startPastMaxPath(std::wstring exe, std::wstring command, std::wstring startIn, PROCESS_INFORMATION& pi) {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  auto create =
      reinterpret_cast<NtCreateUserProcessFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtCreateUserProcess")));
  auto makeParameters = reinterpret_cast<RtlCreateProcessParametersExFn>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlCreateProcessParametersEx")));
  if (!create || !makeParameters) return false;
  std::wstring ntPath = L"\\??\\" + exe;
  UNICODE_STRING image = unicodeString(exe);
  UNICODE_STRING commandLine = unicodeString(command);
  UNICODE_STRING current = unicodeString(startIn);
  UNICODE_STRING imageNt = unicodeString(ntPath);
  void* parameters = nullptr;
  if (makeParameters(&parameters, &image, nullptr, &current, &commandLine, nullptr, nullptr, nullptr, nullptr, nullptr,
                     1 /* normalized */) != 0) {
    return false;
  }
  PsCreateInfo info{};
  info.size = sizeof(void*) == 8 ? 0x58 : 0x48;
  PsAttributeList attributes{sizeof(PsAttributeList),
                             {{kPsAttributeImageName, imageNt.Length, imageNt.Buffer, nullptr}}};
  LONG status = create(&pi.hProcess, &pi.hThread, PROCESS_ALL_ACCESS, THREAD_ALL_ACCESS, nullptr, nullptr, 0, 0,
                       parameters, &info, &attributes);
  auto destroyParameters = reinterpret_cast<LONG(NTAPI*)(void*)>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlDestroyProcessParameters")));
  if (destroyParameters) destroyParameters(parameters);
  if (status != 0) return false;
  pi.dwProcessId = GetProcessId(pi.hProcess);
  pi.dwThreadId = GetThreadId(pi.hThread);
  return true;
}

}  // namespace

TepoProcess::TepoProcess(const std::string* messages, std::size_t depth, const std::wstring& currentFolder)
    : exeFolder_(folder_.path()) {
  while (exeFolder_.size() < depth) {
    std::size_t room = depth - exeFolder_.size() - 1;
    exeFolder_ += L"\\" + std::wstring(room < 1 ? 1 : (room > 200 ? 200 : room), L'd');
    // Past 248 characters only the long form of the path creates a folder.
    CreateDirectoryW((L"\\\\?\\" + exeFolder_).c_str(), nullptr);
  }
  // The long form of the path reaches any depth; the program is started by
  // the plain one, as a shortcut would.
  std::wstring exe = exeFolder_ + L"\\tepo.exe";
  if (!CopyFileW((testExeFolder() + L"\\tepo.exe").c_str(), (L"\\\\?\\" + exe).c_str(), FALSE)) return;
  if (messages) writeFileBytes(L"\\\\?\\" + dataFile(), *messages);
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  std::wstring command = L"\"" + exe + L"\"";
  const std::wstring& startIn = currentFolder.empty() ? exeFolder_ : currentFolder;
  PROCESS_INFORMATION pi{};
  const bool started = exe.size() < MAX_PATH ? CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0,
                                                              nullptr, startIn.c_str(), &si, &pi) != FALSE
                                             : startPastMaxPath(exe, command, startIn, pi);
  if (!started) return;
  process_.reset(pi.hProcess);
  thread_.reset(pi.hThread);
  pid_ = pi.dwProcessId;
  waitFor(
      [this] {
        form1_ = findWindow(pid_, L"tepoForm1", L"Form1");
        return form1_ != nullptr && trayIconExists(form1_);
      },
      10000);
}

TepoProcess::~TepoProcess() {
  if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
    // Take the icon away as the program's Quit would, then end it.
    if (form1_) {
      NOTIFYICONDATAW nid{};
      nid.cbSize = NOTIFYICONDATAW_V1_SIZE;
      nid.hWnd = form1_;
      nid.uID = 1;
      Shell_NotifyIconW(NIM_DELETE, &nid);
    }
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 5000);
  }
}

bool TepoProcess::choose(const wchar_t* item) const {
  // The menu as the user sees it, top to bottom.
  static const wchar_t* const kItems[] = {L"検索", L"データメンテナンス", L"10秒モード", L"Quit"};
  int downs = 0;
  while (downs < 4 && std::wcscmp(kItems[downs], item) != 0) ++downs;
  trayEvent(WM_RBUTTONDOWN);
  HWND menu = findPopupMenu(pid_);
  if (!menu || downs == 4) return false;
  // Down from nothing selected lands on the first item.
  for (int i = 0; i <= downs + 1; ++i) {
    const WPARAM key = i <= downs ? VK_DOWN : VK_RETURN;
    PostMessageW(menu, WM_KEYDOWN, key, 0);
    PostMessageW(menu, WM_KEYUP, key, 0xC0000000);
    Sleep(50);
  }
  return true;
}

HWND TepoProcess::openEditor() const {
  if (!choose(L"データメンテナンス")) return nullptr;
  HWND w = nullptr;
  waitFor([&] { return (w = findWindow(pid_, L"tepoFrmMente", L"tepoデータメンテナンス")) && IsWindowVisible(w); });
  return w && IsWindowVisible(w) ? w : nullptr;
}

void TepoProcess::trayEvent(UINT mouseMessage) const {
  PostMessageW(form1_, WM_MOUSEMOVE, 1, static_cast<LPARAM>(mouseMessage));
}

bool TepoProcess::trayEventHandled(UINT mouseMessage) const {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(form1_, WM_MOUSEMOVE, 1, static_cast<LPARAM>(mouseMessage), SMTO_NORMAL, 60000, &result) !=
         0;
}

HWND TepoProcess::balloon() const {
  HWND b = findWindow(pid_, L"tepoBalloon", nullptr);
  return b && IsWindowVisible(b) ? b : nullptr;
}

std::wstring TepoProcess::balloonText() const {
  HWND b = balloon();
  return b ? windowText(FindWindowExW(b, nullptr, L"STATIC", nullptr)) : std::wstring(L"<no balloon>");
}

bool TepoProcess::exited(int timeoutMs) const {
  return WaitForSingleObject(process_.get(), static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
}

bool trayIconExists(HWND owner) {
  NOTIFYICONDATAW nid{};
  nid.cbSize = NOTIFYICONDATAW_V1_SIZE;
  nid.hWnd = owner;
  nid.uID = 1;
  nid.uFlags = 0;
  return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

namespace {

struct WindowsOf {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK collectProc(HWND hwnd, LPARAM lParam) {
  auto* s = reinterpret_cast<WindowsOf*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == s->pid) s->found.push_back(hwnd);
  return TRUE;
}

}  // namespace

bool callOffSignOut(DWORD pid) {
  WindowsOf windows{pid, {}};
  EnumWindows(collectProc, reinterpret_cast<LPARAM>(&windows));
  bool refused = false;
  for (HWND w : windows.found) {
    DWORD_PTR agreed = TRUE;
    SendMessageTimeoutW(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &agreed);
    if (!agreed) refused = true;
  }
  for (HWND w : windows.found) {
    SendMessageTimeoutW(w, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, nullptr);
  }
  return refused;
}

HWND findMessageBox(DWORD pid) { return findWindow(pid, L"#32770", L"tepo"); }

std::wstring messageBoxText(HWND box) {
  HWND text = GetDlgItem(box, 0xFFFF);
  if (!text) return std::wstring();
  // Read without a message: the box's thread may be slow to answer one, and
  // a timed-out WM_GETTEXT would give an empty text.
  std::vector<wchar_t> buffer(8192);
  int n = InternalGetWindowText(text, buffer.data(), static_cast<int>(buffer.size()));
  return n > 0 ? std::wstring(buffer.data(), static_cast<std::size_t>(n)) : windowText(text);
}

void pressButton(HWND box, int id) {
  // OK, for a question with Yes, No and Cancel, is Yes.
  if (id == IDOK && !GetDlgItem(box, IDOK)) id = IDYES;
  HWND button = GetDlgItem(box, id);
  if (button) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  } else if (id == IDCANCEL) {
    PostMessageW(box, WM_CLOSE, 0, 0);
  }
}

}  // namespace tepo::testing
