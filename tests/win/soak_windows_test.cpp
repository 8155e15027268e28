// Opening and closing the editor and the search dialog hundreds of times must
// leave no window and no GDI object behind.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/form1.h"
#include "harness.h"

namespace {

class WindowSoak : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(form1_.load());
    tepo::testing::writeFileBytes(folder_.file(L"tepo.dat"), "one\r\ntwo\r\n");
    form1_.dataRead(reinterpret_cast<const char16_t*>(folder_.file(L"tepo.dat").c_str()));
  }
  tepo::Form1 form1_{tepo::systemFileOps()};
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
    form1_.mnuMente_Click();
    ASSERT_TRUE(form1_.frmMente().isOpen()) << i;
    // The close box, as the user closes it.
    SendMessageW(form1_.frmMente().hwnd(), WM_CLOSE, 0, 0);
    ASSERT_FALSE(form1_.frmMente().isOpen()) << i;

    form1_.mnuFind_Click();
    ASSERT_TRUE(form1_.frmSearch().isOpen()) << i;
    SendMessageW(form1_.frmSearch().hwnd(), WM_CLOSE, 0, 0);
    ASSERT_FALSE(form1_.frmSearch().isOpen()) << i;
  }
  EXPECT_EQ(tepo::testing::countWindows(pid, L"tepoSearch"), 0);
  EXPECT_EQ(tepo::testing::gdiObjectCount(), gdi) << "GDI objects left behind by the windows";
  EXPECT_TRUE(tepo::testing::trayIconExists(form1_.hwnd()));
}

}  // namespace
