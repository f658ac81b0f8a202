// The platform calls of the folder walker, the link helpers and the worker's
// removals, in one table that tests replace to make listings and removals
// fail in ways the system will not show on demand (denied subfolders, broken
// listings, links Wine cannot make, folders swapped after their listing).
#pragma once
#include <windows.h>

#include <cstdint>

struct WalkerPlatform {
  // Opens a listing of `pattern` ("<folder>\*" or one entry's path).
  HANDLE(WINAPI* findFirstFile)(LPCWSTR pattern, LPWIN32_FIND_DATAW data);
  BOOL(WINAPI* findNextFile)(HANDLE listing, LPWIN32_FIND_DATAW data);
  BOOL(WINAPI* findClose)(HANDLE listing);
  DWORD(WINAPI* getFileAttributes)(LPCWSTR path);
  BOOL(WINAPI* deleteFile)(LPCWSTR path);
  BOOL(WINAPI* removeDirectory)(LPCWSTR path);
  // The walk's own folder, opened by its path.
  HANDLE(WINAPI* createFile)(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                             DWORD disposition, DWORD flags, HANDLE templateFile);
  // Opens the entry `name` (nameLength characters) of the open folder
  // `folder` with NtOpenFile's access and options, never by a full path: a
  // name swapped for a link above the folder cannot redirect it. 0 with the
  // handle in *opened, else a Win32 error code. ntdll's functions are looked
  // up at run time; a system without them answers ERROR_CALL_NOT_IMPLEMENTED.
  DWORD (*openAt)(HANDLE folder, const wchar_t* name, uint32_t nameLength, DWORD access, DWORD options,
                  HANDLE* opened);
  // The volume's serial number of the walk's own folder.
  BOOL(WINAPI* getFileInformationByHandle)(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information);
  // An open entry's file id (ntdll's FileInternalInformation): 0 or a
  // Win32 error code.
  DWORD (*fileIdOf)(HANDLE file, uint64_t* id);
  // Listings through a folder's handle (FileIdBothDirectory[Restart]Info),
  // an open entry's attributes (FileBasicInfo) and its reparse tag
  // (FileAttributeTagInfo).
  BOOL(WINAPI* getFileInformationByHandleEx)(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID data, DWORD size);
  // Removal by disposition on the entry's own handle (FileDispositionInfo).
  BOOL(WINAPI* setFileInformationByHandle)(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID data, DWORD size);
  BOOL(WINAPI* closeHandle)(HANDLE handle);
};

// The table in use; tests change entries and put the real ones back.
WalkerPlatform& WalkerCalls();
// The system's own functions.
const WalkerPlatform& RealWalkerCalls();
