#include "base/HelpPopup.h"

#include <htmlhelp.h>

#include "base/Handles.h"

namespace {

constexpr WORD kHtmlHelpOrdinal = 14;  // HtmlHelpA

using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

LSTATUS WINAPI RegOpenKeyExCall(HKEY k, LPCSTR n, DWORD o, REGSAM s, PHKEY r) { return ::RegOpenKeyExA(k, n, o, s, r); }
LSTATUS WINAPI RegQueryValueExCall(HKEY k, LPCSTR n, LPDWORD r, LPDWORD t, LPBYTE d, LPDWORD c) {
  return ::RegQueryValueExA(k, n, r, t, d, c);
}
const HelpLoaderPlatform kRealCalls = {&RegOpenKeyExCall, &RegQueryValueExCall, &::LoadLibraryA, &::GetProcAddress};

// Module-wide, used on window threads only; the library stays loaded for
// the life of the process.
struct HelpLoader {
  HMODULE library = nullptr;
  HtmlHelpFn entry = nullptr;
  bool failed = false;
} loader;
HelpLoaderPlatform calls = kRealCalls;

HMODULE LoadRegisteredLibrary() {
  UniqueKey key;
  if (calls.regOpenKeyEx(HKEY_CLASSES_ROOT, "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", 0,
                         KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
    return nullptr;
  char path[MAX_PATH + 1] = {};
  DWORD size = MAX_PATH;
  DWORD type = 0;
  if (calls.regQueryValueEx(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path), &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return nullptr;
  path[MAX_PATH] = '\0';  // a value stored without its NUL stays terminated
  return path[0] ? calls.loadLibrary(path) : nullptr;
}

}  // namespace

HWND CallHtmlHelp(HWND window, const char* file, UINT command, DWORD_PTR data) {
  if (!loader.library && !loader.failed) loader.library = LoadRegisteredLibrary();
  if (!loader.library && !loader.failed) {
    loader.library = calls.loadLibrary("hhctrl.ocx");
    if (!loader.library) loader.failed = true;
  }
  if (!loader.library) return nullptr;
  if (!loader.entry)
    loader.entry = reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void*>(
        calls.getProcAddress(loader.library, MAKEINTRESOURCEA(kHtmlHelpOrdinal))));
  if (!loader.entry) return nullptr;
  return loader.entry(window, file, command, data);
}

HWND ShowHelpPopup(HWND owner, const char* text) {
  DWORD cookie = 0;
  CallHtmlHelp(nullptr, nullptr, HH_INITIALIZE, reinterpret_cast<DWORD_PTR>(&cookie));
  POINT cursor = {0, 0};
  if (!::GetCursorPos(&cursor)) cursor = POINT{0, 0};
  HH_POPUP popup = {};
  popup.cbStruct = sizeof(HH_POPUP);
  popup.hinst = nullptr;
  popup.idString = 0;  // the text is given directly
  popup.pszText = text;
  popup.pt = cursor;
  popup.clrForeground = 0xFFFFFFFF;  // system defaults
  popup.clrBackground = 0xFFFFFFFF;
  popup.rcMargins = RECT{20, 10, 20, 10};
  popup.pszFont = nullptr;
  CallHtmlHelp(owner, nullptr, HH_DISPLAY_TEXT_POPUP, reinterpret_cast<DWORD_PTR>(&popup));
  return CallHtmlHelp(nullptr, nullptr, HH_UNINITIALIZE, cookie);
}

HelpLoaderPlatform& HelpLoaderCalls() { return calls; }
const HelpLoaderPlatform& RealHelpLoaderCalls() { return kRealCalls; }

void ResetHelpLoader() {
  loader.library = nullptr;
  loader.entry = nullptr;
  loader.failed = false;
}
