// Exact path names: the "\\?\" form built by joining names, roots, and what
// the shell's file operation can be given as it is.
#include <gtest/gtest.h>

#include <string>

#include "operations/PathNames.h"

namespace {

TEST(PathNames, TrailingDotsSpacesAndDeviceNamesAreKept) {
  // The system's normalisation would make "proj." the sibling "proj".
  EXPECT_EQ(L"\\\\?\\C:\\T\\proj.", JoinedExtendedPath(L"C:\\T\\proj.", L""));
  EXPECT_EQ(L"\\\\?\\C:\\T\\proj ", JoinedExtendedPath(L"C:\\T\\proj ", L""));
  EXPECT_EQ(L"\\\\?\\C:\\T\\a.\\b \\con\\aux.txt", JoinedExtendedPath(L"C:\\T\\a.\\b \\con\\aux.txt", L""));
  EXPECT_EQ(L"\\\\?\\C:\\T\\...", JoinedExtendedPath(L"C:\\T\\...", L"")) << "three dots are a name";
}

TEST(PathNames, SeparatorsDotsAndDotDotAreReadAsPathSyntax) {
  EXPECT_EQ(L"\\\\?\\C:\\a\\c", JoinedExtendedPath(L"C:/a/b/../c/", L""));
  EXPECT_EQ(L"\\\\?\\C:\\a\\c", JoinedExtendedPath(L"C:\\\\a\\.\\\\c\\\\", L""));
  EXPECT_EQ(L"\\\\?\\C:\\", JoinedExtendedPath(L"C:\\..\\..", L"")) << "never above the root";
  EXPECT_EQ(L"\\\\?\\UNC\\server\\share\\x", JoinedExtendedPath(L"\\\\server\\share\\x\\", L""));
  EXPECT_EQ(L"\\\\?\\D:\\kept\\as it is.", JoinedExtendedPath(L"\\\\?\\D:\\kept\\as it is.", L"C:\\base"));
}

TEST(PathNames, RootsKeepTheirSeparator) {
  // "\\?\T:" names the volume device, not the root folder.
  EXPECT_EQ(L"\\\\?\\T:\\", JoinedExtendedPath(L"T:\\", L""));
  EXPECT_EQ(L"\\\\?\\T:\\", JoinedExtendedPath(L"T:/", L""));
  EXPECT_EQ(L"\\\\?\\UNC\\server\\share\\", JoinedExtendedPath(L"\\\\server\\share\\", L""));
  EXPECT_EQ(L"\\\\?\\UNC\\server\\share\\", JoinedExtendedPath(L"\\\\server\\share", L""));
}

TEST(PathNames, RelativePathsAreJoinedToTheBaseWithoutStripping) {
  EXPECT_TRUE(NeedsBaseFolder(L"proj."));
  EXPECT_TRUE(NeedsBaseFolder(L"\\proj"));
  EXPECT_TRUE(NeedsBaseFolder(L"C:proj"));
  EXPECT_TRUE(NeedsBaseFolder(L"C:"));
  EXPECT_TRUE(NeedsBaseFolder(L""));
  EXPECT_FALSE(NeedsBaseFolder(L"C:\\proj"));
  EXPECT_FALSE(NeedsBaseFolder(L"C:/proj"));
  EXPECT_FALSE(NeedsBaseFolder(L"\\\\server\\share"));
  EXPECT_FALSE(NeedsBaseFolder(L"\\\\?\\C:\\x"));
  EXPECT_EQ(L"\\\\?\\C:\\work\\proj.", JoinedExtendedPath(L"proj.", L"C:\\work"));
  EXPECT_EQ(L"\\\\?\\C:\\proj ", JoinedExtendedPath(L"..\\proj ", L"C:\\work"));
  EXPECT_EQ(L"\\\\?\\C:\\top\\x.", JoinedExtendedPath(L"\\top\\x.", L"C:\\work\\deep"));
  EXPECT_EQ(L"\\\\?\\UNC\\srv\\sh\\top", JoinedExtendedPath(L"\\top", L"\\\\srv\\sh\\work"));
  EXPECT_EQ(L"\\\\?\\D:\\d\\x.", JoinedExtendedPath(L"D:x.", L"D:\\d")) << "the drive's own folder is the base";
  EXPECT_EQ(L"\\\\?\\C:\\work", JoinedExtendedPath(L".", L"C:\\work"));
}

TEST(PathNames, JoiningNeverDoublesARootsSeparator) {
  EXPECT_EQ(L"\\\\?\\T:\\a.txt", JoinName(L"\\\\?\\T:\\", L"a.txt"));
  EXPECT_EQ(L"\\\\?\\T:\\d\\a.txt", JoinName(L"\\\\?\\T:\\d", L"a.txt"));
  std::wstring path = L"\\\\?\\UNC\\s\\h\\";
  AppendName(&path, L"x ");
  EXPECT_EQ(L"\\\\?\\UNC\\s\\h\\x ", path);
}

TEST(PathNames, RootsOfDrivesVolumesAndShares) {
  EXPECT_TRUE(IsRootPath(L"\\\\?\\T:\\"));
  EXPECT_TRUE(IsRootPath(L"\\\\?\\T:"));
  EXPECT_TRUE(IsRootPath(L"\\\\?\\Volume{0b1c2d3e-0000-0000-0000-100000000000}\\"));
  EXPECT_TRUE(IsRootPath(L"\\\\?\\UNC\\server\\share\\"));
  EXPECT_TRUE(IsRootPath(L"\\\\?\\UNC\\server\\share"));
  EXPECT_FALSE(IsRootPath(L"\\\\?\\T:\\a"));
  EXPECT_FALSE(IsRootPath(L"\\\\?\\T:\\a\\"));
  EXPECT_FALSE(IsRootPath(L"\\\\?\\UNC\\server\\share\\x"));
  EXPECT_FALSE(IsRootPath(L"T:\\a")) << "only the \\\\?\\ form is judged";
}

TEST(PathNames, ShellExactPaths) {
  EXPECT_TRUE(IsShellExactPath(L"C:\\T\\proj"));
  EXPECT_TRUE(IsShellExactPath(L"C:\\T\\.hidden\\a.b.c"));
  EXPECT_TRUE(IsShellExactPath(L"\\\\server\\share\\x"));
  EXPECT_TRUE(IsShellExactPath(L"C:\\T\\console\\com10\\lpt\\nul2.txt")) << "only the device names themselves";
  int index = 0;
  for (const wchar_t* path : {L"C:\\T\\proj.", L"C:\\T\\proj ", L"C:\\T\\proj.\\a.txt", L"C:\\T\\proj \\a.txt",
                              L"C:\\T\\con", L"C:\\T\\CON", L"C:\\T\\aux.txt", L"C:\\T\\nul .log",
                              L"C:\\T\\com1", L"C:\\T\\Lpt9.x", L"C:\\T\\com\x00B9", L"C:\\T\\conout$",
                              L"C:\\T\\con\\a.txt", L"C:\\T\\a*b", L"C:\\T\\a?", L"C:\\T\\.\\x", L"C:\\T\\..\\x",
                              L"C:\\T/x", L"T\\rel", L"\\\\?\\C:\\T\\x", L"\\\\.\\C:\\x"}) {
    EXPECT_FALSE(IsShellExactPath(path)) << "case " << ++index;
  }
  // MAX_PATH counts the NUL.
  const std::wstring folder = L"C:\\";
  EXPECT_TRUE(IsShellExactPath(folder + std::wstring(259 - folder.size(), L'a')));
  EXPECT_FALSE(IsShellExactPath(folder + std::wstring(260 - folder.size(), L'a')));
}

TEST(PathNames, ShownForms) {
  EXPECT_EQ(L"C:\\T\\proj.", ShownPath(L"\\\\?\\C:\\T\\proj."));
  EXPECT_EQ(L"T:\\", ShownPath(L"\\\\?\\T:\\"));
  EXPECT_EQ(L"\\\\server\\share\\x", ShownPath(L"\\\\?\\UNC\\server\\share\\x"));
  EXPECT_EQ(L"C:\\plain", ShownPath(L"C:\\plain"));
}

}  // namespace
