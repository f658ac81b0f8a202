// A short text in a help popup at the mouse cursor (HTML Help text popup).
#pragma once
#include <windows.h>

// Shows `text` (ANSI, lines separated by "\n") and returns at once; the
// result of the display call, which nobody needs to read.
HWND ShowHelpPopup(HWND owner, const char* text);

// HtmlHelpA, reached through the HTML Help library loaded at first use; 0
// when the library or its entry point is missing.
HWND CallHtmlHelp(HWND window, const char* file, UINT command, DWORD_PTR data);

// The platform calls of the loader, replaceable by tests that watch what the
// loader asks for and make it fail.
struct HelpLoaderPlatform {
  LSTATUS(WINAPI* regOpenKeyEx)(HKEY parent, LPCSTR name, DWORD options, REGSAM access, PHKEY key);
  LSTATUS(WINAPI* regQueryValueEx)(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);
  HMODULE(WINAPI* loadLibrary)(LPCSTR name);
  FARPROC(WINAPI* getProcAddress)(HMODULE module, LPCSTR name);
};
// The table in use; tests change entries and put the real ones back.
HelpLoaderPlatform& HelpLoaderCalls();
// The system's own functions.
const HelpLoaderPlatform& RealHelpLoaderCalls();
// Forgets what the loader learnt (library, entry point, remembered failure),
// so that the next call loads again through the table in use.
void ResetHelpLoader();
