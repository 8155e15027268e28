// Every message box of the program: caption "tepo", no icon.
#pragma once

#include <windows.h>

#include "runtime/runtime.h"

namespace tepo::forms {

// A report with an OK button.
void report(HWND owner, const Text& text);

// A question with OK and Cancel, OK the default; true only for OK.
bool confirm(HWND owner, const Text& text);

// A question with Yes, No and Cancel, Yes the default; closing the box is Cancel.
enum class Answer { Yes, No, Cancel };
Answer askYesNoCancel(HWND owner, const Text& text);

}  // namespace tepo::forms
