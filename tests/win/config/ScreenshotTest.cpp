// Shows each page in a state worth looking at and waits while
// tools/screenshots.sh photographs the screen. Disabled in normal
// runs; the script runs it with VARNOKE_SHOT_DIR set.
#include <windows.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "SheetDriver.h"
#include "SolidStateDrive.h"
#include "TestSupport.h"
#include "menu/DosBox.h"
#include "resources/ResourceIds.h"
#include "tests/shared/SeamOverride.h"

using namespace config_test;

namespace {

// Announces the shot with the rectangle around the windows and waits until
// it is taken.
bool Pose(const std::string& directory, const std::string& name, HWND sheet, HWND also = nullptr) {
  ::Sleep(300);  // let the page paint
  RECT r = {};
  ::GetWindowRect(sheet, &r);
  if (also) {
    RECT other = {};
    ::GetWindowRect(also, &other);
    ::UnionRect(&r, &r, &other);
  }
  const std::string ready = directory + "\\" + name + ".ready";
  const std::string done = directory + "\\" + name + ".done";
  if (FILE* f = std::fopen((ready + ".tmp").c_str(), "w")) {
    std::fprintf(f, "%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    std::fclose(f);
    ::MoveFileA((ready + ".tmp").c_str(), ready.c_str());
  }
  for (int i = 0; i < 3000; ++i) {
    if (::GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    ::Sleep(10);
  }
  return false;
}

// PowerShell 7 and Terminal are installed for the pictures, so that the DOS
// Box page lists every interpreter.
DWORD WINAPI EveryInterpreter(LPCWSTR path) {
  const std::wstring name(path);
  for (const wchar_t* end : {L"\\pwsh.exe", L"\\wt.exe"})
    if (name.size() > wcslen(end) && name.compare(name.size() - wcslen(end), wcslen(end), end) == 0)
      return FILE_ATTRIBUTE_ARCHIVE;
  return RealCommandBoxCalls().getFileAttributes(path);
}

}  // namespace

TEST(ConfigScreenshots, DISABLED_EveryPageAndAHelpRequest) {
  const char* directory = std::getenv("VARNOKE_SHOT_DIR");
  ASSERT_NE(nullptr, directory);
  SettingsKeyLock lock;
  testing_support::DeleteSettingsKey();
  WriteText("DosBoxParam", "/k macros.bat");
  WriteNumber("DeleteOption", 2);
  WriteNumber("EraseMethod", 3);
  WriteNumber("EraseVerify", 1);
  // The Delete page shows its solid-state note.
  testing_support::SolidStateDrive drive;
  SeamOverride calls(CommandBoxCalls());
  calls->getFileAttributes = &EveryInterpreter;
  WriteNumber("DosBoxShell", 2);
  WriteText("CleanMasks", "*.obj;*.pch|excl|*.tmp|incl|*.bak;*.old|incl");
  WriteNumber("CleanSubfolders", 1);
  CShellExt* shellExt = new CShellExt();
  shellExt->AddRef();
  bool allTaken = true;
  const DWORD uiThread = ::GetCurrentThreadId();
  EXPECT_TRUE(RunSheet(
      *shellExt,
      [&](SheetUser& user) {
        const std::string dir = directory;
        allTaken &= Pose(dir, "config-items", user.sheet());
        HWND dosBox = user.OpenTab(1);
        allTaken &= Pose(dir, "config-dosbox", user.sheet());
        ::SendDlgItemMessageA(dosBox, IDC_DOSBOX_SHELL, CB_SHOWDROPDOWN, TRUE, 0);
        allTaken &= Pose(dir, "config-dosbox-choices", user.sheet());
        ::SendDlgItemMessageA(dosBox, IDC_DOSBOX_SHELL, CB_SHOWDROPDOWN, FALSE, 0);
        HWND erase = user.OpenTab(2);
        allTaken &= Pose(dir, "config-delete", user.sheet());
        // F1 on the method list: the help request goes to the page.
        HWND method = ::GetDlgItem(erase, IDC_METHOD);
        HELPINFO request = {};
        request.cbSize = sizeof(request);
        request.iContextType = HELPINFO_WINDOW;
        request.iCtrlId = IDC_METHOD;
        request.hItemHandle = method;
        ::GetCursorPos(&request.MousePos);
        ::SendMessageA(erase, WM_HELP, 0, reinterpret_cast<LPARAM>(&request));
        allTaken &= Pose(dir, "config-delete-help", user.sheet());
        HWND clean = user.OpenTab(3);
        allTaken &= Pose(dir, "config-clean", user.sheet());
        ::SendDlgItemMessageA(clean, IDC_MASKS, CB_SHOWDROPDOWN, TRUE, 0);
        allTaken &= Pose(dir, "config-clean-history", user.sheet());
        ::SendDlgItemMessageA(clean, IDC_MASKS, CB_SHOWDROPDOWN, FALSE, 0);
        user.Type(user.ComboEdit(clean, IDC_MASKS), "*.obj|*.pch");
        user.PressOk();
        HWND refusal = WaitForMessageBox(uiThread, user.sheet());
        allTaken &= refusal != nullptr && Pose(dir, "config-clean-refusal", user.sheet(), refusal);
        if (refusal) ::PostMessageA(refusal, WM_COMMAND, IDOK, 0);
        ::Sleep(200);
        user.PressCancel();
      },
      180000));
  shellExt->Release();
  EXPECT_TRUE(allTaken);
}
