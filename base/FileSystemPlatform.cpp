#include "base/FileSystemPlatform.h"

#include "base/OpenAt.h"

namespace {

// The basic information level leaves out the short name, which nothing here
// reads, and the large fetch asks for big batches of entries per call.
HANDLE WINAPI FindFirstEntry(LPCWSTR pattern, LPWIN32_FIND_DATAW data) {
  return ::FindFirstFileExW(pattern, FindExInfoBasic, data, FindExSearchNameMatch, nullptr,
                            FIND_FIRST_EX_LARGE_FETCH);
}

const FileSystemPlatform kRealCalls = {&FindFirstEntry,
                                       ::FindNextFileW,
                                       ::FindClose,
                                       ::GetFileAttributesW,
                                       ::DeleteFileW,
                                       ::RemoveDirectoryW,
                                       ::CreateFileW,
                                       &OpenAt,
                                       ::GetFileInformationByHandle,
                                       &FileIdOf,
                                       ::GetFileInformationByHandleEx,
                                       ::SetFileInformationByHandle,
                                       ::CloseHandle};
FileSystemPlatform calls = kRealCalls;

}  // namespace

FileSystemPlatform& FileSystemCalls() { return calls; }
const FileSystemPlatform& RealFileSystemCalls() { return kRealCalls; }
