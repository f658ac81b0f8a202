// The "DOS Box" command: a command-prompt window in the first selected folder.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>

// Starting a program is swapped out by tests that must see the request
// without a window appearing.
using ShellExecuteExFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOW* info);
// Returns the previous function; nullptr restores ShellExecuteExW.
ShellExecuteExFunction SetShellExecuteExForTesting(ShellExecuteExFunction function);

// The interpreter for a platform id: "cmd.exe" on the NT family.
const char* CommandInterpreterName(DWORD platformId);

// The full path of the system's interpreter: %ComSpec% when it is a full path
// naming an existing file, else the interpreter in the system directory.
// Never a bare name, which the system would look up in the working
// directory first: the selected folder, which anyone may have written to.
std::wstring CommandInterpreterPath(DWORD platformId);
