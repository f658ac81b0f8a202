// Opening an entry relative to an open folder (ntdll's NtOpenFile with the
// folder's handle as the root directory), renaming an open entry within a
// folder the same way, and an open entry's file id.
#pragma once
#include <windows.h>

#include <cstdint>

// NtOpenFile's open options that the walk and the removals use.
constexpr DWORD kOpenDirectory = 0x00000001;     // FILE_DIRECTORY_FILE
constexpr DWORD kOpenSynchronous = 0x00000020;   // FILE_SYNCHRONOUS_IO_NONALERT
constexpr DWORD kOpenNonDirectory = 0x00000040;  // FILE_NON_DIRECTORY_FILE
constexpr DWORD kOpenDeleteOnClose = 0x00001000;  // FILE_DELETE_ON_CLOSE
constexpr DWORD kOpenForBackup = 0x00004000;     // FILE_OPEN_FOR_BACKUP_INTENT
constexpr DWORD kOpenReparsePoint = 0x00200000;  // FILE_OPEN_REPARSE_POINT

// See FileSystemPlatform::openAt. Every share mode is granted: the entry is
// opened to be looked at, listed or removed, not to be held against others.
DWORD OpenAt(HANDLE folder, const wchar_t* name, uint32_t nameLength, DWORD access, DWORD options, HANDLE* opened);
// See FileSystemPlatform::fileIdOf.
DWORD FileIdOf(HANDLE file, uint64_t* id);
// Renames the open entry (opened with DELETE) to `name` (nameLength
// characters, no separator) in the open folder `folder`, through
// FileRenameInformation with that folder's handle as the root directory: no
// path is looked up, and nothing already there is replaced. 0 or a Win32
// error code (ERROR_ALREADY_EXISTS for a name taken).
DWORD RenameAt(HANDLE entry, HANDLE folder, const wchar_t* name, uint32_t nameLength);
