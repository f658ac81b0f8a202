// The overwrite procedure on real files under Wine: what lands on the disk,
// in which steps, and what is left when it stops or cannot start.
#include <gtest/gtest.h>

#include <windows.h>

#include "EraseSpy.h"
#include "TestSupport.h"
#include "erase/Eraser.h"
#include "erase/RandomName.h"
#include "tests/shared/EraseCycles.h"

using namespace engine_test;
using testing_support::Exists;
using testing_support::ReadFileBytes;
using testing_support::TempFolder;

namespace {

// What the file held just before the eraser deleted it.
std::string lateContent;

// Stops before pass `stopBefore` with `stopWith`; counts the announcements.
struct Passes {
  int32_t stopBefore = 0;
  int32_t stopWith = -1;
  std::vector<std::pair<int32_t, int32_t>> seen;

  static int32_t Callback(int32_t pass, int32_t count, void* context) {
    Passes& self = *static_cast<Passes*>(context);
    self.seen.emplace_back(pass, count);
    return pass == self.stopBefore ? self.stopWith : 0;
  }
};

using erase_cycles::Repeated;

std::string Content(size_t size) { return Repeated("secret data ", size); }

TEST(EraseSizes, EmptyFileRunsEveryPassWritesNothingAndGoes) {
  TempFolder temp;
  const std::string file = temp.MakeFile("empty.bin", "");
  EraseSpy spy;
  Passes passes;
  EXPECT_EQ(EraseOverwritten, EraseAndDelete(Wide(file).c_str(), DoD3Pass, &Passes::Callback, &passes));
  EXPECT_EQ((std::vector<std::pair<int32_t, int32_t>>{{1, 3}, {2, 3}, {3, 3}}), passes.seen);
  EXPECT_EQ("RRRTFS" + std::string(kEraseRenames, 'N') + "X", spy.steps)
      << "each pass rewinds, none writes; then the file's end";
  EXPECT_EQ(0, spy.count[kAllocate]) << "nothing to hold";
  EXPECT_EQ(1, spy.providersTaken) << "the Random pass still takes its source";
  EXPECT_EQ(0, spy.openProviders);
  EXPECT_FALSE(Exists(file));
}

constexpr size_t kMiB = size_t{1} << 20;

constexpr size_t kCluster = 4096;
// The file's size with the slack of its last cluster.
size_t Allocated(size_t size) { return (size + kCluster - 1) / kCluster * kCluster; }

TEST(EraseSizes, ChunksOfOneMiBAndTheRemainderFromOneBuffer) {
  for (const size_t size : {size_t{4097}, kMiB, kMiB + 1, 3 * kMiB + 5}) {
    TempFolder temp;
    const std::string file = temp.MakeFile("f.bin", Content(size));
    EraseSpy spy;
    spy.cluster = kCluster / 512;
    EXPECT_EQ(EraseOverwritten, EraseAndDelete(Wide(file).c_str(), DoD3Pass, nullptr, nullptr)) << size;
    const size_t end = Allocated(size);
    std::string steps;
    std::vector<std::pair<uint64_t, DWORD>> locks;
    for (int pass = 0; pass < 3; ++pass) {
      steps += "R";
      for (uint64_t at = 0; at < end; at += kMiB) {
        steps += "PLWUF";
        locks.emplace_back(at, static_cast<DWORD>(std::min<uint64_t>(kMiB, end - at)));
      }
      // Back to the file's size after the slack.
      if (end != size) steps += "RE";
    }
    EXPECT_EQ(steps + "TFS" + std::string(kEraseRenames, 'N') + "X", spy.steps) << size;
    EXPECT_EQ(locks, spy.locks) << size;
    EXPECT_EQ(std::vector<size_t>{std::min(end, kMiB)}, spy.allocations) << "one buffer, sized from what it holds";
    EXPECT_EQ(1, spy.count[kRelease]);
    std::string zeros;
    for (size_t chunk = 0; chunk < spy.written.size() / 3; ++chunk) zeros += spy.written[chunk];
    EXPECT_EQ(std::string(end, '\0'), zeros);
    EXPECT_FALSE(Exists(file));
  }
}

TEST(ErasePatterns, EveryPassOfEveryMethodRunsOnAcrossChunks) {
  // 2^20 mod 3 = 1: the second chunk starts one step into a 3-byte cycle.
  const size_t size = kMiB + 2;
  std::string previousRandom;
  for (uint32_t method = ZeroPass; method <= Gutmann35Pass; ++method) {
    TempFolder temp;
    const std::string file = temp.MakeFile("m.bin", Content(size));
    EraseSpy spy;
    spy.cluster = kCluster / 512;
    EXPECT_EQ(EraseOverwritten, EraseAndDelete(Wide(file).c_str(), method, nullptr, nullptr));
    const std::vector<std::string>& cycles = erase_cycles::MethodCycles()[method];
    ASSERT_EQ(cycles.size() * 2, spy.written.size()) << method;
    for (size_t pass = 0; pass < cycles.size(); ++pass) {
      ASSERT_EQ(kMiB, spy.written[2 * pass].size());
      const std::string data = spy.written[2 * pass] + spy.written[2 * pass + 1];
      if (cycles[pass].empty()) {
        EXPECT_EQ(std::string::npos, data.find(std::string(8, '\0'))) << method << " pass " << pass + 1;
        EXPECT_NE(previousRandom, data) << "every Random pass draws afresh";
        previousRandom = data;
      } else {
        EXPECT_EQ(Repeated(cycles[pass], Allocated(size)), data) << method << " pass " << pass + 1 << ", slack too";
      }
    }
  }
}

TEST(ErasePatterns, StoppedAfterAPassTheDiskHoldsItsPattern) {
  for (const erase_cycles::PhaseCase& c : erase_cycles::kPhaseCases) {
    TempFolder temp;
    const size_t size = c.chunks * kMiB + c.extra;
    const std::string file = temp.MakeFile("p.bin", Content(size));
    Passes stopped;
    stopped.stopBefore = c.pass + 1;
    EXPECT_EQ(0, EraseAndDelete(Wide(file).c_str(), Gutmann35Pass, &Passes::Callback, &stopped));
    const std::string on = ReadFileBytes(file);
    const std::string& cycle = erase_cycles::MethodCycles()[Gutmann35Pass][c.pass - 1];
    EXPECT_EQ(erase_cycles::Repeated(cycle, size), on) << "pass " << c.pass;
  }
}

TEST(EraseStops, CallbackBeforeDoDPassTwoLeavesZerosInPlace) {
  TempFolder temp;
  const std::string file = temp.MakeFile("dod.bin", Content(5000));
  Passes passes;
  passes.stopBefore = 2;
  ::SetLastError(0);
  EXPECT_EQ(0, EraseAndDelete(Wide(file).c_str(), DoD3Pass, &Passes::Callback, &passes));
  EXPECT_EQ(0xFFFFFFFFu, ::GetLastError());
  EXPECT_EQ(std::string(5000, '\0'), ReadFileBytes(file));
}

TEST(EraseStops, PositiveCallbackResultIsAWin32Error) {
  TempFolder temp;
  const std::string file = temp.MakeFile("c.bin", Content(100));
  Passes passes;
  passes.stopBefore = 1;
  passes.stopWith = ERROR_CANCELLED;
  ::SetLastError(0);
  EXPECT_EQ(0, EraseAndDelete(Wide(file).c_str(), Gutmann35Pass, &Passes::Callback, &passes));
  EXPECT_EQ(static_cast<DWORD>(ERROR_CANCELLED), ::GetLastError());
  EXPECT_EQ(Content(100), ReadFileBytes(file)) << "nothing written";
  EXPECT_EQ(1u, passes.seen.size());
}

TEST(EraseStops, UnknownMethodErasesWithOneZeroPass) {
  TempFolder temp;
  const std::string file = temp.MakeFile("m.bin", Content(10));
  EraseSpy spy;
  spy.cluster = kCluster / 512;
  Passes passes;
  EXPECT_NE(0, EraseAndDelete(Wide(file).c_str(), 7, &Passes::Callback, &passes));
  EXPECT_EQ((std::vector<std::pair<int32_t, int32_t>>{{1, 1}}), passes.seen);
  EXPECT_EQ(std::vector<std::string>{std::string(kCluster, '\0')}, spy.written) << "the file and its slack";
  EXPECT_FALSE(Exists(file));
}

TEST(EraseOpen, ReadOnlyFileIsRefusedAndKept) {
  TempFolder temp;
  const std::string file = temp.MakeFile("ro.bin", Content(300));
  ASSERT_TRUE(::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
  ::SetLastError(0);
  EXPECT_EQ(0, EraseAndDelete(Wide(file).c_str(), ZeroPass, nullptr, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), ::GetLastError());
  EXPECT_EQ(Content(300), ReadFileBytes(file));
  EXPECT_TRUE(::GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_READONLY) << "attributes are left alone";
  ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(EraseOpen, FileHeldOpenElsewhereIsRefusedAndKept) {
  TempFolder temp;
  const std::string file = temp.MakeFile("held.bin", Content(300));
  HANDLE other = ::CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, other);
  ::SetLastError(0);
  EXPECT_EQ(0, EraseAndDelete(Wide(file).c_str(), ZeroPass, nullptr, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), ::GetLastError());
  ::CloseHandle(other);
  EXPECT_EQ(Content(300), ReadFileBytes(file));
}

TEST(EraseOpen, MissingFileFailsWithItsError) {
  TempFolder temp;
  ::SetLastError(0);
  EXPECT_EQ(0, EraseAndDelete(Wide(temp.Sub("none.bin")).c_str(), ZeroPass, nullptr, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), ::GetLastError());
}

TEST(EraseOpen, LongPathAndNameOutsideTheCodePageAreErased) {
  TempFolder temp;
  // \\?\ and about 330 characters, ending in a name no code page holds.
  std::wstring path = L"\\\\?\\" + Wide(temp.path());
  for (int level = 0; level < 6; ++level) {
    path += L"\\" + std::wstring(50, static_cast<wchar_t>(L'a' + level));
    ASSERT_TRUE(::CreateDirectoryW(path.c_str(), nullptr)) << level;
  }
  path += L"\\\u79D8\u5BC6\U0001F512.bin";
  ASSERT_GT(path.size(), size_t{MAX_PATH});
  const std::string content = Content(5000);
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  DWORD written = 0;
  ASSERT_TRUE(::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr));
  ::CloseHandle(file);
  EraseSpy spy;
  EXPECT_NE(0, EraseAndDelete(path.c_str(), ZeroPass, nullptr, nullptr));
  ASSERT_EQ(1u, spy.atEnd.size());
  EXPECT_EQ(std::string(5000, '\0'), spy.atEnd.front()) << "overwritten through the long name";
  EXPECT_EQ(kEraseRenames, spy.renames.size()) << "renamed in the deep folder too";
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(path.c_str())) << "and deleted";
  // The narrow-name helpers cannot remove a tree this deep.
  for (int level = 5; level >= 0; --level) {
    path.resize(path.rfind(L'\\'));
    EXPECT_TRUE(::RemoveDirectoryW(path.c_str())) << level;
  }
}

// The file is deleted through the handle that wrote it, which shares
// nothing: a scanner cannot step in between the passes and the deletion.
// Should the deletion still fail, its own error is the erasure's.
TEST(EraseDelete, DeletionFailureAfterThePassesKeepsItsOwnError) {
  TempFolder temp;
  const std::string file = temp.MakeFile("late.bin", Content(5000));
  EraseSpy spy;
  spy.Fail(kDisposition, ERROR_SHARING_VIOLATION);
  ::SetLastError(0);
  EXPECT_EQ(0, EraseAndDelete(Wide(file).c_str(), ZeroPass, nullptr, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), ::GetLastError());
  ASSERT_EQ(1u, spy.atEnd.size());
  EXPECT_EQ(std::string(5000, '\0'), spy.atEnd.front()) << "every pass was written";
  EXPECT_EQ(0, spy.count[kDelete]) << "never by its name";
  EXPECT_TRUE(Exists(file));
}

// What a listing of the file reports, as Windows would for a link or a
// cloud placeholder; under Wine a host file link looks like a plain file.
std::string listedPath;
DWORD listedAttributes, listedTag;
HANDLE WINAPI ListEntry(LPCWSTR path, LPWIN32_FIND_DATAW data) {
  if (listedPath != Narrow(path)) {
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  data->dwFileAttributes = listedAttributes;
  if (listedTag) data->dwReserved0 = listedTag;
  return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7157));
}
BOOL WINAPI CloseList(HANDLE) { return TRUE; }

TEST(EraseLinks, FileLinkIsDeletedNeverOpenedOtherReparsePointsAreErased) {
  struct Case {
    DWORD tag;
    bool link;
  } cases[] = {{IO_REPARSE_TAG_SYMLINK, true}, {0, true}, {0x9000001A /* cloud */, false}};
  for (const Case& c : cases) {
    TempFolder temp;
    const std::string file = temp.MakeFile("entry.bin", Content(300));
    EraseSpy spy;
    listedPath = file;
    listedAttributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT;
    listedTag = c.tag;
    EraseCalls().findFirstFile = ListEntry;
    EraseCalls().findClose = CloseList;
    spy.beforeDelete = [](LPCWSTR path) { lateContent = ReadFileBytes(Narrow(path)); };
    lateContent.clear();
    Passes passes;
    EXPECT_EQ(c.link ? EraseNameOnly : EraseOverwritten,
              EraseAndDelete(Wide(file).c_str(), DoD3Pass, &Passes::Callback, &passes))
        << c.tag;
    EXPECT_FALSE(Exists(file));
    if (c.link) {
      EXPECT_EQ(0, spy.count[kCreate]) << "what a link points to is never opened";
      EXPECT_TRUE(passes.seen.empty());
      EXPECT_EQ(Content(300), lateContent) << "deleted as it was";
      EXPECT_TRUE(spy.renames.empty()) << "a link keeps its name till it goes";
    } else {
      EXPECT_EQ(1, spy.count[kCreate]);
      EXPECT_EQ(0u, spy.createFlags & FILE_FLAG_OPEN_REPARSE_POINT) << "opened through its filter";
      EXPECT_EQ(3u, passes.seen.size());
      ASSERT_EQ(1u, spy.atEnd.size());
      EXPECT_EQ(300u, spy.atEnd.front().size());
      EXPECT_NE(Content(300), spy.atEnd.front()) << "overwritten before the deletion";
    }
  }
}

std::vector<std::pair<Result, std::string>> traced;
void Trace(Result code, const char* unit, int) { traced.emplace_back(code, unit); }

bool TracedOtherNames() {
  for (const auto& trace : traced)
    if (trace.first == kResultOtherNames && trace.second == "Eraser.cpp") return true;
  return false;
}

TEST(EraseHardLinks, SecondNameIsRemovedAndTheDataLeftToTheFirst) {
  TempFolder temp;
  const std::string outside = temp.MakeFile("store\\original.bin", Content(5000));
  temp.MakeFolder("selected");
  const std::wstring linked = Wide(temp.Sub("selected\\linked.bin"));
  ASSERT_TRUE(::CreateHardLinkW(linked.c_str(), Wide(outside).c_str(), nullptr));
  traced.clear();
  const ErrorTraceHook previous = SetErrorTraceHook(Trace);
  {
    EraseSpy spy;
    Passes passes;
    EXPECT_EQ(EraseNameOnly, EraseAndDelete(linked.c_str(), Gutmann35Pass, &Passes::Callback, &passes));
    EXPECT_EQ(0, spy.count[kWrite]) << "nothing written through either name";
    EXPECT_TRUE(passes.seen.empty());
    EXPECT_EQ(spy.count[kCreate], spy.count[kClose]);
  }
  SetErrorTraceHook(previous);
  EXPECT_TRUE(TracedOtherNames());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(linked.c_str())) << "its own name is gone";
  EXPECT_EQ(Content(5000), ReadFileBytes(outside)) << "the other name's data is untouched";

  // Now the only name: erased as any file.
  EraseSpy spy;
  EXPECT_EQ(EraseOverwritten, EraseAndDelete(Wide(outside).c_str(), ZeroPass, nullptr, nullptr));
  ASSERT_EQ(1u, spy.atEnd.size());
  EXPECT_EQ(std::string(5000, '\0'), spy.atEnd.front());
  EXPECT_FALSE(Exists(outside));
}

TEST(EraseHardLinks, LinkCountFromTheHandleDecides) {
  TempFolder temp;
  const std::string file = temp.MakeFile("shared.bin", Content(300));
  traced.clear();
  const ErrorTraceHook previous = SetErrorTraceHook(Trace);
  {
    // The pass loop alone writes nothing and keeps the file.
    EraseSpy spy;
    spy.linkCount = 2;
    EXPECT_EQ(kResultOtherNames, OverwriteFile(Wide(file).c_str(), PassList(DoD3Pass), nullptr, nullptr));
    EXPECT_EQ(0, spy.count[kWrite]);
    EXPECT_EQ(1, spy.count[kClose]);
    EXPECT_EQ(0, spy.count[kAllocate]) << "no buffer for a file that is not written";
    EXPECT_EQ(Content(300), ReadFileBytes(file));
  }
  {
    // The name cannot be removed: a failure like any other, file kept.
    EraseSpy spy;
    spy.linkCount = 5;
    spy.Fail(kDelete, ERROR_ACCESS_DENIED);
    ::SetLastError(0);
    EXPECT_EQ(EraseFailed, EraseAndDelete(Wide(file).c_str(), RandomPass, nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), ::GetLastError());
    EXPECT_EQ(0, spy.count[kWrite]);
    EXPECT_EQ(0, spy.providersTaken);
    EXPECT_EQ(Content(300), ReadFileBytes(file));
  }
  {
    EraseSpy spy;
    spy.linkCount = 1;
    EXPECT_EQ(EraseOverwritten, EraseAndDelete(Wide(file).c_str(), ZeroPass, nullptr, nullptr));
    EXPECT_EQ(1, spy.count[kWrite]);
  }
  SetErrorTraceHook(previous);
  EXPECT_TRUE(TracedOtherNames());
  EXPECT_FALSE(Exists(file));
}

}  // namespace

namespace {

FileIdentity IdentityOfFile(const std::string& path) {
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE file = ::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
  BY_HANDLE_FILE_INFORMATION information = {};
  ::GetFileInformationByHandle(file, &information);
  ::CloseHandle(file);
  return {information.dwVolumeSerialNumber,
          (static_cast<uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
}

// The folder a listing was read through, open as the walk holds it.
struct ListedFolder {
  explicit ListedFolder(const std::string& path)
      : handle(::CreateFileA(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}
  ~ListedFolder() { ::CloseHandle(handle); }
  HANDLE handle;
};

}  // namespace

// A name that no longer holds the file its listing showed (replaced since,
// or reached through a folder swapped above it) is never written, and its
// name is left for the caller; the file it showed is erased and gone.
TEST(EraseListed, WritesOnlyTheFileTheListingShowedAndLeavesTheName) {
  TempFolder temp;
  const std::string file = temp.MakeFile("listed.bin", Content(500));
  const std::string other = temp.MakeFile("other.bin", "other");
  const FileIdentity listed = IdentityOfFile(file);
  ASSERT_NE(listed, IdentityOfFile(other));
  const ListedFolder folder(temp.path());
  const ErasedPlace otherPlace{folder.handle, L"other.bin", 9, listed.fileId};
  const ErasedPlace place{folder.handle, L"listed.bin", 10, listed.fileId};

  EraseSpy spy;
  Passes passes;
  ::SetLastError(0);
  EXPECT_EQ(EraseFailed,
            EraseListedFile(Wide(other).c_str(), listed, otherPlace, ZeroPass, &Passes::Callback, &passes));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_INVALID), ::GetLastError());
  EXPECT_EQ("other", ReadFileBytes(other)) << "nothing written";
  EXPECT_TRUE(passes.seen.empty());
  EXPECT_TRUE(spy.renames.empty());

  EXPECT_EQ(EraseOverwritten, EraseListedFile(Wide(file).c_str(), listed, place, ZeroPass, &Passes::Callback, &passes));
  ASSERT_EQ(1u, spy.atEnd.size());
  EXPECT_EQ(std::string(500, '\0'), spy.atEnd.front()) << "overwritten before its end";
  EXPECT_EQ(kEraseRenames, spy.renames.size());
  for (const auto& rename : spy.renames) EXPECT_EQ(folder.handle, rename.first) << "renamed in the listed folder";
  EXPECT_FALSE(Exists(file));
  EXPECT_EQ("other", ReadFileBytes(other));
}
