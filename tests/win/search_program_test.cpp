// The search dialog in the running program, opened by the popup menu's item.
#include <gtest/gtest.h>
#include <windows.h>

#include "search_fixture.h"

namespace tepo::testing {
namespace {

HWND openFromMenu(const TepoProcess& tepo) {
  if (!tepo.choose(L"検索")) return nullptr;
  HWND w = nullptr;
  waitFor([&] { return (w = findWindow(tepo.pid(), L"tepoSearch", L"検索")) != nullptr && IsWindowVisible(w); });
  return w;
}

std::wstring clickAndAnswer(const TepoProcess& tepo, HWND button) {
  MessageBoxAnswerer answerer(tepo.pid(), answerOk);
  PostMessageW(button, BM_CLICK, 0, 0);
  waitFor([&] { return answerer.count() > 0; });
  return answerer.texts();
}

TEST(SearchProgram, MenuItemOpensOneDialogThatSearchesTheFilesMessages) {
  const std::string messages = shiftJis(L"おはよう\r\nこんにちは\r\nこんばんは\\nおやすみ\r\n");
  TepoProcess tepo(&messages);
  ASSERT_TRUE(tepo.started());
  HWND w = openFromMenu(tepo);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(GetWindow(w, GW_OWNER), nullptr);
  HWND text1 = findControl(w, L"Edit");
  HWND list = findControl(w, L"ListBox");
  SetWindowTextW(text1, L"こん");
  EXPECT_EQ(clickAndAnswer(tepo, findControl(w, L"Button", L"を検索！")), L"2件 見つかりました。");
  EXPECT_EQ(listRows(list), (std::vector<std::wstring>{L"こんにちは", L"こんばんは\r\nおやすみ"}));

  // The item again: the same window, its contents kept.
  HWND again = openFromMenu(tepo);
  EXPECT_EQ(again, w);
  EXPECT_EQ(windowText(text1), L"こん");
  EXPECT_EQ(listRows(list).size(), 2u);

  // 終了 unloads it; the next opening is a fresh, empty window.
  PostMessageW(findControl(w, L"Button", L"終了"), BM_CLICK, 0, 0);
  ASSERT_TRUE(waitFor([&] { return !IsWindow(w); }));
  HWND fresh = openFromMenu(tepo);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(windowText(findControl(fresh, L"Edit")), L"");
  EXPECT_TRUE(listRows(findControl(fresh, L"ListBox")).empty());
  EXPECT_EQ(windowText(findControl(fresh, L"Edit", nullptr, 1)), L"");
  EXPECT_EQ(WaitForSingleObject(tepo.process(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the program ended";
}

BOOL CALLBACK collectVisibleButtons(HWND child, LPARAM lParam) {
  if (_wcsicmp(className(child).c_str(), L"Button") == 0 && IsWindowVisible(child)) {
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(child);
  }
  return TRUE;
}

TEST(SearchProgram, TheReportOffersOnlyOk) {
  const std::string messages = shiftJis(L"おはよう\r\nこんにちは\r\n");
  TepoProcess tepo(&messages);
  ASSERT_TRUE(tepo.started());
  HWND w = openFromMenu(tepo);
  ASSERT_NE(w, nullptr);
  SetWindowTextW(findControl(w, L"Edit"), L"こん");
  PostMessageW(findControl(w, L"Button", L"を検索！"), BM_CLICK, 0, 0);
  HWND box = nullptr;
  ASSERT_TRUE(waitFor([&] { return (box = findMessageBox(tepo.pid())) != nullptr && IsWindowVisible(box); }, 10000));
  std::vector<HWND> buttons;
  EnumChildWindows(box, collectVisibleButtons, reinterpret_cast<LPARAM>(&buttons));
  EXPECT_EQ(buttons.size(), 1u) << "the report offers more than OK";
  EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
  EXPECT_TRUE(GetDlgItem(box, IDCANCEL) == nullptr || !IsWindowVisible(GetDlgItem(box, IDCANCEL)));
  EXPECT_EQ(messageBoxText(box), L"1件 見つかりました。");
  pressButton(box, IDOK);
  EXPECT_TRUE(waitFor([&] { return !IsWindow(box); }));
}

TEST(SearchProgram, WithoutAMessageFileTheDialogReportsNothingFound) {
  TepoProcess tepo(nullptr);
  ASSERT_TRUE(tepo.started());
  HWND w = openFromMenu(tepo);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(clickAndAnswer(tepo, findControl(w, L"Button", L"を検索！")), L"見つかりませんでした。");
  EXPECT_TRUE(listRows(findControl(w, L"ListBox")).empty());
}

}  // namespace
}  // namespace tepo::testing
