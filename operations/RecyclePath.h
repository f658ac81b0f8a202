// Hands one file or folder to the shell's recycling bin.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cstdint>

// True when the item went to the recycling bin (or, where the bin refused it,
// was deleted because the user said so when asked), else false: the item is
// still there, or the user declined, or the shell could not be given the
// path as it is (see IsShellExactPath). Shows no progress.
bool RecyclePath(const wchar_t* path);

// The shell's file operation, which tests replace to make the bin refuse
// what Wine's would take.
struct RecyclePlatform {
  int(WINAPI* fileOperation)(LPSHFILEOPSTRUCTW request);
};
// The table in use; tests change entries and put the real ones back.
RecyclePlatform& RecycleCalls();
// The system's own functions.
const RecyclePlatform& RealRecycleCalls();
