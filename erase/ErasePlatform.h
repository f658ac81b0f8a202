// The platform calls of secure erasure in one table that tests replace, so
// that writes, flushes, locks, allocations and the random generator can be
// made to fail, and sizes above 4 GiB can be shown without writing them.
#pragma once
#include <windows.h>
#include <wincrypt.h>

#include <cstddef>
#include <cstdint>

#include "base/LastError.h"

struct ErasePlatform {
  // Files, by wide name (\\?\ long paths included).
  HANDLE(WINAPI* findFirstFile)(LPCWSTR path, LPWIN32_FIND_DATAW data);
  BOOL(WINAPI* findClose)(HANDLE listing);
  DWORD(WINAPI* getFileAttributes)(LPCWSTR path);
  HANDLE(WINAPI* createFile)(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                             DWORD disposition, DWORD flags, HANDLE templateFile);
  BOOL(WINAPI* getFileInformationByHandle)(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information);
  DWORD(WINAPI* getFileSize)(HANDLE file, LPDWORD high);
  DWORD(WINAPI* setFilePointer)(HANDLE file, LONG distance, PLONG high, DWORD method);
  BOOL(WINAPI* lockFile)(HANDLE file, DWORD offsetLow, DWORD offsetHigh, DWORD lengthLow, DWORD lengthHigh);
  BOOL(WINAPI* writeFile)(HANDLE file, LPCVOID data, DWORD length, LPDWORD written, LPOVERLAPPED overlapped);
  BOOL(WINAPI* unlockFile)(HANDLE file, DWORD offsetLow, DWORD offsetHigh, DWORD lengthLow, DWORD lengthHigh);
  BOOL(WINAPI* flushFileBuffers)(HANDLE file);
  BOOL(WINAPI* closeHandle)(HANDLE handle);
  BOOL(WINAPI* deleteFile)(LPCWSTR path);
  // The file's data streams, closed with findClose. Looked up at run time:
  // systems before Vista have no such calls, and the stand-ins then fail
  // with ERROR_CALL_NOT_IMPLEMENTED, which counts as "no named streams".
  HANDLE(WINAPI* findFirstStream)(LPCWSTR path, STREAM_INFO_LEVELS level, LPVOID data, DWORD flags);
  BOOL(WINAPI* findNextStream)(HANDLE listing, LPVOID data);
  // The write buffer (and the read-back buffer of verification): whole
  // pages, so that an unbuffered handle can take them.
  void* (*allocate)(size_t bytes);
  void (*release)(void* block);
  // The random generator.
  BOOL(WINAPI* cryptAcquireContext)(HCRYPTPROV* provider, LPCSTR container, LPCSTR providerName, DWORD type,
                                    DWORD flags);
  BOOL(WINAPI* cryptCreateHash)(HCRYPTPROV provider, ALG_ID algorithm, HCRYPTKEY key, DWORD flags, HCRYPTHASH* hash);
  BOOL(WINAPI* cryptHashData)(HCRYPTHASH hash, const BYTE* data, DWORD length, DWORD flags);
  BOOL(WINAPI* cryptGetHashParam)(HCRYPTHASH hash, DWORD param, BYTE* data, DWORD* length, DWORD flags);
  BOOL(WINAPI* cryptGenRandom)(HCRYPTPROV provider, DWORD length, BYTE* buffer);
  BOOL(WINAPI* cryptDestroyHash)(HCRYPTHASH hash);
  BOOL(WINAPI* cryptReleaseContext)(HCRYPTPROV provider, DWORD flags);
  // Entropy samples.
  BOOL(WINAPI* getCursorPos)(LPPOINT point);
  BOOL(WINAPI* getCaretPos)(LPPOINT point);
  BOOL(WINAPI* queryPerformanceCounter)(LARGE_INTEGER* counter);
  void(WINAPI* getSystemTime)(LPSYSTEMTIME time);
  LONG(WINAPI* getMessageTime)();
  // Where the passes can reach: the volume's cluster and sector size, what
  // the volume says of its writes, the file's allocated ranges, its
  // decompression; the cut back to the file's size after the slack; the
  // read-back of verification.
  BOOL(WINAPI* getVolumePathName)(LPCWSTR path, LPWSTR root, DWORD length);
  BOOL(WINAPI* getDiskFreeSpace)(LPCWSTR root, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector, LPDWORD freeClusters,
                                 LPDWORD totalClusters);
  BOOL(WINAPI* getVolumeInformationByHandle)(HANDLE file, LPWSTR name, DWORD nameLength, LPDWORD serial,
                                             LPDWORD componentLength, LPDWORD flags, LPWSTR system,
                                             DWORD systemLength);
  BOOL(WINAPI* deviceIoControl)(HANDLE file, DWORD code, LPVOID in, DWORD inLength, LPVOID out, DWORD outLength,
                                LPDWORD returned, LPOVERLAPPED overlapped);
  BOOL(WINAPI* setEndOfFile)(HANDLE file);
  BOOL(WINAPI* readFile)(HANDLE file, LPVOID data, DWORD length, LPDWORD read, LPOVERLAPPED overlapped);

  // The end of an erased file or folder. Its folder by path, when the
  // caller gave a path alone (INVALID_HANDLE_VALUE on failure); entries
  // opened and renamed relative to their folder's handle, and their file ids
  // (see base/OpenAt.h); truncation, times and deletion by disposition on
  // the entry's handle; the seed of the random names.
  HANDLE (*openFolder)(LPCWSTR path);
  DWORD (*openAt)(HANDLE folder, const wchar_t* name, uint32_t nameLength, DWORD access, DWORD options,
                  HANDLE* opened);
  DWORD (*fileIdOf)(HANDLE file, uint64_t* id);
  DWORD (*renameAt)(HANDLE entry, HANDLE folder, const wchar_t* name, uint32_t nameLength);
  BOOL(WINAPI* setFileInformationByHandle)(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID data, DWORD size);
  BOOLEAN(WINAPI* genRandom)(PVOID buffer, ULONG length);
};

// The table in use; tests change entries and put the real ones back.
ErasePlatform& EraseCalls();
// The system's own functions.
const ErasePlatform& RealEraseCalls();
