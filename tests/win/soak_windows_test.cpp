// Opening and closing the editor and the search dialog hundreds of times must
// leave no window and no GDI object behind.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/form1.h"
#include "editor/frm_mente.h"
#include "harness.h"
#include "search/frm_search.h"

namespace {

class WindowSoak : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!tepo::Form1::instance().isOpen()) {
      ASSERT_TRUE(tepo::Form1::instance().load());
    }
  }
  void SetUp() override {
    tepo::testing::writeFileBytes(folder_.file(L"tepo.dat"), "one\r\ntwo\r\n");
    tepo::Form1::instance().setMessageFile(reinterpret_cast<const char16_t*>(folder_.file(L"tepo.dat").c_str()));
  }
  tepo::testing::TempFolder folder_;
};

TEST_F(WindowSoak, FiveHundredEditorsAndSearchDialogs) {
  // The first openings create what lives for the whole run (classes, fonts,
  // the system's caches): measure from the fiftieth on.
  const DWORD pid = GetCurrentProcessId();
  unsigned long gdi = 0;
  for (int i = 0; i < 500; ++i) {
    if (i == 50) gdi = tepo::testing::gdiObjectCount();
    // Opened as the popup menu opens them.
    SendMessageW(tepo::Form1::instance().hwnd(), WM_COMMAND, MAKEWPARAM(tepo::Form1::kMnuMente, 0), 0);
    ASSERT_TRUE(tepo::frmMente::instance().isOpen()) << i;
    // The close box, as the user closes it.
    SendMessageW(tepo::frmMente::instance().hwnd(), WM_CLOSE, 0, 0);
    ASSERT_FALSE(tepo::frmMente::instance().isOpen()) << i;

    SendMessageW(tepo::Form1::instance().hwnd(), WM_COMMAND, MAKEWPARAM(tepo::Form1::kMnuFind, 0), 0);
    ASSERT_TRUE(tepo::frmSearch::instance().isOpen()) << i;
    SendMessageW(tepo::frmSearch::instance().hwnd(), WM_CLOSE, 0, 0);
    ASSERT_FALSE(tepo::frmSearch::instance().isOpen()) << i;
  }
  EXPECT_EQ(tepo::testing::countWindows(pid, L"tepoSearch"), 0);
  EXPECT_EQ(tepo::testing::gdiObjectCount(), gdi) << "GDI objects left behind by the windows";
  EXPECT_TRUE(tepo::testing::trayIconExists(tepo::Form1::instance().hwnd()));
}

}  // namespace
