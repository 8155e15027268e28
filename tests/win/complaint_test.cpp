// Failures other than the program's own runtime error, such as memory running
// out: the user is still told, in the complaint balloon or the editor's report.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "balloon/frm_msg.h"
#include "editor_fixture.h"
#include "messages/message_table.h"

namespace {

// Allocations of this many bytes or more fail, as when memory runs out.
std::atomic<std::size_t> failFrom{SIZE_MAX};

}  // namespace

void* operator new(std::size_t size) {
  if (size >= failFrom.load()) throw std::bad_alloc();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace tepo::testing {
namespace {

struct MemoryRunsOut {
  explicit MemoryRunsOut(std::size_t from) { failFrom = from; }
  ~MemoryRunsOut() { failFrom = SIZE_MAX; }
};

// Characters: 40000 bytes as UTF-16 and as Shift-JIS. The limit stays above
// what the test's own threads allocate meanwhile.
const std::size_t kLong = 20000;
const std::size_t kLimit = 30000;

TEST(Complaint, MemoryRunningOutWhilePickingShowsTheComplaintBalloon) {
  Form1 form1(systemFileOps());
  ASSERT_TRUE(form1.load());
  TempFolder folder;
  writeFileBytes(folder.file(L"tepo.dat"), shiftJis(std::wstring(kLong, L'あ')));
  form1.dataRead(toText(folder.file(L"tepo.dat")));
  SendMessageW(form1.hwnd(), WM_MOUSEMOVE, 1, WM_LBUTTONUP);
  ASSERT_TRUE(form1.frmMsg().isOpen());
  {
    MemoryRunsOut out(kLimit);
    SendMessageW(form1.hwnd(), WM_MOUSEMOVE, 1, WM_LBUTTONUP);
  }
  HWND balloon = form1.frmMsg().hwnd();
  ASSERT_TRUE(balloon) << "the old balloon closed and nothing took its place";
  EXPECT_TRUE(IsWindowVisible(balloon));
  EXPECT_EQ(windowText(findControl(balloon, L"Static")), L"なんだか調子悪いみたい...メモリが不足しています。");
}

using ComplaintEditor = MenteFixture;

TEST_F(ComplaintEditor, MemoryRunningOutInTheChecksBeforeASaveIsReported) {
  const std::string bytes = shiftJis(std::wstring(kLong, L'あ')) + "\r\n";
  ASSERT_EQ(open(&bytes), L"");
  std::wstring seen;
  {
    MemoryRunsOut out(kLimit);
    seen = menu(kMnuSave);
  }
  EXPECT_EQ(seen, L"ファイル保存に失敗しました");
  EXPECT_EQ(fileBytes(), bytes);
}

}  // namespace
}  // namespace tepo::testing
