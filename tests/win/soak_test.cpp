// Long runs of a real tepo.exe: thousands of balloons must leave its memory
// and objects where they were, and the program answering.
#include <gtest/gtest.h>
#include <windows.h>

#include <psapi.h>

#include <cstdio>

#include "harness.h"

namespace {

using tepo::testing::TepoProcess;

SIZE_T privateBytes(HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
  // Wine leaves PrivateUsage at 0; the commit charge is the same figure there.
  return counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
}

// Hands each event to the program and returns when it has been handled: the
// counts and figures below are then taken with nothing queued and no balloon
// half replaced.
void drive(const TepoProcess& tepo, UINT message, WPARAM wParam, LPARAM lParam, int count) {
  for (int i = 0; i < count; ++i) {
    DWORD_PTR result = 0;
    ASSERT_NE(SendMessageTimeoutW(tepo.form1(), message, wParam, lParam, SMTO_NORMAL, 60000, &result), 0)
        << "no answer to event " << i;
  }
}

TEST(Soak, TenThousandBalloonsKeepMemoryAndObjectsFlat) {
  const std::string messages = tepo::testing::shiftJis(L"こんにちは\r\ntwo\\nlines\r\nみっつめのメッセージ\r\n");
  TepoProcess tepo(&messages);
  ASSERT_TRUE(tepo.started());

  // Warm up, then measure against the state after the first thousand.
  drive(tepo, WM_MOUSEMOVE, 1, WM_LBUTTONUP, 1000);
  const SIZE_T before = privateBytes(tepo.process());
  const DWORD gdiBefore = GetGuiResources(tepo.process(), GR_GDIOBJECTS);
  const DWORD userBefore = GetGuiResources(tepo.process(), GR_USEROBJECTS);

  drive(tepo, WM_MOUSEMOVE, 1, WM_LBUTTONUP, 5000);
  drive(tepo, WM_TIMER, 1, 0, 4000);  // the ten-second mode's path

  const SIZE_T after = privateBytes(tepo.process());
  std::printf("private bytes after 1000 balloons: %zu, after 10000: %zu\n", static_cast<size_t>(before),
              static_cast<size_t>(after));
  EXPECT_LT(after, before + 4 * 1024 * 1024) << "memory grows with every balloon";
  EXPECT_EQ(tepo::testing::countWindows(tepo.pid(), L"tepoBalloon"), 1);
  if (gdiBefore != 0) {
    EXPECT_EQ(GetGuiResources(tepo.process(), GR_GDIOBJECTS), gdiBefore);
  }
  if (userBefore != 0) {
    EXPECT_EQ(GetGuiResources(tepo.process(), GR_USEROBJECTS), userBefore);
  }
  EXPECT_TRUE(tepo::testing::trayIconExists(tepo.form1()));
}

}  // namespace
