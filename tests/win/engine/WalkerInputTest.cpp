// The walker on awkward input under Wine: long paths, odd names, deep trees
// and big folders, walked with a callback that deletes like a Delete run.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>

#include "TestSupport.h"
#include "operations/FolderWalker.h"

using testing_support::Exists;
using testing_support::TempFolder;

namespace {

struct Counts {
  std::vector<std::string> files, folders;
  uint32_t failures = 0;
};

// Deletes what it is handed, the way a Delete run does, and counts.
int32_t DeleteEntry(const char* path, int32_t done, void* context) {
  Counts& counts = *static_cast<Counts*>(context);
  (done ? counts.folders : counts.files).push_back(path);
  if (!(done ? ::RemoveDirectoryA(path) : ::DeleteFileA(path))) ++counts.failures;
  return 0;
}

int32_t DeleteTree(const std::string& folder, Counts* counts) {
  WalkOptions options{1, 1, "*.*", &DeleteEntry, counts};
  return WalkFolder(folder.c_str(), options);
}

std::wstring Wide(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  wide.resize(::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                                    static_cast<int>(wide.size())));
  return wide;
}

// Long paths are made and removed with the wide functions and "\\?\".
std::wstring LongPath(const std::string& path) { return L"\\\\?\\" + Wide(path); }

void MakeFileW(const std::wstring& path) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  ::CloseHandle(file);
}

void RemoveTreeW(const std::wstring& path) {
  WIN32_FIND_DATAW entry;
  HANDLE listing = ::FindFirstFileW((path + L"\\*").c_str(), &entry);
  if (listing != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTreeW(path + L"\\" + name);
      else ::DeleteFileW((path + L"\\" + name).c_str());
    } while (::FindNextFileW(listing, &entry));
    ::FindClose(listing);
  }
  ::RemoveDirectoryW(path.c_str());
}

TEST(WalkInput, NamesWithBlanksDotsAndCodePageCharacters) {
  TempFolder temp;
  const char* names[] = {"a b.txt", " lead", "x.y.z", "..x", "caf\xE9 \xFC\xDF.txt", "semi;colon.tmp", "100%.txt"};
  for (const char* name : names) temp.MakeFile(std::string("dir. with dots\\") + name);
  temp.MakeFile("a b\\c d\\e f");
  Counts counts;
  EXPECT_EQ(0, DeleteTree(temp.path(), &counts));
  EXPECT_EQ(0u, counts.failures);
  std::set<std::string> files(counts.files.begin(), counts.files.end());
  for (const char* name : names) EXPECT_EQ(1u, files.count(temp.Sub(std::string("dir. with dots\\") + name))) << name;
  EXPECT_EQ(1u, files.count(temp.Sub("a b\\c d\\e f")));
  EXPECT_EQ(8u, counts.files.size());
  EXPECT_FALSE(Exists(temp.path()));
}

TEST(WalkInput, PathOfMaxPathMinusOneIsHandedOverWhole) {
  TempFolder temp;
  // root\<padding>\file.txt, exactly MAX_PATH - 1 characters.
  const size_t padding = MAX_PATH - 1 - temp.path().size() - 2 - 8;
  ASSERT_LT(padding, 240u);
  const std::string folder = temp.MakeFolder(std::string(padding, 'p'));
  const std::string file = temp.MakeFile(std::string(padding, 'p') + "\\file.txt");
  ASSERT_EQ(static_cast<size_t>(MAX_PATH - 1), file.size());
  ASSERT_TRUE(Exists(file));
  Counts counts;
  EXPECT_EQ(0, DeleteTree(temp.path(), &counts));
  EXPECT_EQ(std::vector<std::string>{file}, counts.files);
  EXPECT_EQ(0u, counts.failures);
  EXPECT_FALSE(Exists(temp.path()));
}

TEST(WalkInput, FolderTooLongToListEndsTheWalkAndLeavesTheTree) {
  TempFolder temp;
  // A folder whose listing pattern is longer than MAX_PATH, below a folder
  // that holds an ordinary file.
  const std::string deep = temp.path() + "\\" + std::string(200, 'a') + "\\" + std::string(100, 'b');
  ASSERT_TRUE(::CreateDirectoryW(LongPath(temp.path() + "\\" + std::string(200, 'a')).c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryW(LongPath(deep).c_str(), nullptr));
  MakeFileW(LongPath(deep + "\\inner.txt"));
  temp.MakeFile("outer.txt");
  Counts counts;
  const int32_t result = DeleteTree(temp.path(), &counts);
  EXPECT_NE(0, result);
  EXPECT_TRUE(counts.files.empty()) << counts.files.front();
  EXPECT_TRUE(counts.folders.empty()) << "no ancestor of the unlistable folder is reported";
  EXPECT_TRUE(Exists(temp.Sub("outer.txt")));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(LongPath(deep + "\\inner.txt").c_str()));
  RemoveTreeW(LongPath(temp.path()));
}

TEST(WalkInput, FileNameBeyondMaxPathIsHandedOverWhole) {
  TempFolder temp;
  const std::string file = temp.path() + "\\" + std::string(250, 'f') + ".txt";
  ASSERT_GT(file.size(), static_cast<size_t>(MAX_PATH));
  MakeFileW(LongPath(file));
  std::vector<std::string> seen;
  WalkOptions options{1, 1, "*.txt",
                      [](const char* path, int32_t done, void* context) -> int32_t {
                        if (!done) static_cast<std::vector<std::string>*>(context)->push_back(path);
                        return 0;
                      },
                      &seen};
  EXPECT_EQ(0, WalkFolder(temp.path().c_str(), options));
  EXPECT_EQ(std::vector<std::string>{file}, seen);
  RemoveTreeW(LongPath(temp.path()));
}

TEST(WalkInput, TreeTwoHundredLevelsDeep) {
  TempFolder temp;
  std::string path = temp.path();
  for (int level = 0; level < 200; ++level) {
    path += "\\d";
    ASSERT_TRUE(::CreateDirectoryW(LongPath(path).c_str(), nullptr)) << level;
  }
  MakeFileW(LongPath(path + "\\leaf.txt"));
  Counts counts;
  // Past MAX_PATH the ANSI listing fails: the walk must end with that
  // failure, without a crash and without reporting anything above it.
  EXPECT_NE(0, DeleteTree(temp.path(), &counts));
  EXPECT_TRUE(counts.files.empty());
  EXPECT_TRUE(counts.folders.empty());
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(LongPath(path + "\\leaf.txt").c_str()));
  RemoveTreeW(LongPath(temp.path()));
}

}  // namespace
