// Drives the configuration sheet from a second thread the way a user would,
// while the test's own thread runs the sheet's modal loop like the shell.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "server/ShellExt.h"

namespace config_test {

// What the second thread sees and does; every call goes to the sheet's
// thread through window messages.
class SheetUser {
 public:
  explicit SheetUser(HWND sheet) : sheet_(sheet) {}
  HWND sheet() const { return sheet_; }
  // Switches to the tab and answers its page dialog.
  HWND OpenTab(int index);
  HWND CurrentPage() const;
  void Click(HWND page, int id);
  bool IsChecked(HWND page, int id) const;
  bool IsEnabled(HWND page, int id) const;
  // Picks a list item as a mouse click would: selection, then the
  // notification to the page.
  void Choose(HWND page, int id, int index);
  int ChosenIndex(HWND page, int id) const;
  int ItemCount(HWND page, int id) const;
  std::string Text(HWND control) const;
  // Empties the field and types the text key by key.
  void Type(HWND field, const std::string& text);
  HWND ComboEdit(HWND page, int id) const;
  // OK and Cancel as the buttons are clicked (posted, so that the modal
  // loop handles them as a click).
  void PressOk();
  void PressCancel();

 private:
  HWND sheet_;
};

// Opens the sheet of `shellExt` on this thread the way the shell's menu
// does, and lets `user` drive it from another thread until the user closes
// it. The watchdog closes a sheet that stays open too long; the run then
// reports false.
bool RunSheet(CShellExt& shellExt, const std::function<void(SheetUser&)>& user, DWORD watchdogMs = 20000);

// Settings values in the per-user key.
void WriteNumber(const char* name, DWORD value);
void WriteText(const char* name, const std::string& value);
bool ReadNumber(const char* name, DWORD& value);
bool ReadText(const char* name, std::string& value);
DWORD ValueCount();

// Lets one test process at a time change the registry values these tests
// read (the settings key and the browser colours).
class SettingsKeyLock {
 public:
  SettingsKeyLock();
  ~SettingsKeyLock();
  SettingsKeyLock(const SettingsKeyLock&) = delete;
  SettingsKeyLock& operator=(const SettingsKeyLock&) = delete;

 private:
  HANDLE mutex_;
};

// A message box (dialog class) that the sheet's thread shows, other than the
// sheet itself; null when none comes within 5 s.
HWND WaitForMessageBox(DWORD thread, HWND sheet);

}  // namespace config_test
