// Opens the search dialog with a search done and a row selected, then holds it
// for the given number of milliseconds (default 20000): a picture for the read-me.
#include <windows.h>

#include <memory>
#include <string>

#include "harness.h"
#include "messages/message_table.h"
#include "search/frm_search.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR args, int) {
  using namespace tepo;
  testing::TempFolder folder;
  const std::wstring file = folder.file(L"tepo.dat");
  testing::writeFileBytes(file, testing::shiftJis(L"こんにちは！今日もいい天気ですね。\r\n"
                                                  L"疲れたら少し休みましょう。\\nお茶でもいかが？\r\n"
                                                  L"水を飲むのを忘れずに。\r\n"
                                                  L"今日の目標：ひとつだけ片付ける。\r\n"
                                                  L"明日は明日の風が吹く。\r\n"
                                                  L"背筋を伸ばして、深呼吸。\\nはい、吸って……吐いて……\r\n"));
  auto messages = std::make_shared<MessageTable>();
  try {
    messages->load(Text(reinterpret_cast<const char16_t*>(file.c_str())), systemFileOps());
  } catch (const RuntimeError&) {
    return 1;
  }
  frmSearch form;
  if (!form.show([messages] { return messages; })) return 1;
  SetWindowPos(form.hwnd(), HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
  HWND text1 = testing::findControl(form.hwnd(), L"Edit");
  HWND list1 = testing::findControl(form.hwnd(), L"ListBox");
  SetWindowTextW(text1, L"。");
  {
    testing::MessageBoxAnswerer answerer(GetCurrentProcessId(), testing::answerOk);
    SendMessageW(testing::findControl(form.hwnd(), L"Button", L"を検索！"), BM_CLICK, 0, 0);
  }
  RECT r{};
  SendMessageW(list1, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
  SendMessageW(list1, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 5, r.top + 2));
  SendMessageW(list1, WM_LBUTTONUP, 0, MAKELPARAM(r.left + 5, r.top + 2));
  SetFocus(text1);
  int hold = args && *args ? _wtoi(args) : 20000;
  testing::waitFor([&] { return !form.isOpen(); }, hold);
  return 0;
}
