// The walker on awkward input under Wine: names outside the code page, long
// paths, deep trees, walked with a callback that deletes like a Delete run.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>

#include "TestSupport.h"
#include "operations/FolderWalker.h"
#include "tests/win/operations/WideTree.h"

using namespace wide_tree;

namespace {

struct Counts {
  std::vector<std::wstring> files, folders, unlisted;
  uint32_t failures = 0;
};

// Deletes what it is handed, the way a Delete run does, and counts.
int32_t DeleteEntry(const wchar_t* path, int32_t kind, void* context) {
  Counts& counts = *static_cast<Counts*>(context);
  if (kind == EntryUnlisted) {
    counts.unlisted.push_back(path);
    return 0;
  }
  (kind == EntryFolderDone ? counts.folders : counts.files).push_back(path);
  if (!(kind == EntryFolderDone ? ::RemoveDirectoryW(path) : ::DeleteFileW(path))) ++counts.failures;
  return 0;
}

int32_t DeleteTree(const std::wstring& folder, Counts* counts) {
  WalkOptions options{1, 1, "*", &DeleteEntry, counts};
  return WalkFolder(ExtendedPath(folder).c_str(), options);
}

TEST(WalkInput, NamesWithBlanksDotsAndCharactersOfAnyScript) {
  WideTemp temp;
  const std::wstring names[] = {L"a b.txt",
                                L" lead",
                                L"x.y.z",
                                L"..x",
                                L"caf\xE9 \xFC\xDF.txt",
                                L"semi;colon.tmp",
                                L"100%.txt",
                                L"\x65E5\x672C\x8A9E.txt",            // Japanese
                                L"\x0440\x0443\x0441.doc",            // Cyrillic
                                L"\x05E9\x05DC\x05D5\x05DD",          // Hebrew
                                L"\xD83D\xDE00 \xD83C\xDF89.txt"};  // emoji, outside the BMP
  for (const std::wstring& name : names) ASSERT_TRUE(MakeFileW(temp.Sub(L"dir. \x4E2D\\" + name))) << U8(name);
  temp.File(L"a b\\c d\\e f");
  Counts counts;
  EXPECT_EQ(0, DeleteTree(temp.path(), &counts));
  EXPECT_EQ(0u, counts.failures);
  EXPECT_TRUE(counts.unlisted.empty());
  std::set<std::wstring> files(counts.files.begin(), counts.files.end());
  for (const std::wstring& name : names)
    EXPECT_EQ(1u, files.count(L"\\\\?\\" + temp.Sub(L"dir. \x4E2D\\" + name))) << U8(name);
  EXPECT_EQ(12u, counts.files.size());
  EXPECT_FALSE(ExistsW(temp.path()));
}

TEST(WalkInput, PathsBeyondMaxPathAreWalkedAndRemoved) {
  WideTemp temp;
  // A folder whose listing pattern is longer than MAX_PATH, below a folder
  // that holds an ordinary file, and a file name of 250 characters.
  const std::wstring deep = temp.Sub(std::wstring(200, L'a') + L"\\" + std::wstring(100, L'b'));
  ASSERT_TRUE(MakeFileW(deep + L"\\inner.txt"));
  ASSERT_TRUE(MakeFileW(temp.Sub(std::wstring(250, L'f') + L".txt")));
  temp.File(L"outer.txt");
  Counts counts;
  EXPECT_EQ(0, DeleteTree(temp.path(), &counts));
  EXPECT_EQ(3u, counts.files.size());
  EXPECT_EQ(3u, counts.folders.size());
  EXPECT_EQ(0u, counts.failures);
  EXPECT_FALSE(ExistsW(temp.path()));
}

TEST(WalkInput, TreeTwoHundredLevelsDeep) {
  WideTemp temp;
  std::wstring path = temp.path();
  for (int level = 0; level < 200; ++level) path += L"\\d";
  ASSERT_TRUE(MakeFileW(path + L"\\leaf.txt"));
  Counts counts;
  EXPECT_EQ(0, DeleteTree(temp.path(), &counts));
  ASSERT_EQ(1u, counts.files.size());
  EXPECT_EQ(L"\\\\?\\" + path + L"\\leaf.txt", counts.files.front());
  EXPECT_EQ(201u, counts.folders.size());
  EXPECT_EQ(0u, counts.failures);
  EXPECT_FALSE(ExistsW(temp.path()));
}

}  // namespace
