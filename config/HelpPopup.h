// A short text in a help popup at the mouse cursor (HTML Help text popup).
#pragma once
#include <windows.h>

// Shows `text` (ANSI, lines separated by "\n") and returns at once; the
// result of the display call, which nobody needs to read.
HWND ShowHelpPopup(HWND owner, const char* text);
