// Whole runs of the worker over real trees under Wine: names of every
// script, paths of any length, deep and big trees, folders that cannot be
// listed, hard links and a recycling bin that refuses. Each run must leave
// exactly what it should and count exactly what it did.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <cwchar>
#include <string>
#include <vector>

#include "DialogDriver.h"
#include "FakeListing.h"
#include "TestSupport.h"
#include "erase/Eraser.h"
#include "operations/FolderOperation.h"
#include "operations/OperationMessages.h"
#include "operations/RunTexts.h"
#include "operations/ProgressLines.h"
#include "operations/OperationWorker.h"
#include "operations/FolderWalker.h"
#include "base/OpenAt.h"
#include "operations/RecyclePath.h"
#include "base/FileSystemPlatform.h"
#include "base/WideText.h"
#include "base/ErrorReturn.h"
#include "tests/win/operations/WideTree.h"
#include "tests/win/support/DependencyTree.h"
#include "tests/shared/SeamOverride.h"

using namespace wide_tree;
using testing_support::DialogDriver;

namespace {

LRESULT CALLBACK KeepLines(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Stands in for the dialog and runs the worker's body on this thread.
struct WorkerRun {
  explicit WorkerRun(OperationMode mode) : mode_(mode) {
    settings.EraseMethod = 0;
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &KeepLines;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VarnokeTreeRunSink";
    ::RegisterClassW(&windowClass);
    window_ = ::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                windowClass.hInstance, nullptr);
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~WorkerRun() { ::DestroyWindow(window_); }

  OperationCounts Go() {
    FolderOperation operation(settings, folders, mode_);
    operation.window = window_;
    ResetProgressLines();
    WorkerMain(operation);
    return operation.Counts();
  }

  Settings settings;
  SelectedFolders folders;
  std::vector<std::wstring> lines;

 private:
  OperationMode mode_;
  HWND window_;
};

LRESULT CALLBACK KeepLines(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* run = reinterpret_cast<WorkerRun*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (run && message == WM_OP_FILE) run->lines.push_back(reinterpret_cast<const wchar_t*>(wParam));
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void ExpectCounts(const OperationCounts& got, uint32_t files, uint32_t folders, uint32_t fileErrors,
                  uint32_t folderErrors) {
  EXPECT_EQ(files, got.filesDeleted);
  EXPECT_EQ(folders, got.foldersRemoved);
  EXPECT_EQ(fileErrors, got.fileErrors);
  EXPECT_EQ(folderErrors, got.folderErrors);
}

std::vector<Result> traced;
void Trace(Result code, const char*, int) { traced.push_back(code); }

class TraceScope {
 public:
  TraceScope() : previous_(SetErrorTraceHook(&Trace)) { traced.clear(); }
  ~TraceScope() { SetErrorTraceHook(previous_); }

 private:
  ErrorTraceHook previous_;
};

// Names of several scripts, with characters outside the Basic Multilingual
// Plane, none of which the ANSI code page holds.
const wchar_t kPackage[] = L"\xD83D\xDCE6 \x041F\x0430\x043A\x0435\x0442 \x5305\x88F9 \x2603";
const wchar_t* const kNames[] = {
    L"\x65E5\x672C\x8A9E.txt",       L"\x0440\x0443\x0441\x0441\x043A\x0438\x0439.doc",
    L"\x05E2\x05D1\x05E8\x05D9\x05EA", L"\x0627\x0644\x0639\x0631\x0628\x064A\x0629.tmp",
    L"\x0939\x093F\x0928\x094D\x0926\x0940", L"\xD55C\xAD6D\xC5B4.tmp",
    L"\xD83D\xDE00\xD83C\xDF89.tmp",  L"caf\xE9 \x03B1\x03B2\x03B3.txt"};

// The selected folder kPackage holding every name, and the same names in a
// subfolder named by an emoji. 16 files, 2 folders.
std::wstring MakeScriptsTree(const WideTemp& temp) {
  const std::wstring selected = temp.Sub(kPackage);
  for (const wchar_t* name : kNames) {
    MakeFileW(selected + L"\\" + name, U8(name));
    MakeFileW(selected + L"\\\xD83D\xDC0D\\" + name, U8(name));
  }
  return selected;
}

}  // namespace

TEST(TreeRun, NamesOfEveryScriptAreRemovedInEveryMode) {
  for (OperationMode mode : {ModeDelete, ModeErase, ModeRecycle}) {
    WideTemp temp;
    WorkerRun run(mode);
    run.folders = {MakeScriptsTree(temp)};
    ASSERT_TRUE(ExistsW(run.folders[0] + L"\\\xD83D\xDC0D\\\xD83D\xDE00\xD83C\xDF89.tmp"));
    ExpectCounts(run.Go(), 16, 2, 0, 0);
    EXPECT_FALSE(ExistsW(run.folders[0])) << mode;
    ASSERT_FALSE(run.lines.empty());
    EXPECT_NE(std::wstring::npos, run.lines.front().find(L"\xD83D")) << "the progress line shows the real name";
  }
}

TEST(TreeRun, CleanMatchesMasksAgainstNamesOfEveryScript) {
  WideTemp temp;
  WorkerRun run(ModeClean);
  run.folders = {MakeScriptsTree(temp)};
  run.settings.CleanMasks = "*.tmp|incl";
  run.settings.CleanSubfolders = 1;
  ExpectCounts(run.Go(), 6, 0, 0, 0);
  EXPECT_FALSE(ExistsW(run.folders[0] + L"\\\xD83D\xDE00\xD83C\xDF89.tmp"));
  EXPECT_TRUE(ExistsW(run.folders[0] + L"\\\xD83D\xDC0D\\\x65E5\x672C\x8A9E.txt"));
}

TEST(TreeRun, TheQuestionNamesTheRealFolders) {
  WideTemp temp;
  WorkerRun run(ModeDelete);
  run.folders = {MakeScriptsTree(temp)};
  FolderOperation operation(run.settings, run.folders, ModeDelete);
  ComposeConfirmation(operation);
  EXPECT_NE(std::wstring::npos, operation.folderListText.find(run.folders[0])) << "listed whole";
  EXPECT_NE(std::wstring::npos, operation.messageText.find(L"\x2603")) << "the name's end survives shortening";
  const std::wstring shortened = ShortenPath(run.folders[0] + L"\\" + std::wstring(60, L'x') + L"\xD83D\xDE00");
  EXPECT_LE(shortened.size(), 54u);
  for (size_t i = 0; i < shortened.size(); ++i) {
    const bool high = shortened[i] >= 0xD800 && shortened[i] <= 0xDBFF;
    const bool low = shortened[i] >= 0xDC00 && shortened[i] <= 0xDFFF;
    EXPECT_FALSE(low && (i == 0 || !(shortened[i - 1] >= 0xD800 && shortened[i - 1] <= 0xDBFF))) << i;
    EXPECT_FALSE(high && (i + 1 == shortened.size() || !(shortened[i + 1] >= 0xDC00 && shortened[i + 1] <= 0xDFFF)))
        << i;
  }
}

// Levels of 100-character names under `top`, one file in each, down to a
// file whose path is `length` characters long. Counts what it made.
std::wstring MakeLongChain(const std::wstring& top, size_t length, uint32_t* files, uint32_t* folders) {
  std::wstring path = top;
  ++*folders;
  while (path.size() + 101 + 6 <= length) {
    MakeFileW(path + L"\\f.txt");
    ++*files;
    path += L"\\" + std::wstring(100, static_cast<wchar_t>(L'a' + *folders % 26));
    ++*folders;
  }
  MakeFolders(path);
  const std::wstring deepest = path + L"\\" + std::wstring(length - path.size() - 1, L'z');
  if (MakeFileW(deepest)) ++*files;
  return deepest;
}

// Wine keeps files in the host's file system, whose paths end at 4,096
// bytes: a real tree reaches about 4,000 characters there. Longer paths are
// served from memory through the walker's table below.
TEST(TreeRun, PathsOfThreeHundredFifteenHundredAndFourThousandCharacters) {
  WideTemp temp;
  WorkerRun run(ModeDelete);
  uint32_t files = 0, folders = 0;
  for (const size_t length : {300u, 1500u, 4000u}) {
    const std::wstring top = temp.Sub(L"top" + std::to_wstring(length));
    const std::wstring deepest = MakeLongChain(top, length, &files, &folders);
    ASSERT_EQ(length, deepest.size());
    ASSERT_TRUE(ExistsW(deepest)) << length;
    run.folders.push_back(top);
  }
  ExpectCounts(run.Go(), files, folders, 0, 0);
  for (const std::wstring& top : run.folders) EXPECT_FALSE(ExistsW(top)) << top.size();
}

namespace {

// Beside the selected "proj." or "proj " stands "proj", which the system's
// path normalisation would make of it: its bytes must stay in every mode.
struct NameAndSibling {
  NameAndSibling(const WideTemp& temp, const std::wstring& suffix)
      : own(temp.Sub(L"proj" + suffix)), sibling(temp.Sub(L"proj")) {
    MakeFileW(sibling + L"\\a.tmp", "sibling's a");
    MakeFileW(sibling + L"\\keep.txt", "sibling's keep");
    MakeFileW(own + L"\\a.tmp", "own a");
    MakeFileW(own + L"\\aux.txt", "own device-named file");
    MakeFileW(own + L"\\deeper.\\b.tmp", "own b");
  }
  void ExpectSiblingIntact() const {
    EXPECT_EQ("sibling's a", ReadBytesW(sibling + L"\\a.tmp"));
    EXPECT_EQ("sibling's keep", ReadBytesW(sibling + L"\\keep.txt"));
  }
  std::wstring own;
  std::wstring sibling;
};

}  // namespace

TEST(TreeRun, TrailingDotsAndSpacesNameTheirOwnFoldersNeverTheSibling) {
  for (const OperationMode mode : {ModeDelete, ModeErase, ModeClean}) {
    for (const wchar_t* suffix : {L".", L" "}) {
      WideTemp temp;
      const NameAndSibling names(temp, suffix);
      ASSERT_EQ("own a", ReadBytesW(names.own + L"\\a.tmp")) << "the host keeps such names";
      WorkerRun run(mode);
      run.settings.CleanMasks = "*.tmp|incl";
      run.settings.CleanSubfolders = 1;
      run.folders = {names.own};  // as the shell gives it
      const OperationCounts counts = run.Go();
      names.ExpectSiblingIntact();
      if (mode == ModeClean) {
        ExpectCounts(counts, 2, 0, 0, 0);
        EXPECT_FALSE(ExistsW(names.own + L"\\a.tmp"));
        EXPECT_FALSE(ExistsW(names.own + L"\\deeper.\\b.tmp"));
        EXPECT_EQ("own device-named file", ReadBytesW(names.own + L"\\aux.txt"));
      } else {
        ExpectCounts(counts, 3, 2, 0, 0);
        EXPECT_FALSE(ExistsW(names.own)) << mode;
      }
    }
  }
}

TEST(TreeRun, RecycleKeepsAndCountsWhatTheShellWouldTakeUnderAnotherName) {
  for (const wchar_t* suffix : {L".", L" "}) {
    WideTemp temp;
    const NameAndSibling names(temp, suffix);
    WorkerRun run(ModeRecycle);
    run.folders = {names.own};
    // The three files cannot be handed over as they are named; their
    // folders then hold them.
    ExpectCounts(run.Go(), 0, 0, 3, 2);
    names.ExpectSiblingIntact();
    EXPECT_EQ("own a", ReadBytesW(names.own + L"\\a.tmp"));
    EXPECT_EQ("own b", ReadBytesW(names.own + L"\\deeper.\\b.tmp"));
  }
  WideTemp temp;
  const std::wstring plain = temp.Sub(L"plain");
  MakeFileW(plain + L"\\con", "device-named");
  MakeFileW(plain + L"\\Aux.txt", "device-named too");
  MakeFileW(plain + L"\\ok.txt", "binned");
  WorkerRun run(ModeRecycle);
  run.folders = {plain};
  ExpectCounts(run.Go(), 1, 0, 2, 1);
  EXPECT_EQ("device-named", ReadBytesW(plain + L"\\con"));
  EXPECT_EQ("device-named too", ReadBytesW(plain + L"\\Aux.txt"));
  EXPECT_FALSE(ExistsW(plain + L"\\ok.txt"));
}

TEST(TreeRun, RecycleOfPathsPastMaxPathKeepsThemAndCountsThem) {
  // Under Wine 8 the shell's file operation crashes on such a path; on
  // Windows it is documented to take none.
  WideTemp temp;
  uint32_t files = 0, folders = 0;
  const std::wstring top = temp.Sub(L"long");
  const std::wstring deepest = MakeLongChain(top, 300, &files, &folders);
  ASSERT_TRUE(ExistsW(deepest));
  EXPECT_EQ(0, RecyclePath(Long(deepest).c_str()));
  EXPECT_TRUE(ExistsW(deepest));
  WorkerRun run(ModeRecycle);
  run.folders = {top};
  // f.txt at the top is short enough to go; the deepest file is not, and
  // every folder above it then still holds it.
  ExpectCounts(run.Go(), files - 1, 0, 1, folders);
  EXPECT_TRUE(ExistsW(deepest));
  EXPECT_FALSE(ExistsW(top + L"\\f.txt"));
}

TEST(TreeRun, PathsOfFiveThousandAndThirtyTwoThousandCharactersReachTheRemovalsWhole) {
  for (const size_t length : {5000u, 32000u}) {
    engine_test::FakeListing tree;
    const std::wstring top = L"\\\\?\\C:\\chain";
    std::wstring path = top;
    uint32_t levels = 1;
    while (path.size() + 101 + 101 <= length) {
      tree.folders[path].entries = {{std::wstring(100, L'n'), FILE_ATTRIBUTE_DIRECTORY}};
      path += L"\\" + std::wstring(100, L'n');
      ++levels;
    }
    const std::wstring name(length - path.size() - 1, L'f');
    tree.folders[path].entries = {{name, FILE_ATTRIBUTE_ARCHIVE}};
    WorkerRun run(ModeDelete);
    run.folders = {top};
    ExpectCounts(run.Go(), 1, levels, 0, 0);
    ASSERT_EQ(1u, tree.deleted.size());
    EXPECT_EQ(length, tree.deleted.front().size()) << "the file's path, whole";
    EXPECT_EQ(path + L"\\" + name, tree.deleted.front());
    ASSERT_EQ(levels, tree.removed.size());
    EXPECT_EQ(top, tree.removed.back());
  }
}

TEST(TreeRun, ATreeAHundredLevelsDeepIsErased) {
  WideTemp temp;
  WorkerRun run(ModeErase);
  std::wstring path = temp.Sub(L"deep");
  run.folders = {path};
  for (int level = 0; level < 100; ++level) {
    ASSERT_TRUE(MakeFileW(path + L"\\file.bin", std::string(level + 1, 'd')));
    path += L"\\level" + std::to_wstring(level);
  }
  ASSERT_TRUE(MakeFolders(path));
  const OperationCounts counts = run.Go();
  ExpectCounts(counts, 100, 101, 0, 0);
  EXPECT_EQ(5050u, counts.bytesFreed);
  EXPECT_FALSE(ExistsW(run.folders[0]));
}

namespace {

// A real tree whose folder "locked" cannot be opened for its listing, as a
// folder the user may not read: its opening fails through the walker's seam.
DWORD DeniedListing(HANDLE folder, const wchar_t* name, uint32_t length, DWORD access, DWORD options, HANDLE* opened) {
  if (std::wstring(name, length) == L"locked" && (options & kOpenDirectory)) {
    *opened = INVALID_HANDLE_VALUE;
    return ERROR_ACCESS_DENIED;
  }
  return RealFileSystemCalls().openAt(folder, name, length, access, options, opened);
}

struct DeniedTree {
  WideTemp temp;
  std::wstring selected = temp.Sub(L"F");
  DeniedTree() {
    MakeFileW(selected + L"\\a.txt");
    MakeFileW(selected + L"\\A\\x.txt");
    MakeFileW(selected + L"\\locked\\secret.txt", "secret");
    MakeFileW(selected + L"\\Z\\z.txt");
    calls->openAt = &DeniedListing;
  }
  SeamOverride<FileSystemPlatform> calls{FileSystemCalls()};
};

}  // namespace

TEST(TreeRun, AFolderThatCannotBeListedIsAnErrorAndItsSiblingsGo) {
  DeniedTree tree;
  WorkerRun run(ModeDelete);
  run.folders = {tree.selected};
  TraceScope trace;
  // The unlisted folder and the selected folder that still holds it.
  const OperationCounts counts = run.Go();
  ExpectCounts(counts, 3, 2, 0, 2);
  EXPECT_NE(std::string::npos, ComposeReport(ModeDelete, counts, ModuleStringUtf8).find("2 folders have been removed (2 errors)"));
  EXPECT_EQ("secret", ReadBytesW(tree.selected + L"\\locked\\secret.txt"));
  EXPECT_FALSE(ExistsW(tree.selected + L"\\A"));
  EXPECT_FALSE(ExistsW(tree.selected + L"\\Z"));
  EXPECT_FALSE(ExistsW(tree.selected + L"\\a.txt"));
  EXPECT_NE(traced.end(), std::find(traced.begin(), traced.end(), ResultFromError(ERROR_ACCESS_DENIED)));
}

TEST(TreeRun, CleanCountsAFolderItCannotListAmongTheFileErrors) {
  DeniedTree tree;
  WorkerRun run(ModeClean);
  run.settings.CleanMasks = "*.txt|incl";
  run.settings.CleanSubfolders = 1;
  run.folders = {tree.selected};
  ExpectCounts(run.Go(), 3, 0, 1, 0);
  EXPECT_TRUE(ExistsW(tree.selected + L"\\locked\\secret.txt"));
}

TEST(TreeRun, ErasingAHardLinkLeavesTheOutsideFilesBytes) {
  WideTemp temp;
  const std::wstring outside = temp.File(L"outside\\shared.bin", std::string(10000, 'S'));
  WorkerRun run(ModeErase);
  run.folders = {temp.Folder(L"F")};
  MakeFileW(temp.Sub(L"F\\own.bin"), std::string(3000, 'o'));
  ASSERT_TRUE(::CreateHardLinkW(Long(temp.Sub(L"F\\store-link.bin")).c_str(), Long(outside).c_str(), nullptr));
  TraceScope trace;
  const OperationCounts counts = run.Go();
  ExpectCounts(counts, 2, 1, 0, 0);
  EXPECT_EQ(3000u, counts.bytesFreed) << "the linked name freed no space";
  EXPECT_EQ(std::string(10000, 'S'), ReadBytesW(outside));
  EXPECT_FALSE(ExistsW(temp.Sub(L"F")));
  EXPECT_NE(traced.end(), std::find(traced.begin(), traced.end(), kResultOtherNames)) << "the trace says so";
}

namespace {

// The build tree's recycling bin, as Windows paths.
std::wstring TrashFolder(const wchar_t* part) {
  wchar_t data[MAX_PATH] = {};
  ::GetEnvironmentVariableW(L"XDG_DATA_HOME", data, MAX_PATH);
  std::wstring trash = std::wstring(L"Z:") + data + L"/Trash/" + part;
  for (wchar_t& c : trash)
    if (c == L'/') c = L'\\';
  return trash;
}

// Counts the items of the bin whose original path holds `token`, then takes
// them out of the bin for good, so that it does not grow run after run.
uint32_t TakeFromTrash(const std::string& token) {
  const std::wstring info = TrashFolder(L"info"), files = TrashFolder(L"files");
  uint32_t found = 0;
  WIN32_FIND_DATAW entry;
  HANDLE listing = ::FindFirstFileW((info + L"\\*.trashinfo").c_str(), &entry);
  if (listing == INVALID_HANDLE_VALUE) return 0;
  do {
    const std::wstring name = entry.cFileName;
    if (ReadBytesW(info + L"\\" + name).find(token) == std::string::npos) continue;
    ++found;
    const std::wstring item = files + L"\\" + name.substr(0, name.size() - 10);
    RemoveTreeW(item);
    ::DeleteFileW((info + L"\\" + name).c_str());
  } while (::FindNextFileW(listing, &entry));
  ::FindClose(listing);
  return found;
}

std::string UniqueToken(const char* what) {
  return std::string("vk_") + what + "_" + std::to_string(::GetCurrentProcessId()) + "_" +
         std::to_string(::GetTickCount());
}

struct DependencyRun {
  WideTemp temp;
  std::string token;
  std::wstring root;
  DependencyTreeShape shape;
  explicit DependencyRun(const char* what) : token(UniqueToken(what)), root(temp.Sub(W(token))) {
    shape = MakeDependencyTree(Long(root));
  }
};

}  // namespace

namespace {

// Delete and Erase leave nothing of the tree and count every entry and byte.
void ExpectWholeTreeRemoved(OperationMode mode, const char* tag) {
  DependencyRun tree(tag);
  ASSERT_EQ(20000u, tree.shape.files);
  WorkerRun run(mode);
  run.folders = {tree.root};
  const OperationCounts counts = run.Go();
  ExpectCounts(counts, 20000, tree.shape.folders, 0, 0);
  EXPECT_EQ(tree.shape.bytes, counts.bytesFreed);
  EXPECT_FALSE(ExistsW(tree.root));
}

}  // namespace

TEST(DependencyTree, DeleteLeavesNothingAndCountsEveryEntry) { ExpectWholeTreeRemoved(ModeDelete, "del"); }

// Erased with the zero method: one pass per file keeps the run short.
TEST(DependencyTree, EraseLeavesNothingAndCountsEveryEntry) { ExpectWholeTreeRemoved(ModeErase, "era"); }

TEST(DependencyTree, CleanTakesTheMatchingFilesAndLeavesTheRest) {
  DependencyRun tree("cln");
  ASSERT_EQ(20000u, tree.shape.files);
  WorkerRun run(ModeClean);
  run.settings.CleanMasks = std::string(kDependencyCleanMasks) + "|incl";
  run.settings.CleanSubfolders = 1;
  run.folders = {tree.root};
  const OperationCounts counts = run.Go();
  ExpectCounts(counts, tree.shape.cleanFiles, 0, 0, 0);
  EXPECT_EQ(tree.shape.cleanBytes, counts.bytesFreed);
  // What is left: every other file, every folder.
  uint32_t files = 0, folders = 0;
  WalkOptions options{1, 1, "*",
                      [](const wchar_t*, int32_t kind, void* context) -> int32_t {
                        auto* tally = static_cast<std::pair<uint32_t*, uint32_t*>*>(context);
                        ++*(kind == EntryFile ? tally->first : tally->second);
                        return 0;
                      },
                      nullptr};
  std::pair<uint32_t*, uint32_t*> tally{&files, &folders};
  options.context = &tally;
  EXPECT_EQ(0, WalkFolder(Long(tree.root).c_str(), options));
  EXPECT_EQ(20000u - tree.shape.cleanFiles, files);
  EXPECT_EQ(tree.shape.folders, folders);
  EXPECT_FALSE(ExistsW(tree.root + L"\\node_modules\\package-0\\README.md"));
  EXPECT_TRUE(ExistsW(tree.root + L"\\node_modules\\package-0\\lib\\util\\u0.js"));
}

TEST(DependencyTree, RecycleMovesEveryEntryIntoTheBin) {
  DependencyRun tree("rec");
  ASSERT_EQ(20000u, tree.shape.files);
  WorkerRun run(ModeRecycle);
  run.folders = {tree.root};
  const OperationCounts counts = run.Go();
  ExpectCounts(counts, 20000, tree.shape.folders, 0, 0);
  EXPECT_FALSE(ExistsW(tree.root));
  EXPECT_EQ(1u, TakeFromTrash(tree.token)) << "the folder whole, as one item in the bin";
}

namespace {

// Runs this program again on one test, with a recycling bin that cannot be
// made (XDG_DATA_HOME names a folder that is not there): the shell then
// refuses every item. Returns the child's exit code.
DWORD RunWithRefusingBin(const char* test, const wchar_t* answer) {
  std::wstring environment;
  LPWCH block = ::GetEnvironmentStringsW();
  for (const wchar_t* entry = block; *entry; entry += std::wcslen(entry) + 1) {
    if (std::wcsncmp(entry, L"XDG_DATA_HOME=", 14) == 0 || std::wcsncmp(entry, L"VARNOKE_BIN_ANSWER=", 19) == 0)
      continue;
    environment.append(entry).push_back(L'\0');
  }
  ::FreeEnvironmentStringsW(block);
  environment.append(L"XDG_DATA_HOME=/nonexistent/varnoke-no-bin").push_back(L'\0');
  environment.append(L"VARNOKE_BIN_ANSWER=").append(answer).push_back(L'\0');
  environment.push_back(L'\0');
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command = std::wstring(L"\"") + self + L"\" --gtest_also_run_disabled_tests --gtest_filter=" + W(test);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT, &environment[0],
                        nullptr, &startup, &process))
    return ::GetLastError() | 0x10000000;
  DWORD code = STILL_ACTIVE;
  if (::WaitForSingleObject(process.hProcess, 180000) == WAIT_OBJECT_0) ::GetExitCodeProcess(process.hProcess, &code);
  else ::TerminateProcess(process.hProcess, 98);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return code;
}

// Recycles a folder holding a file and a subfolder with a file while a
// second thread answers every question of the shell with `button`.
OperationCounts RecycleAnswering(const std::wstring& selected, int button, int* questions) {
  WorkerRun run(ModeRecycle);
  run.folders = {selected};
  OperationCounts counts;
  std::atomic<bool> done{false};
  DialogDriver::Run([&] {
                      counts = run.Go();
                      done = true;
                    },
                    [&](DialogDriver& d) {
                      while (!done) {
                        if (!d.WaitForDialog(200)) continue;
                        ++*questions;
                        d.Click(button);
                        DialogDriver::WaitUntil([&] { return d.Closed(); }, 5000);
                      }
                    },
                    150000);
  return counts;
}

bool AnswerIs(const wchar_t* answer) {
  wchar_t value[16] = {};
  ::GetEnvironmentVariableW(L"VARNOKE_BIN_ANSWER", value, 16);
  return std::wcscmp(value, answer) == 0;
}

}  // namespace

// Started by RecycleBin.ARefusingBinAsksAndKeepsWhatTheUserKeeps in a child
// process whose bin refuses everything.
TEST(DISABLED_RefusingBin, Child) {
  WideTemp temp;
  const std::wstring selected = temp.Sub(L"F \xD83D\xDDD1");
  ASSERT_TRUE(MakeFileW(selected + L"\\keep.txt", "precious"));
  ASSERT_TRUE(MakeFileW(selected + L"\\S\\inner.txt", "also precious"));
  int questions = 0;
  if (AnswerIs(L"no")) {
    const OperationCounts counts = RecycleAnswering(selected, IDNO, &questions);
    ExpectCounts(counts, 0, 0, 2, 2);
    EXPECT_EQ(3, questions) << "one for the folder whole, then one per file; folders that still hold them are "
                               "not offered";
    EXPECT_EQ("precious", ReadBytesW(selected + L"\\keep.txt"));
    EXPECT_EQ("also precious", ReadBytesW(selected + L"\\S\\inner.txt"));
  } else {
    ASSERT_TRUE(AnswerIs(L"yes"));
    const OperationCounts counts = RecycleAnswering(selected, IDYES, &questions);
    ExpectCounts(counts, 2, 2, 0, 0);
    EXPECT_EQ(1, questions) << "nothing is deleted for good without a question: the folder whole";
    EXPECT_FALSE(ExistsW(selected));
  }
}

TEST(RecycleBin, ARefusingBinAsksAndKeepsWhatTheUserKeeps) {
  EXPECT_EQ(0u, RunWithRefusingBin("DISABLED_RefusingBin.Child", L"no"));
  EXPECT_EQ(0u, RunWithRefusingBin("DISABLED_RefusingBin.Child", L"yes"));
}
