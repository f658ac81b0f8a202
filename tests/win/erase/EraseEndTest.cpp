// The end of an erased file on real files under Wine, watched and broken
// through the seam: truncated and flushed, its times made old, renamed in
// its own folder to random names of its length, then deleted; and what
// stays, under which name, when a step of that fails.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "EraseSpy.h"
#include "TestSupport.h"
#include "base/OpenAt.h"
#include "erase/EraseEnd.h"
#include "erase/Eraser.h"
#include "erase/RandomName.h"

using namespace engine_test;
using testing_support::Exists;
using testing_support::ReadFileBytes;
using testing_support::TempFolder;

namespace {

bool IsLetterOrDigit(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9');
}

// The names in a folder, "." and ".." left out.
std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  const HANDLE listing = ::FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (listing == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = entry.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (::FindNextFileA(listing, &entry));
  ::FindClose(listing);
  return names;
}

// The file's size and last write time, read by its name.
struct Stat {
  uint64_t size = ~0ull;
  int64_t written = 0;
  int64_t created = 0;
};
Stat StatOf(const std::string& path) {
  Stat stat;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return stat;
  stat.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  stat.written = (static_cast<int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
  stat.created = (static_cast<int64_t>(data.ftCreationTime.dwHighDateTime) << 32) | data.ftCreationTime.dwLowDateTime;
  return stat;
}

std::string Secret(size_t size) { return std::string(size, 's'); }

}  // namespace

TEST(EraseEnd, TruncatesSetsOldTimesRenamesSevenTimesInItsFolderThenDeletes) {
  TempFolder temp;
  const std::string file = temp.MakeFile("report 2026.txt", Secret(3000));
  temp.MakeFile("neighbour.txt", "stays");
  EraseSpy spy;
  ASSERT_EQ(EraseOverwritten, EraseAndDelete(Wide(file).c_str(), ZeroPass, nullptr, nullptr));

  EXPECT_EQ("RPLWUFRETFS" + std::string(kEraseRenames, 'N') + "X", spy.steps)
      << "one pass into the slack, cut back; truncated and flushed, times set, renamed, then marked for deletion";
  ASSERT_EQ(1u, spy.atEnd.size());
  EXPECT_EQ(std::string(3000, '\0'), spy.atEnd.front()) << "the pass was on the file when its end began";
  ASSERT_EQ(1u, spy.timesSet.size());
  const FILE_BASIC_INFO& times = spy.timesSet.front();
  for (const LARGE_INTEGER& time : {times.CreationTime, times.LastAccessTime, times.LastWriteTime, times.ChangeTime})
    EXPECT_EQ(kErasedFileTime, time.QuadPart);
  EXPECT_EQ(0u, times.FileAttributes) << "attributes left alone";

  ASSERT_EQ(kEraseRenames, spy.renames.size());
  std::set<std::wstring> names;
  for (const auto& rename : spy.renames) {
    EXPECT_EQ(spy.renames.front().first, rename.first) << "every rename relative to one folder";
    EXPECT_EQ(15u, rename.second.size()) << "the length of \"report 2026.txt\"";
    for (wchar_t c : rename.second) EXPECT_TRUE(IsLetterOrDigit(c)) << Narrow(rename.second);
    names.insert(rename.second);
  }
  EXPECT_NE(nullptr, spy.renames.front().first);
  EXPECT_EQ(kEraseRenames, names.size()) << "a fresh name each time";
  EXPECT_EQ(0u, names.count(L"report 2026.txt"));

  EXPECT_EQ(std::vector<std::string>{"neighbour.txt"}, NamesIn(temp.path())) << "nothing left under any name";
  EXPECT_EQ(spy.count[kOpenFolder] + spy.count[kOpenAt], spy.count[kCloseEnd]) << "the end's handles are closed";
}

TEST(EraseEnd, RenamesGoWhereTheFolderIsOpenAndTheNameStaysOnTheFileSystemUntilTheDeletion) {
  TempFolder temp;
  const std::string file = temp.MakeFile("a.b", Secret(10));
  const std::string original = Narrow(Wide(file));
  EraseSpy spy;
  // The deletion refused, and then the way back to its own name: the file
  // stays where the seventh rename took it.
  spy.Fail(kDisposition, ERROR_ACCESS_DENIED);
  spy.Fail(kRename, ERROR_ACCESS_DENIED, kEraseRenames + 1);
  ::SetLastError(0);
  EXPECT_EQ(EraseFailed, EraseAndDelete(Wide(file).c_str(), ZeroPass, nullptr, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), ::GetLastError());
  ASSERT_EQ(kEraseRenames + 1, spy.renames.size());
  EXPECT_EQ(L"a.b", spy.renames.back().second) << "the way back was tried";
  const std::vector<std::string> names = NamesIn(temp.path());
  ASSERT_EQ(1u, names.size());
  EXPECT_EQ(Narrow(spy.renames[kEraseRenames - 1].second), names.front()) << "renamed on the disk, in its folder";
  EXPECT_EQ(3u, names.front().size());
  const Stat stat = StatOf(temp.Sub(names.front()));
  EXPECT_EQ(0u, stat.size) << "truncated";
  EXPECT_EQ(kErasedFileTime, stat.written);
  EXPECT_EQ(kErasedFileTime, stat.created);
  EXPECT_FALSE(Exists(original));
}

TEST(EraseEnd, AFailedDeletionGivesTheFileItsOwnNameBackEmptyAndOld) {
  TempFolder temp;
  const std::string file = temp.MakeFile("kept.dat", Secret(2000));
  EraseSpy spy;
  spy.Fail(kDisposition, ERROR_SHARING_VIOLATION);
  ::SetLastError(0);
  EXPECT_EQ(EraseFailed, EraseAndDelete(Wide(file).c_str(), RandomPass, nullptr, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), ::GetLastError()) << "the deletion's own error";
  EXPECT_EQ(kEraseRenames + 1, spy.renames.size());
  EXPECT_EQ(std::vector<std::string>{"kept.dat"}, NamesIn(temp.path()));
  const Stat stat = StatOf(file);
  EXPECT_EQ(0u, stat.size);
  EXPECT_EQ(kErasedFileTime, stat.written);
  EXPECT_EQ(spy.count[kCreate], spy.count[kClose]) << "the file's handle is closed";
}

TEST(EraseEnd, ARefusedRenameEndsTheRenamesAndTheFileGoesUnderTheNameItHas) {
  for (const DWORD refusal : {static_cast<DWORD>(ERROR_ALREADY_EXISTS), static_cast<DWORD>(ERROR_ACCESS_DENIED)}) {
    for (int allowed : {0, 3}) {
      TempFolder temp;
      const std::string file = temp.MakeFile("share.bin", Secret(100));
      EraseSpy spy;
      spy.renamesAllowed = allowed;
      spy.renameRefusal = refusal;
      EXPECT_EQ(EraseOverwritten, EraseAndDelete(Wide(file).c_str(), ZeroPass, nullptr, nullptr)) << allowed;
      EXPECT_EQ(static_cast<size_t>(allowed) + 1, spy.renames.size()) << "none tried after the refusal";
      EXPECT_EQ(1, spy.count[kDisposition]);
      EXPECT_TRUE(NamesIn(temp.path()).empty()) << allowed;
    }
  }
}

// A step of the end that fails leaves the file, overwritten, under its own
// name, and the erasure fails with that step's error.
TEST(EraseEnd, FailedTruncationTimesOrSeedKeepTheFileUnderItsName) {
  struct Row {
    const char* name;
    SpyCall call;
    DWORD error;
    size_t size;  // what stays
  } rows[] = {
      {"truncation", kTruncate, ERROR_IO_DEVICE, 700},
      {"times", kTimes, ERROR_INVALID_PARAMETER, 0},
      {"seed", kNameSeed, ERROR_GEN_FAILURE, 0},
  };
  for (const Row& row : rows) {
    TempFolder temp;
    const std::string file = temp.MakeFile("step.bin", Secret(700));
    EraseSpy spy;
    spy.Fail(row.call, row.error);
    ::SetLastError(0);
    EXPECT_EQ(EraseFailed, EraseAndDelete(Wide(file).c_str(), ZeroPass, nullptr, nullptr)) << row.name;
    if (row.call != kNameSeed) {
      EXPECT_EQ(row.error, ::GetLastError()) << row.name;
    }
    EXPECT_TRUE(spy.renames.empty()) << row.name;
    EXPECT_EQ(0, spy.count[kDisposition]) << row.name;
    EXPECT_EQ(std::string(row.size, '\0'), ReadFileBytes(file)) << row.name;
    EXPECT_EQ(spy.count[kCreate], spy.count[kClose]) << row.name;
  }
}

// Only an entry's own name goes: a file with other hard links is neither
// written nor renamed, so none of its names moves.
TEST(EraseEnd, HardLinkedFilesKeepTheirNamesTillTheirOwnGoes) {
  TempFolder temp;
  const std::string outside = temp.MakeFile("store\\original.bin", Secret(400));
  temp.MakeFolder("selected");
  const std::wstring linked = Wide(temp.Sub("selected\\linked.bin"));
  ASSERT_TRUE(::CreateHardLinkW(linked.c_str(), Wide(outside).c_str(), nullptr));
  EraseSpy spy;
  EXPECT_EQ(EraseNameOnly, EraseAndDelete(linked.c_str(), ZeroPass, nullptr, nullptr));
  EXPECT_TRUE(spy.renames.empty());
  EXPECT_EQ(0, spy.count[kTruncate] + spy.count[kTimes] + spy.count[kDisposition]);
  EXPECT_TRUE(NamesIn(temp.Sub("selected")).empty());
  EXPECT_EQ(Secret(400), ReadFileBytes(outside));
}

// Where the handle is not the entry the folder listed, it may sit in
// another folder: it is erased and deleted, but keeps its name.
TEST(EraseEnd, AHandleThatIsNotTheListedEntryIsNotRenamed) {
  TempFolder temp;
  const std::string file = temp.MakeFile("moved.bin", Secret(50));
  const HANDLE folder = ::CreateFileA(temp.path().c_str(), FILE_LIST_DIRECTORY | SYNCHRONIZE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, folder);
  HANDLE probe = ::CreateFileA(file.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  BY_HANDLE_FILE_INFORMATION information = {};
  ASSERT_TRUE(::GetFileInformationByHandle(probe, &information));
  ::CloseHandle(probe);
  const FileIdentity listed{information.dwVolumeSerialNumber,
                            (static_cast<uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
  const ErasedPlace elsewhere{folder, L"moved.bin", 9, listed.fileId + 1};
  EraseSpy spy;
  EXPECT_EQ(EraseOverwritten, EraseListedFile(Wide(file).c_str(), listed, elsewhere, ZeroPass, nullptr, nullptr));
  EXPECT_TRUE(spy.renames.empty());
  EXPECT_FALSE(Exists(file));
  ::CloseHandle(folder);
}

TEST(RenameAt, RenamesWithinTheFolderAndNeverOverAnotherName) {
  TempFolder temp;
  const std::string first = temp.MakeFile("first", "one");
  temp.MakeFile("taken", "two");
  const HANDLE folder = ::CreateFileA(temp.path().c_str(), FILE_LIST_DIRECTORY | SYNCHRONIZE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, folder);
  HANDLE entry = INVALID_HANDLE_VALUE;
  ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), OpenAt(folder, L"first", 5, DELETE, 0x40, &entry));
  EXPECT_NE(static_cast<DWORD>(ERROR_SUCCESS), RenameAt(entry, folder, L"taken", 5));
  EXPECT_EQ("two", ReadFileBytes(temp.Sub("taken"))) << "nothing replaced";
  EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), RenameAt(entry, folder, L"fresh", 5));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), RenameAt(entry, folder, L"", 0));
  ::CloseHandle(entry);
  ::CloseHandle(folder);
  EXPECT_FALSE(Exists(first));
  EXPECT_EQ("one", ReadFileBytes(temp.Sub("fresh")));
}
