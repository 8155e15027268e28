#include "forms/msgbox.h"

#include "forms/controls.h"

namespace tepo::forms {

namespace {

constexpr wchar_t kTitle[] = L"tepo";

}  // namespace

void report(HWND owner, const Text& text) { MessageBoxW(owner, wide(text), kTitle, MB_OK | MB_SETFOREGROUND); }

bool confirm(HWND owner, const Text& text) {
  return MessageBoxW(owner, wide(text), kTitle, MB_OKCANCEL | MB_DEFBUTTON1 | MB_SETFOREGROUND) == IDOK;
}

Answer askYesNoCancel(HWND owner, const Text& text) {
  switch (MessageBoxW(owner, wide(text), kTitle, MB_YESNOCANCEL | MB_DEFBUTTON1 | MB_SETFOREGROUND)) {
    case IDYES:
      return Answer::Yes;
    case IDNO:
      return Answer::No;
    default:
      return Answer::Cancel;
  }
}

}  // namespace tepo::forms
