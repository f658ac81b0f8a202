#include "erase/ErasePlatform.h"

namespace {

void* HeapAllocate(size_t bytes) { return ::HeapAlloc(::GetProcessHeap(), 0, bytes); }
void HeapRelease(void* block) { ::HeapFree(::GetProcessHeap(), 0, block); }

const ErasePlatform kRealCalls = {
    ::FindFirstFileW,     ::FindClose,      ::GetFileAttributesW, ::CreateFileW,    ::GetFileInformationByHandle, ::GetFileSize,         ::SetFilePointer,     ::LockFile,
    ::WriteFile,          ::UnlockFile,     ::FlushFileBuffers,    ::CloseHandle,        ::DeleteFileW,
    HeapAllocate,         HeapRelease,      ::CryptAcquireContextA, ::CryptCreateHash,   ::CryptHashData,
    ::CryptGetHashParam,  ::CryptGenRandom, ::CryptDestroyHash,    ::CryptReleaseContext, ::GetCursorPos,
    ::GetCaretPos,        ::QueryPerformanceCounter, ::GetSystemTime, ::GetMessageTime};

ErasePlatform calls = kRealCalls;

}  // namespace

ErasePlatform& EraseCalls() { return calls; }
const ErasePlatform& RealEraseCalls() { return kRealCalls; }
