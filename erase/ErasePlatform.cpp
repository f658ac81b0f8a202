#include "erase/ErasePlatform.h"

#include <ntsecapi.h>

#include "base/OpenAt.h"
#include "base/ProcEntry.h"

namespace {

void* PageAllocate(size_t bytes) { return ::VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE); }
void PageRelease(void* block) { ::VirtualFree(block, 0, MEM_RELEASE); }

using FindFirstStreamFn = HANDLE(WINAPI*)(LPCWSTR, STREAM_INFO_LEVELS, LPVOID, DWORD);
using FindNextStreamFn = BOOL(WINAPI*)(HANDLE, LPVOID);
using VolumeByHandleFn = BOOL(WINAPI*)(HANDLE, LPWSTR, DWORD, LPDWORD, LPDWORD, LPDWORD, LPWSTR, DWORD);

HANDLE WINAPI FindFirstStream(LPCWSTR path, STREAM_INFO_LEVELS level, LPVOID data, DWORD flags) {
  static const FindFirstStreamFn call = Kernel32Entry<FindFirstStreamFn>("FindFirstStreamW");
  if (call) return call(path, level, data, flags);
  ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return INVALID_HANDLE_VALUE;
}

BOOL WINAPI FindNextStream(HANDLE listing, LPVOID data) {
  static const FindNextStreamFn call = Kernel32Entry<FindNextStreamFn>("FindNextStreamW");
  if (call) return call(listing, data);
  ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return FALSE;
}

// Vista and later; before, the volume's flags are not known by handle.
BOOL WINAPI GetVolumeInformationByHandle(HANDLE file, LPWSTR name, DWORD nameLength, LPDWORD serial,
                                         LPDWORD componentLength, LPDWORD flags, LPWSTR system, DWORD systemLength) {
  static const VolumeByHandleFn call = Kernel32Entry<VolumeByHandleFn>("GetVolumeInformationByHandleW");
  if (call) return call(file, name, nameLength, serial, componentLength, flags, system, systemLength);
  ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return FALSE;
}

HANDLE OpenFolder(LPCWSTR path) {
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  return ::CreateFileW(path, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

const ErasePlatform kRealCalls = {
    ::FindFirstFileW, ::FindClose, ::GetFileAttributesW, ::CreateFileW, ::GetFileInformationByHandle, ::GetFileSize,
    ::SetFilePointer, ::LockFile, ::WriteFile, ::UnlockFile, ::FlushFileBuffers, ::CloseHandle, ::DeleteFileW,
    FindFirstStream, FindNextStream,
    PageAllocate, PageRelease,
    ::CryptAcquireContextA, ::CryptCreateHash, ::CryptHashData, ::CryptGetHashParam, ::CryptGenRandom,
    ::CryptDestroyHash, ::CryptReleaseContext,
    ::GetCursorPos, ::GetCaretPos, ::QueryPerformanceCounter, ::GetSystemTime, ::GetMessageTime,
    ::GetVolumePathNameW, ::GetDiskFreeSpaceW, GetVolumeInformationByHandle, ::DeviceIoControl, ::SetEndOfFile,
    ::ReadFile,
    OpenFolder, OpenAt, FileIdOf, RenameAt, ::SetFileInformationByHandle, ::SystemFunction036};

ErasePlatform calls = kRealCalls;

}  // namespace

ErasePlatform& EraseCalls() { return calls; }
const ErasePlatform& RealEraseCalls() { return kRealCalls; }
