// The "DOS Box" command: a command-prompt window in the first selected folder.
#pragma once
#include <windows.h>
#include <shellapi.h>

// Starting a program is swapped out by tests that must see the request
// without a window appearing.
using ShellExecuteExFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOA* info);
// Returns the previous function; nullptr restores ShellExecuteExA.
ShellExecuteExFunction SetShellExecuteExForTesting(ShellExecuteExFunction function);

// The interpreter for a platform id: "cmd.exe" on the NT family.
const char* CommandInterpreterName(DWORD platformId);
