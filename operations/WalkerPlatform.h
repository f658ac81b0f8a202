// The platform calls of the folder walker and the link helpers, in one table
// that tests replace to make listings fail in ways the system will not show
// on demand (denied subfolders, broken listings, links Wine cannot make).
#pragma once
#include <windows.h>

struct WalkerPlatform {
  HANDLE(WINAPI* findFirstFile)(LPCSTR pattern, LPWIN32_FIND_DATAA data);
  BOOL(WINAPI* findNextFile)(HANDLE listing, LPWIN32_FIND_DATAA data);
  BOOL(WINAPI* findClose)(HANDLE listing);
  DWORD(WINAPI* getFileAttributes)(LPCSTR path);
  BOOL(WINAPI* deleteFile)(LPCSTR path);
  BOOL(WINAPI* removeDirectory)(LPCSTR path);
};

// The table in use; tests change entries and put the real ones back.
WalkerPlatform& WalkerCalls();
// The system's own functions.
const WalkerPlatform& RealWalkerCalls();

// A directory entry whose attributes make it a link. Wine leaves the reparse
// tag of a listing unfilled, so the attributes alone decide: a directory that
// carries a reparse point is never walked into.
inline bool IsLinkAttributes(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}
