// Links inside a selected folder: the files behind them survive every run.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "operations/FolderOperation.h"
#include "tests/win/operations/WideTree.h"

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

// A host symbolic link, as a user of the Unix side would make one: Wine
// cannot create links itself, so the call goes straight to the kernel of
// this Wine process (symlink: 83 for i386, 88 for x86_64). False where that
// is not possible.
bool MakeHostLink(const std::string& target, const std::string& link) {
#if defined(__i386__) || defined(__x86_64__)
  auto unixName = reinterpret_cast<UnixNameFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!unixName) return false;
  const std::string from = UnixName(unixName, target), to = UnixName(unixName, link);
  if (from.empty() || to.empty()) return false;
  long result = -1;
#if defined(__i386__)
  __asm__ volatile("int $0x80" : "=a"(result) : "a"(83), "b"(from.c_str()), "c"(to.c_str()) : "memory");
#else
  __asm__ volatile("syscall" : "=a"(result) : "a"(88L), "D"(from.c_str()), "S"(to.c_str()) : "rcx", "r11", "memory");
#endif
  return result == 0;
#else
  (void)target;
  (void)link;
  return false;
#endif
}

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
