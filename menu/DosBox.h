// The "DOS Box" command: the user's interpreter in the first selected folder.
#pragma once
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "settings/SelectedFolders.h"
#include "settings/Settings.h"

// Opens the interpreter chosen in DosBoxShell (Command Prompt when that one
// is unknown or not installed) in the first selected folder, with the
// DosBoxParam setting as its parameters; elevated: through the "runas" verb,
// which asks the user for administrator rights.
void OpenDosBox(const Settings& settings, const SelectedFolders& folders, bool elevated);

// Starting a program and finding the interpreters are swapped out by tests
// that must see the request without a window appearing, and choose which
// interpreters the machine has.
struct CommandBoxPlatform {
  BOOL(WINAPI* shellExecuteEx)(SHELLEXECUTEINFOW* info);
  DWORD(WINAPI* getFileAttributes)(LPCWSTR path);
  HRESULT(WINAPI* knownFolderPath)(REFKNOWNFOLDERID folder, DWORD flags, HANDLE token, PWSTR* path);
};
// The table in use; tests change entries and put the real ones back.
CommandBoxPlatform& CommandBoxCalls();
// The system's own functions.
const CommandBoxPlatform& RealCommandBoxCalls();

// The interpreter for a platform id: "cmd.exe" on the NT family.
const char* CommandPromptName(DWORD platformId);

// The full path of the system's interpreter: %ComSpec% when it is a full path
// naming an existing file, else the interpreter in the system directory.
// Never a bare name, which the system would look up in the working
// directory first: the selected folder, which anyone may have written to.
std::wstring CommandPromptPath(DWORD platformId);

// The full path of an installed interpreter, built from the system's own
// folders alone; "" when the choice is unknown or not installed there.
//   Windows PowerShell  <system>\WindowsPowerShell\v1.0\powershell.exe
//   PowerShell 7        <Program Files>\PowerShell\7\pwsh.exe (the 64-bit
//                       Program Files, also from a 32-bit process)
//   Windows Terminal    <local application data>\Microsoft\WindowsApps\wt.exe
std::wstring InterpreterPath(uint32_t choice);

// The choice DOS Box starts for a stored one: itself when it is known and
// installed, else Command Prompt.
uint32_t InstalledInterpreter(uint32_t stored);
