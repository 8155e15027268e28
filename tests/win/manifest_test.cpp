// tepo.exe's application manifest: read back from the built program, and its
// effects seen from outside in the running program.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "harness.h"

namespace tepo::testing {
namespace {

std::wstring tepoExe() { return testExeFolder() + L"\\tepo.exe"; }

std::string manifestOf(const std::wstring& exe) {
  HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return std::string();
  std::string text;
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  if (loaded) text.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found));
  FreeLibrary(module);
  return text;
}

bool has(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// A setting of the manifest as the system's loader reads it; "<none>" when
// the manifest does not declare it.
std::wstring setting(HANDLE context, const wchar_t* ns, const wchar_t* name) {
  wchar_t value[64] = {};
  SIZE_T written = 0;
  if (!QueryActCtxSettingsW(0, context, ns, name, value, 64, &written)) return L"<none>";
  return value;
}

constexpr wchar_t kSettings2005[] = L"http://schemas.microsoft.com/SMI/2005/WindowsSettings";
constexpr wchar_t kSettings2016[] = L"http://schemas.microsoft.com/SMI/2016/WindowsSettings";
constexpr wchar_t kSettings2017[] = L"http://schemas.microsoft.com/SMI/2017/WindowsSettings";

TEST(Manifest, TheSystemReadsTheProgramsManifestAsIntended) {
  const std::string m = manifestOf(tepoExe());
  ASSERT_FALSE(m.empty()) << "no manifest resource (type 24, id 1) in tepo.exe";

  // A manifest the loader cannot parse stops the program before it starts.
  ACTCTXW request{};
  request.cbSize = sizeof(request);
  request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  const std::wstring exe = tepoExe();
  request.lpSource = exe.c_str();
  request.lpResourceName = MAKEINTRESOURCEW(1);
  HANDLE context = CreateActCtxW(&request);
  ASSERT_NE(context, INVALID_HANDLE_VALUE) << "the system rejects the manifest: " << GetLastError();

  // Saves are not redirected to a VirtualStore; nothing asks for elevation.
  ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level{};
  ASSERT_TRUE(
      QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &level, sizeof(level), nullptr));
  EXPECT_EQ(level.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
  EXPECT_EQ(level.UiAccess, 0u);

  // Crisp GDI text when Windows scales the program; paths past MAX_PATH.
  EXPECT_EQ(setting(context, kSettings2017, L"gdiScaling"), L"true");
  EXPECT_EQ(setting(context, kSettings2016, L"longPathAware"), L"true");
  // The balloon's geometry is in pixels: the program must stay DPI-unaware,
  // and its texts follow the system's code page.
  EXPECT_EQ(setting(context, kSettings2005, L"dpiAware"), L"<none>");
  EXPECT_EQ(setting(context, kSettings2016, L"dpiAwareness"), L"<none>");
  EXPECT_FALSE(has(m, "activeCodePage"));
  ReleaseActCtx(context);

  for (const char* os : {"e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                         "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                         "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"}) {
    EXPECT_TRUE(has(m, (std::string("<supportedOS Id=\"{") + os + "}\"/>").c_str())) << os;
  }
}

HWND openSearch(const TepoProcess& tepo) {
  if (!tepo.choose(L"検索")) return nullptr;
  HWND w = nullptr;
  waitFor([&] { return (w = findWindow(tepo.pid(), L"tepoSearch", L"検索")) != nullptr && IsWindowVisible(w); });
  return w;
}

// Only a version 6 button answers BCM_GETIDEALSIZE. The message is not
// marshalled between processes, so the SIZE lives in tepo's memory.
bool idealSize(const TepoProcess& tepo, HWND button, SIZE* size) {
  void* remote = VirtualAllocEx(tepo.process(), nullptr, sizeof(SIZE), MEM_COMMIT, PAGE_READWRITE);
  if (!remote) return false;
  SIZE zero{0, 0};
  WriteProcessMemory(tepo.process(), remote, &zero, sizeof(zero), nullptr);
  DWORD_PTR answer = 0;
  bool sent = SendMessageTimeoutW(button, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000,
                                  &answer) != 0;
  bool read = ReadProcessMemory(tepo.process(), remote, size, sizeof(SIZE), nullptr) != 0;
  VirtualFreeEx(tepo.process(), remote, 0, MEM_RELEASE);
  return sent && read && answer != 0;
}

TEST(Manifest, RunningProgramHasVersion6Controls) {
  const std::string messages = "one\r\n";
  TepoProcess tepo(&messages);
  ASSERT_TRUE(tepo.started());
  HWND w = openSearch(tepo);
  ASSERT_NE(w, nullptr);
  HWND button = findControl(w, L"Button", L"を検索！");
  ASSERT_NE(button, nullptr);
  SIZE ideal{0, 0};
  EXPECT_TRUE(idealSize(tepo, button, &ideal)) << "the search button is not a version 6 control";
  EXPECT_GT(ideal.cx, 0);
}

}  // namespace
}  // namespace tepo::testing
