// Links inside a selected folder: the files behind them survive every run.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "operations/FolderOperation.h"
#include "operations/OperationWorker.h"
#include "base/OpenAt.h"
#include "base/FileSystemPlatform.h"
#include "tests/win/operations/WideTree.h"
#include "tests/shared/SeamOverride.h"

using namespace testing_support;

namespace {

using UnixNameFn = char*(CDECL*)(const wchar_t*);

std::string UnixName(UnixNameFn unixName, const std::string& path) {
  std::wstring wide(path.begin(), path.end());
  char* name = unixName(wide.c_str());
  if (!name) return std::string();
  std::string result = name;
  ::HeapFree(::GetProcessHeap(), 0, name);
  return result;
}

// A system call of this Wine process's kernel on two host names: Wine
// cannot create links itself, and renames a host link's target where asked
// to rename the link. False where that is not possible.
bool HostCall(long number32, long number64, const std::string& first, const std::string& second) {
#if defined(__i386__) || defined(__x86_64__)
  auto unixName = reinterpret_cast<UnixNameFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!unixName) return false;
  const std::string from = UnixName(unixName, first), to = UnixName(unixName, second);
  if (from.empty() || to.empty()) return false;
  long result = -1;
#if defined(__i386__)
  (void)number64;
  __asm__ volatile("int $0x80" : "=a"(result) : "a"(number32), "b"(from.c_str()), "c"(to.c_str()) : "memory");
#else
  (void)number32;
  __asm__ volatile("syscall"
                   : "=a"(result)
                   : "a"(number64), "D"(from.c_str()), "S"(to.c_str())
                   : "rcx", "r11", "memory");
#endif
  return result == 0;
#else
  (void)number32;
  (void)number64;
  (void)first;
  (void)second;
  return false;
#endif
}

// A host symbolic link, as a user of the Unix side would make one (symlink:
// 83 for i386, 88 for x86_64).
bool MakeHostLink(const std::string& target, const std::string& link) { return HostCall(83, 88, target, link); }

// A host rename, which moves a link itself (rename: 38 for i386, 82 for
// x86_64). The target path must not exist yet.
bool HostRename(const std::string& from, const std::string& to) { return HostCall(38, 82, from, to); }

LRESULT CALLBACK Ignore(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcA(window, message, wParam, lParam);
}

struct LinkedTree {
  TempFolder temp{"l"};
  std::string selected, target, outsideFile, link;
  bool made = false;
  LinkedTree() {
    selected = temp.MakeFolder("F");
    temp.MakeFile("F\\own.tmp", "own");
    target = temp.MakeFolder("T");
    outsideFile = temp.MakeFile("T\\precious.tmp", "precious");
    link = temp.Sub("F\\link");
    made = MakeHostLink(target, link);
  }
};

// Runs the worker over the selected folder in one mode and reports what the
// link and its target look like afterwards.
void RunOver(LinkedTree& tree, OperationMode mode, Settings settings = Settings(), const std::string& selection = "") {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = &Ignore;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "VarnokeLinkTestSink";
  ::RegisterClassA(&windowClass);
  const HWND sink = ::CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      windowClass.hInstance, nullptr);
  SelectedFolders folders{wide_tree::W(selection.empty() ? tree.selected : selection)};
  FolderOperation operation(settings, folders, mode);
  operation.window = sink;
  WorkerMain(operation);
  ::DestroyWindow(sink);
  EXPECT_EQ("precious", ReadFileBytes(tree.outsideFile)) << mode;
  EXPECT_TRUE(Exists(tree.target)) << mode;
}

}  // namespace

TEST(LinkedFolders, TargetOfADirectoryLinkSurvivesEveryDeleteMode) {
  for (OperationMode mode : {ModeRecycle, ModeDelete, ModeErase}) {
    LinkedTree tree;
    if (!tree.made) GTEST_SKIP() << "no host links here";
    ASSERT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT),
              ::GetFileAttributesA(tree.link.c_str()) &
                  (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
    Settings settings;
    settings.EraseMethod = 0;
    RunOver(tree, mode, settings);
    EXPECT_FALSE(Exists(tree.temp.Sub("F\\own.tmp"))) << mode;
  }
}

TEST(LinkedFolders, CleanWithSubfoldersNeverReachesThroughALink) {
  LinkedTree tree;
  if (!tree.made) GTEST_SKIP() << "no host links here";
  Settings settings;
  settings.CleanSubfolders = 1;
  RunOver(tree, ModeClean, settings);
  EXPECT_FALSE(Exists(tree.temp.Sub("F\\own.tmp")));
  EXPECT_TRUE(Exists(tree.link));
}

TEST(LinkedFolders, ASelectedFolderThatIsALinkIsRemovedAsTheLinkAlone) {
  for (OperationMode mode : {ModeRecycle, ModeDelete, ModeErase}) {
    LinkedTree tree;
    if (!tree.made) GTEST_SKIP() << "no host links here";
    // Under Wine, removing a host link whose target holds entries fails; on
    // Windows the link goes. Either way the target keeps every file.
    RunOver(tree, mode, Settings(), tree.link);
    EXPECT_TRUE(Exists(tree.temp.Sub("F\\own.tmp"))) << mode;
  }
}

namespace {

// A subfolder swapped while the walk runs: the first of A and B that the
// walk opens is moved aside just before its opening, after its parent's
// listing showed it, and `replacement` takes its name: a host link to a
// folder outside the selection, or such a folder itself.
struct SwappedTree {
  TempFolder temp{"s"};
  std::string selected = temp.MakeFolder("F");
  std::string outsideFile;  // where the outside folder's file is after the swap
  std::string replacement;
  std::wstring swappedName;
  DWORD swapError = ERROR_SUCCESS;
  static SwappedTree* current;
  bool link_ = false;
  SeamOverride<FileSystemPlatform> calls{FileSystemCalls()};

  explicit SwappedTree(bool link) {
    temp.MakeFolder("F\\A");
    temp.MakeFolder("F\\B");
    temp.MakeFolder("T");
    temp.MakeFile("F\\A\\a.tmp", "a");
    temp.MakeFile("F\\B\\b.tmp", "b");
    outsideFile = temp.MakeFile("T\\precious.tmp", "precious");
    replacement = temp.Sub("T");
    if (link) {
      replacement = temp.Sub("outlink");
      if (!MakeHostLink(temp.Sub("T"), replacement)) replacement.clear();
    }
    link_ = link;
    current = this;
    calls->openAt = &SwapFirst;
  }
  ~SwappedTree() { current = nullptr; }
  static DWORD SwapFirst(HANDLE folder, const wchar_t* name, uint32_t length, DWORD access, DWORD options,
                         HANDLE* opened) {
    SwappedTree& self = *current;
    const std::wstring entry(name, length);
    if (self.swappedName.empty() && (options & kOpenDirectory) && (entry == L"A" || entry == L"B")) {
      self.swappedName = entry;
      const std::string place = self.selected + "\\" + std::string(entry.begin(), entry.end());
      if (!::MoveFileA(place.c_str(), self.temp.Sub("aside").c_str())) self.swapError = ::GetLastError();
      // Wine's MoveFileW of a host link moves what it points to.
      const bool moved =
          self.link_ ? HostRename(self.replacement, place) : ::MoveFileA(self.replacement.c_str(), place.c_str());
      if (!moved) self.swapError = self.link_ ? ERROR_CALL_NOT_IMPLEMENTED : ::GetLastError();
      if (!self.link_) self.outsideFile = place + "\\precious.tmp";
    }
    return RealFileSystemCalls().openAt(folder, name, length, access, options, opened);
  }
};
SwappedTree* SwappedTree::current = nullptr;

OperationCounts RunSwapped(SwappedTree& tree, OperationMode mode) {
  Settings settings;
  settings.EraseMethod = 0;
  settings.CleanSubfolders = 1;
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = &Ignore;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "VarnokeSwapTestSink";
  ::RegisterClassA(&windowClass);
  const HWND sink = ::CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      windowClass.hInstance, nullptr);
  SelectedFolders folders{wide_tree::W(tree.selected)};
  FolderOperation operation(settings, folders, mode);
  operation.window = sink;
  WorkerMain(operation);
  ::DestroyWindow(sink);
  return operation.Counts();
}

void ExpectSwapHarmless(SwappedTree& tree, OperationMode mode) {
  const OperationCounts counts = RunSwapped(tree, mode);
  ASSERT_FALSE(tree.swappedName.empty()) << mode;
  ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), tree.swapError) << mode;
  EXPECT_EQ("precious", ReadFileBytes(tree.outsideFile)) << mode;
  const std::string other = tree.swappedName == L"A" ? "F\\B\\b.tmp" : "F\\A\\a.tmp";
  EXPECT_FALSE(Exists(tree.temp.Sub(other))) << mode << ": the folder that stayed is walked";
  const std::string aside = tree.swappedName == L"A" ? "aside\\a.tmp" : "aside\\b.tmp";
  EXPECT_TRUE(Exists(tree.temp.Sub(aside))) << mode << ": moved after the listing, not seen";
  // The name now holding the outside folder stays, and so does the
  // selected folder around it: both are counted.
  if (mode != ModeClean) {
    EXPECT_LE(1u, counts.folderErrors) << mode;
  }
}

}  // namespace

TEST(LinkedFolders, AFolderSwappedForAnOutsideFolderAfterItsListingIsNeverEntered) {
  for (OperationMode mode : {ModeDelete, ModeErase, ModeRecycle, ModeClean}) {
    SwappedTree tree(false);
    ExpectSwapHarmless(tree, mode);
  }
}

TEST(LinkedFolders, AFolderSwappedForAHostLinkAfterItsListingIsNeverEntered) {
  for (OperationMode mode : {ModeDelete, ModeErase, ModeRecycle, ModeClean}) {
    SwappedTree tree(true);
    if (tree.replacement.empty()) GTEST_SKIP() << "no host links here (the symlink system call failed)";
    ExpectSwapHarmless(tree, mode);
  }
}
