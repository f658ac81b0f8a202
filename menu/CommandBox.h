// The "DOS Box" command: a command-prompt window in the first selected folder.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "settings/SelectedFolders.h"
#include "settings/Settings.h"

// Opens the command interpreter in the first selected folder with the
// DosBoxParam setting as its parameters.
void OpenCommandPrompt(const Settings& settings, const SelectedFolders& folders);

// Starting a program is swapped out by tests that must see the request
// without a window appearing.
struct CommandBoxPlatform {
  BOOL(WINAPI* shellExecuteEx)(SHELLEXECUTEINFOW* info);
};
// The table in use; tests change entries and put the real ones back.
CommandBoxPlatform& CommandBoxCalls();
// The system's own functions.
const CommandBoxPlatform& RealCommandBoxCalls();

// The interpreter for a platform id: "cmd.exe" on the NT family.
const char* CommandInterpreterName(DWORD platformId);

// The full path of the system's interpreter: %ComSpec% when it is a full path
// naming an existing file, else the interpreter in the system directory.
// Never a bare name, which the system would look up in the working
// directory first: the selected folder, which anyone may have written to.
std::wstring CommandInterpreterPath(DWORD platformId);
