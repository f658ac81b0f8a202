// The platform calls of the folder walker, the link helpers and the worker's
// removals, in one table that tests replace to make listings and removals
// fail in ways the system will not show on demand (denied subfolders, broken
// listings, links Wine cannot make).
#pragma once
#include <windows.h>

#include "erase/LinkEntry.h"

struct WalkerPlatform {
  // Opens a listing of `pattern` ("<folder>\*" or one entry's path).
  HANDLE(WINAPI* findFirstFile)(LPCWSTR pattern, LPWIN32_FIND_DATAW data);
  BOOL(WINAPI* findNextFile)(HANDLE listing, LPWIN32_FIND_DATAW data);
  BOOL(WINAPI* findClose)(HANDLE listing);
  DWORD(WINAPI* getFileAttributes)(LPCWSTR path);
  BOOL(WINAPI* deleteFile)(LPCWSTR path);
  BOOL(WINAPI* removeDirectory)(LPCWSTR path);
};

// The table in use; tests change entries and put the real ones back.
WalkerPlatform& WalkerCalls();
// The system's own functions.
const WalkerPlatform& RealWalkerCalls();
