// Every step of the overwrite that can fail, made to fail through the
// platform table: the file stays, the caller sees the right last error, and
// every handle, buffer and provider is given back.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

#include "EraseSpy.h"
#include "TestSupport.h"
#include "erase/Eraser.h"

using namespace engine_test;
using testing_support::ReadFileBytes;
using testing_support::TempFolder;

namespace {

std::string Content(size_t size) {
  std::string bytes(size, '\0');
  for (size_t k = 0; k < size; ++k) bytes[k] = "secret "[k % 7];
  return bytes;
}

struct Row {
  const char* what;
  SpyCall call;
  DWORD error;
  int nth;
  uint32_t method;
  DWORD lastError;  // what the caller sees
};

class EraseFailure : public testing::TestWithParam<Row> {};

TEST_P(EraseFailure, FileStaysAndEverythingIsGivenBack) {
  const Row& row = GetParam();
  TempFolder temp;
  const std::string file = temp.MakeFile("victim.bin", Content(5000));
  {
    EraseSpy spy;
    spy.Fail(row.call, row.error, row.nth);
    // The file lists a named stream of its own, a stand-in beside it.
    spy.streams = {L"::$DATA", L":more:$DATA"};
    spy.redirects = {{Wide(file) + L":more:$DATA", Wide(temp.MakeFile("victim.more", Content(700)))}};
    ::SetLastError(0);
    EXPECT_EQ(0, EraseAndDelete(Wide(file).c_str(), row.method, nullptr, nullptr));
    EXPECT_EQ(row.lastError, ::GetLastError());
    EXPECT_EQ(0, spy.count[kDelete] + spy.count[kDisposition]) << "never deleted";
    EXPECT_EQ(spy.count[kCreate] - (row.call == kCreate ? 1 : 0), spy.count[kClose]) << "the file is closed";
    EXPECT_LE(spy.count[kAllocate], 1) << "one buffer per erasure";
    EXPECT_EQ(spy.count[kAllocate] - (row.call == kAllocate ? 1 : 0), spy.count[kRelease]) << "buffer freed";
    EXPECT_EQ(spy.count[kListStreams] - (row.call == kListStreams ? 1 : 0), spy.count[kCloseListing]);
    EXPECT_EQ(0, spy.openProviders);
    EXPECT_EQ(0, spy.openHashes);
  }
  EXPECT_EQ(5000u, ReadFileBytes(file).size()) << "neither extended nor truncated";
}

constexpr DWORD kProviderCode = 0xFFFFFFFF;

INSTANTIATE_TEST_SUITE_P(
    Steps, EraseFailure,
    testing::Values(
        Row{"open", kCreate, ERROR_ACCESS_DENIED, 0, ZeroPass, ERROR_ACCESS_DENIED},
        Row{"link count", kInformation, ERROR_INVALID_FUNCTION, 0, ZeroPass, ERROR_INVALID_FUNCTION},
        Row{"size", kSize, ERROR_INVALID_HANDLE, 0, ZeroPass, ERROR_INVALID_HANDLE},
        Row{"rewind", kPointer, ERROR_SEEK, 1, ZeroPass, ERROR_SEEK},
        Row{"position", kPointer, ERROR_SEEK, 2, ZeroPass, ERROR_SEEK},
        Row{"lock", kLock, ERROR_LOCK_VIOLATION, 0, ZeroPass, ERROR_LOCK_VIOLATION},
        Row{"write", kWrite, ERROR_DISK_FULL, 0, ZeroPass, ERROR_DISK_FULL},
        Row{"stream's write", kWrite, ERROR_DISK_FULL, 2, ZeroPass, ERROR_DISK_FULL},
        Row{"stream's open", kCreate, ERROR_SHARING_VIOLATION, 2, DoD3Pass, ERROR_SHARING_VIOLATION},
        Row{"unlock", kUnlock, ERROR_NOT_LOCKED, 0, ZeroPass, ERROR_NOT_LOCKED},
        Row{"flush", kFlush, ERROR_IO_DEVICE, 0, ZeroPass, ERROR_IO_DEVICE},
        Row{"buffer", kAllocate, 0, 0, ZeroPass, ERROR_OUTOFMEMORY},
        Row{"write failing without an error", kWrite, 0, 0, ZeroPass, 0xFFFFFFFF},
        Row{"no provider at all", kAcquire, static_cast<DWORD>(NTE_KEYSET_NOT_DEF), 0, RandomPass, kProviderCode},
        Row{"provider refused by Win32", kAcquire, ERROR_NOT_ENOUGH_MEMORY, 0, DoD3Pass, ERROR_NOT_ENOUGH_MEMORY},
        Row{"hash object", kCreateHash, static_cast<DWORD>(NTE_BAD_ALGID), 0, Gutmann35Pass, kProviderCode},
        Row{"hash value", kGetHashParam, static_cast<DWORD>(NTE_BAD_HASH), 0, RandomPass, kProviderCode},
        Row{"generator", kGenRandom, static_cast<DWORD>(NTE_FAIL), 1, RandomPass, kProviderCode},
        Row{"generator in the third Random pass", kGenRandom, static_cast<DWORD>(NTE_FAIL), 3, Gutmann35Pass,
            kProviderCode},
        Row{"generator, Win32 code", kGenRandom, ERROR_NOT_ENOUGH_MEMORY, 1, DoD3Pass, ERROR_NOT_ENOUGH_MEMORY},
        Row{"stream listing", kListStreams, ERROR_ACCESS_DENIED, 0, ZeroPass, ERROR_ACCESS_DENIED},
        Row{"stream listing, later entry", kNextStream, ERROR_NOT_ENOUGH_MEMORY, 0, ZeroPass,
            ERROR_NOT_ENOUGH_MEMORY}),
    [](const testing::TestParamInfo<Row>& info) {
      std::string name;
      for (const char* c = info.param.what; *c; ++c)
        if (isalnum(static_cast<unsigned char>(*c))) name += *c;
      return name;
    });

TEST(EraseFailureLater, FailureInPassTwoLeavesPassOneOnDisk) {
  TempFolder temp;
  const std::string file = temp.MakeFile("dod.bin", Content(5000));
  EraseSpy spy;
  spy.Fail(kWrite, ERROR_DISK_FULL, 2);  // pass 2, first chunk
  ::SetLastError(0);
  EXPECT_EQ(0, EraseAndDelete(Wide(file).c_str(), DoD3Pass, nullptr, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_DISK_FULL), ::GetLastError());
  EXPECT_EQ(std::string(5000, '\0'), ReadFileBytes(file));
}

std::vector<std::pair<Result, std::string>> traced;
void Trace(Result code, const char* unit, int) { traced.emplace_back(code, unit); }

TEST(EraseFailureLater, FailuresAreTracedAsEraseButAStopIsNot) {
  TempFolder temp;
  const std::string file = temp.MakeFile("t.bin", Content(10));
  traced.clear();
  const ErrorTraceHook previous = SetErrorTraceHook(Trace);
  EXPECT_EQ(0, EraseAndDelete(Wide(file).c_str(), ZeroPass, [](int32_t, int32_t, void*) { return -1; }, nullptr));
  EXPECT_TRUE(traced.empty()) << "the caller's own stop is no failure";
  {
    EraseSpy spy;
    spy.Fail(kFlush, ERROR_IO_DEVICE);
    EXPECT_EQ(0, EraseAndDelete(Wide(file).c_str(), ZeroPass, nullptr, nullptr));
  }
  SetErrorTraceHook(previous);
  ASSERT_FALSE(traced.empty());
  EXPECT_EQ(ResultFromError(ERROR_IO_DEVICE), traced.front().first);
  const std::set<std::string> eraseSources = {"Eraser.cpp", "EraseEnd.cpp", "PassFiller.cpp", "RandomSource.cpp",
                                               "TargetLayout.cpp"};
  for (const auto& trace : traced) EXPECT_EQ(1u, eraseSources.count(trace.second)) << trace.second;
}

TEST(EraseFailureLater, ShortWriteIsAFailure) {
  TempFolder temp;
  const std::string file = temp.MakeFile("short.bin", Content(5000));
  EraseSpy spy;
  spy.writeLimit = 100;
  ::SetLastError(0);
  EXPECT_EQ(0, EraseAndDelete(Wide(file).c_str(), ZeroPass, nullptr, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_WRITE_FAULT), ::GetLastError());
  EXPECT_EQ(0, spy.count[kDelete]);
}

TEST(EraseFailureLater, WithoutAProviderRandomFailsEveryFileWhileZeroWorks) {
  TempFolder temp;
  EraseSpy spy;
  spy.Fail(kAcquire, static_cast<DWORD>(NTE_PROV_TYPE_NOT_DEF));
  for (int i = 0; i < 3; ++i) {
    const std::string file = temp.MakeFile("r" + std::to_string(i), Content(100));
    EXPECT_EQ(0, EraseAndDelete(Wide(file).c_str(), RandomPass, nullptr, nullptr));
    EXPECT_EQ(Content(100), ReadFileBytes(file));
  }
  const std::string zero = temp.MakeFile("z", Content(100));
  EXPECT_NE(0, EraseAndDelete(Wide(zero).c_str(), ZeroPass, nullptr, nullptr));
  EXPECT_FALSE(testing_support::Exists(zero));
}

// A file of 4 GiB + 16 bytes that exists only in the table: positions,
// lock offsets and counters must all be 64-bit.
struct HugeFile {
  static constexpr uint64_t kSize = (uint64_t{1} << 32) + 16;
  static uint64_t position, written, lastLock, cutAt;
  static DWORD lastLength, writes;
  static bool deleted, closed, truncated;
  static HANDLE Handle() { return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x4B1D)); }

  static DWORD WINAPI Attributes(LPCWSTR) { return FILE_ATTRIBUTE_ARCHIVE; }
  static HANDLE WINAPI Create(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) { return Handle(); }
  static BOOL WINAPI Information(HANDLE, LPBY_HANDLE_FILE_INFORMATION information) {
    *information = BY_HANDLE_FILE_INFORMATION{};
    information->nNumberOfLinks = 1;
    return TRUE;
  }
  static HANDLE WINAPI FirstStream(LPCWSTR, STREAM_INFO_LEVELS, LPVOID, DWORD) {
    ::SetLastError(ERROR_HANDLE_EOF);
    return INVALID_HANDLE_VALUE;
  }
  static DWORD WINAPI Size(HANDLE, LPDWORD high) {
    *high = static_cast<DWORD>(kSize >> 32);
    return static_cast<DWORD>(kSize);
  }
  static DWORD WINAPI Pointer(HANDLE, LONG distance, PLONG high, DWORD method) {
    if (method == FILE_BEGIN) position = (static_cast<uint64_t>(*high) << 32) | static_cast<DWORD>(distance);
    *high = static_cast<LONG>(position >> 32);
    return static_cast<DWORD>(position);
  }
  static BOOL WINAPI Lock(HANDLE, DWORD low, DWORD high, DWORD length, DWORD) {
    lastLock = (static_cast<uint64_t>(high) << 32) | low;
    lastLength = length;
    return lastLock == position;
  }
  static BOOL WINAPI Write(HANDLE, LPCVOID, DWORD length, LPDWORD done, LPOVERLAPPED) {
    position += length;
    written += length;
    ++writes;
    *done = length;
    return TRUE;
  }
  static BOOL WINAPI Unlock(HANDLE, DWORD, DWORD, DWORD, DWORD) { return TRUE; }
  static BOOL WINAPI Flush(HANDLE) { return TRUE; }
  static BOOL WINAPI Close(HANDLE h) { return closed = (h == Handle()); }
  static BOOL WINAPI Delete(LPCWSTR) { return deleted = true; }
  static BOOL WINAPI VolumePath(LPCWSTR, LPWSTR root, DWORD) { return lstrcpyW(root, L"C:\\") != nullptr; }
  static BOOL WINAPI DiskFree(LPCWSTR, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector, LPDWORD, LPDWORD) {
    *sectorsPerCluster = 8;
    *bytesPerSector = 512;
    return TRUE;
  }
  static BOOL WINAPI VolumeFlags(HANDLE, LPWSTR, DWORD, LPDWORD, LPDWORD, LPDWORD flags, LPWSTR, DWORD) {
    *flags = 0;
    return TRUE;
  }
  static BOOL WINAPI EndOfFile(HANDLE) {
    cutAt = position;
    return TRUE;
  }
  static HANDLE NoFolder(LPCWSTR) {
    ::SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  // Its end: truncated to nothing, then marked for deletion.
  static BOOL WINAPI SetInformation(HANDLE, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID data, DWORD) {
    if (kind == FileEndOfFileInfo) truncated = static_cast<FILE_END_OF_FILE_INFO*>(data)->EndOfFile.QuadPart == 0;
    if (kind == FileDispositionInfo) deleted = truncated && static_cast<FILE_DISPOSITION_INFO*>(data)->DeleteFile;
    return TRUE;
  }
};
uint64_t HugeFile::position, HugeFile::written, HugeFile::lastLock, HugeFile::cutAt;
DWORD HugeFile::lastLength, HugeFile::writes;
bool HugeFile::deleted, HugeFile::closed, HugeFile::truncated;

TEST(EraseHuge, FileAboveFourGiBIsWrittenInFull) {
  const ErasePlatform saved = EraseCalls();
  ErasePlatform& calls = EraseCalls();
  calls.getFileAttributes = HugeFile::Attributes;
  calls.createFile = HugeFile::Create;
  calls.getFileInformationByHandle = HugeFile::Information;
  calls.findFirstStream = HugeFile::FirstStream;
  calls.getFileSize = HugeFile::Size;
  calls.setFilePointer = HugeFile::Pointer;
  calls.lockFile = HugeFile::Lock;
  calls.writeFile = HugeFile::Write;
  calls.unlockFile = HugeFile::Unlock;
  calls.flushFileBuffers = HugeFile::Flush;
  calls.closeHandle = HugeFile::Close;
  calls.deleteFile = HugeFile::Delete;
  calls.getVolumePathName = HugeFile::VolumePath;
  calls.getDiskFreeSpace = HugeFile::DiskFree;
  calls.getVolumeInformationByHandle = HugeFile::VolumeFlags;
  calls.setEndOfFile = HugeFile::EndOfFile;
  calls.openFolder = HugeFile::NoFolder;
  calls.setFileInformationByHandle = HugeFile::SetInformation;
  const int32_t result = EraseAndDelete(L"C:\\huge.bin", ZeroPass, nullptr, nullptr);
  EraseCalls() = saved;
  EXPECT_NE(0, result);
  EXPECT_EQ((uint64_t{1} << 32) + 4096, HugeFile::written) << "the slack of the last cluster too";
  EXPECT_EQ((HugeFile::kSize + ERASE_CHUNK - 1) / ERASE_CHUNK, HugeFile::writes);
  EXPECT_EQ(uint64_t{1} << 32, HugeFile::lastLock) << "the last chunk is locked above 4 GiB";
  EXPECT_EQ(4096u, HugeFile::lastLength);
  EXPECT_EQ(HugeFile::kSize, HugeFile::cutAt) << "cut back to a size above 4 GiB";
  EXPECT_TRUE(HugeFile::closed);
  EXPECT_TRUE(HugeFile::deleted);
}

}  // namespace
