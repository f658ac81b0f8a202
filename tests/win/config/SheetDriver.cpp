#include "SheetDriver.h"

#include <prsht.h>

#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#include "resources/ResourceIds.h"
#include "settings/SettingsStore.h"

namespace config_test {

namespace {

constexpr char kSheetTitle[] = "Configure Varnoke";

struct FindState {
  HWND found = nullptr;
};

BOOL CALLBACK FindSheetWindow(HWND window, LPARAM context) {
  char title[64] = {};
  ::GetWindowTextA(window, title, sizeof(title));
  if (::IsWindowVisible(window) && lstrcmpA(title, kSheetTitle) == 0 &&
      ::GetDlgItem(window, IDOK) != nullptr && ::SendMessageA(window, PSM_GETTABCONTROL, 0, 0) != 0) {
    reinterpret_cast<FindState*>(context)->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND WaitForSheet(DWORD thread, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < timeoutMs) {
    FindState state;
    ::EnumThreadWindows(thread, FindSheetWindow, reinterpret_cast<LPARAM>(&state));
    if (state.found) return state.found;
    ::Sleep(10);
  }
  return nullptr;
}

// Opens the sheet the way the folder menu's "Configure..." command does. The
// only place that knows how: when InvokeCommand dispatches command offset 1,
// this becomes that call.
// As the shell does it: the "Configure..." item, offset 1, through InvokeCommand.
void OpenConfigureSheet(CShellExt& shellExt) {
  CMINVOKECOMMANDINFO info = {};
  info.cbSize = sizeof(info);
  info.lpVerb = MAKEINTRESOURCEA(1);
  info.nShow = SW_SHOWNORMAL;
  static_cast<IContextMenu&>(shellExt).InvokeCommand(&info);
}

}  // namespace

HWND SheetUser::OpenTab(int index) {
  ::SendMessageA(sheet_, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
  return CurrentPage();
}

HWND SheetUser::CurrentPage() const {
  return reinterpret_cast<HWND>(::SendMessageA(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0));
}

void SheetUser::Click(HWND page, int id) { ::SendMessageA(::GetDlgItem(page, id), BM_CLICK, 0, 0); }

bool SheetUser::IsChecked(HWND page, int id) const {
  return ::SendMessageA(::GetDlgItem(page, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool SheetUser::IsEnabled(HWND page, int id) const { return ::IsWindowEnabled(::GetDlgItem(page, id)) != FALSE; }

void SheetUser::Choose(HWND page, int id, int index) {
  HWND list = ::GetDlgItem(page, id);
  ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

int SheetUser::ChosenIndex(HWND page, int id) const {
  return static_cast<int>(::SendMessageA(::GetDlgItem(page, id), CB_GETCURSEL, 0, 0));
}

int SheetUser::ItemCount(HWND page, int id) const {
  return static_cast<int>(::SendMessageA(::GetDlgItem(page, id), CB_GETCOUNT, 0, 0));
}

std::string SheetUser::Text(HWND control) const {
  char text[512] = {};
  ::SendMessageA(control, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
  return text;
}

void SheetUser::Type(HWND field, const std::string& text) {
  ::SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  for (char c : text) ::SendMessageA(field, WM_CHAR, static_cast<unsigned char>(c), 1);
}

HWND SheetUser::ComboEdit(HWND page, int id) const {
  return ::FindWindowExA(::GetDlgItem(page, id), nullptr, "Edit", nullptr);
}

void SheetUser::PressOk() { ::PostMessageA(::GetDlgItem(sheet_, IDOK), BM_CLICK, 0, 0); }
void SheetUser::PressCancel() { ::PostMessageA(::GetDlgItem(sheet_, IDCANCEL), BM_CLICK, 0, 0); }

bool RunSheet(CShellExt& shellExt, const std::function<void(SheetUser&)>& user, DWORD watchdogMs) {
  const DWORD uiThread = ::GetCurrentThreadId();
  HANDLE closed = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> ok{true};
  std::thread driver([&] {
    HWND sheet = WaitForSheet(uiThread, 10000);
    if (!sheet) {
      std::fprintf(stderr, "the sheet did not open\n");
      ok = false;
      return;
    }
    SheetUser driving(sheet);
    user(driving);
    // A user who forgot to close the sheet has failed the run.
    const DWORD start = ::GetTickCount();
    while (::IsWindow(sheet) && ::GetTickCount() - start < 5000) ::Sleep(10);
    if (::IsWindow(sheet)) {
      std::fprintf(stderr, "the sheet was left open\n");
      ok = false;
      ::PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    }
  });
  // The watchdog: a sheet still open after the time is closed by force,
  // and a process whose sheet will not close at all is ended.
  std::thread watchdog([&] {
    if (::WaitForSingleObject(closed, watchdogMs) == WAIT_OBJECT_0) return;
    ok = false;
    std::fprintf(stderr, "watchdog: the sheet is still open, cancelling it\n");
    HWND sheet = WaitForSheet(uiThread, 1);
    if (sheet) ::PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    if (::WaitForSingleObject(closed, 5000) == WAIT_OBJECT_0) return;
    std::fprintf(stderr, "watchdog: the sheet does not close, ending the test program\n");
    std::fflush(stderr);
    ::ExitProcess(3);
  });
  OpenConfigureSheet(shellExt);
  ::SetEvent(closed);
  driver.join();
  watchdog.join();
  ::CloseHandle(closed);
  return ok;
}

void WriteNumber(const char* name, DWORD value) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr))
    return;
  ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
  ::RegCloseKey(key);
}

void WriteText(const char* name, const std::string& value) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr))
    return;
  ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
  ::RegCloseKey(key);
}

bool ReadNumber(const char* name, DWORD& value) {
  DWORD size = sizeof(value);
  DWORD type = 0;
  return ::RegGetValueA(HKEY_CURRENT_USER, kSettingsKeyPath, name, RRF_RT_ANY, &type, &value, &size) ==
             ERROR_SUCCESS &&
         type == REG_DWORD;
}

bool ReadText(const char* name, std::string& value) {
  char buffer[1024] = {};
  DWORD size = sizeof(buffer);
  DWORD type = 0;
  if (::RegGetValueA(HKEY_CURRENT_USER, kSettingsKeyPath, name, RRF_RT_ANY, &type, buffer, &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ)
    return false;
  value = buffer;
  return true;
}

DWORD ValueCount() {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key)) return 0;
  DWORD values = 0;
  ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
  ::RegCloseKey(key);
  return values;
}

SettingsKeyLock::SettingsKeyLock() : mutex_(::CreateMutexA(nullptr, FALSE, "Varnoke.ConfigTests.SettingsKey")) {
  if (mutex_) ::WaitForSingleObject(mutex_, 120000);
}

SettingsKeyLock::~SettingsKeyLock() {
  if (!mutex_) return;
  ::ReleaseMutex(mutex_);
  ::CloseHandle(mutex_);
}

namespace {

struct BoxSearch {
  HWND sheet;
  HWND box = nullptr;
};

BOOL CALLBACK FindMessageBox(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<BoxSearch*>(context);
  char className[16] = {};
  ::GetClassNameA(window, className, sizeof(className));
  if (window != search->sheet && lstrcmpA(className, "#32770") == 0 && ::IsWindowVisible(window)) {
    search->box = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND WaitForMessageBox(DWORD thread, HWND sheet) {
  for (int i = 0; i < 500; ++i) {
    BoxSearch search{sheet};
    ::EnumThreadWindows(thread, FindMessageBox, reinterpret_cast<LPARAM>(&search));
    if (search.box) return search.box;
    ::Sleep(10);
  }
  return nullptr;
}

}  // namespace config_test
