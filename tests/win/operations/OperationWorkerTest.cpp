// The worker on real folder trees: what it removes, what it counts, what it
// tells the dialog.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "operations/FolderOperation.h"
#include "operations/OperationMessages.h"
#include "operations/RunTexts.h"
#include "operations/ProgressLines.h"
#include "operations/OperationWorker.h"
#include "operations/OperationPlatform.h"
#include "operations/RecyclePath.h"
#include "base/ErrorReturn.h"
#include "tests/win/operations/WideTree.h"
#include "tests/shared/SeamOverride.h"

using namespace testing_support;
using wide_tree::W;

namespace {

// Stands in for the dialog: keeps every progress text the worker sends.
struct ProgressLog {
  std::vector<std::wstring> files;
  std::vector<std::wstring> passes;
};
ProgressLog* activeLog = nullptr;

LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (activeLog && message == WM_OP_FILE) activeLog->files.push_back(reinterpret_cast<const wchar_t*>(wParam));
  if (activeLog && message == WM_OP_PASS) activeLog->passes.push_back(reinterpret_cast<const wchar_t*>(wParam));
  return ::DefWindowProcA(window, message, wParam, lParam);
}

class Recorder {
 public:
  Recorder() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &RecorderProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VarnokeProgressRecorder";
    ::RegisterClassA(&windowClass);
    window_ = ::CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                windowClass.hInstance, nullptr);
    activeLog = &log;
  }
  ~Recorder() {
    activeLog = nullptr;
    ::DestroyWindow(window_);
  }
  HWND window() const { return window_; }
  ProgressLog log;

 private:
  HWND window_;
};

std::vector<Result> traced;
void TraceFailure(Result code, const char*, int) { traced.push_back(code); }

struct WorkerRun {
  Settings settings;
  SelectedFolders folders;
  Recorder recorder;

  // Runs the worker's body on this thread; its messages reach the recorder
  // directly.
  void Go(FolderOperation& operation) {
    operation.window = recorder.window();
    ResetProgressLines();  // no dialog has shown a line lately
    traced.clear();
    const ErrorTraceHook previous = SetErrorTraceHook(&TraceFailure);
    WorkerMain(operation);
    SetErrorTraceHook(previous);
  }
};

void* WINAPI NoMemory(HANDLE, DWORD, SIZE_T) { return nullptr; }

void MakeReadOnly(const std::string& path) { ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY); }

}  // namespace

TEST(OperationWorker, DeleteRemovesFilesThenTheirEmptiedFolders) {
  TempFolder temp("w");
  const std::string f = temp.MakeFolder("F");
  temp.MakeFile("F\\a.txt", std::string(100, 'a'));
  temp.MakeFolder("F\\S");
  WorkerRun run;
  run.folders = {W(f)};
  FolderOperation operation(run.settings, run.folders, ModeDelete);
  run.Go(operation);
  EXPECT_EQ(1u, operation.filesDeleted);
  EXPECT_EQ(2u, operation.foldersRemoved);
  EXPECT_EQ(0u, operation.fileErrors);
  EXPECT_EQ(0u, operation.folderErrors);
  EXPECT_EQ(100u, operation.bytesFreed);
  EXPECT_FALSE(Exists(f));
  EXPECT_TRUE(traced.empty());
  // Every entry was announced by the count and again by the run, the
  // folder itself last each time.
  ASSERT_EQ(6u, run.recorder.log.files.size());
  EXPECT_EQ(W(f), run.recorder.log.files[2]);
  EXPECT_EQ(W(f), run.recorder.log.files.back());
  EXPECT_TRUE(run.recorder.log.passes.empty());
}

TEST(OperationWorker, FileThatCannotBeDeletedKeepsItsFolderAndIsCounted) {
  TempFolder temp("w");
  const std::string f = temp.MakeFolder("F");
  const std::string file = temp.MakeFile("F\\locked.txt", "data");
  MakeReadOnly(file);
  WorkerRun run;
  run.folders = {W(f)};
  FolderOperation operation(run.settings, run.folders, ModeDelete);
  run.Go(operation);
  EXPECT_EQ(0u, operation.filesDeleted);
  EXPECT_EQ(1u, operation.fileErrors);
  EXPECT_EQ(0u, operation.foldersRemoved);
  EXPECT_EQ(1u, operation.folderErrors);
  EXPECT_EQ(0u, operation.bytesFreed);
  EXPECT_EQ("data", ReadFileBytes(file));
  ASSERT_EQ(2u, traced.size());
  EXPECT_EQ(ResultFromError(ERROR_ACCESS_DENIED), traced[0]);
  ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(OperationWorker, CleanSelectsByMasksAndNeverRemovesFolders) {
  TempFolder temp("w");
  const std::string f = temp.MakeFolder("F");
  temp.MakeFile("F\\a.tmp", "12345");
  temp.MakeFile("F\\b.txt");
  temp.MakeFile("F\\S\\c.tmp", "123");
  WorkerRun run;
  run.folders = {W(f)};
  {
    FolderOperation operation(run.settings, run.folders, ModeClean);  // "*.tmp|incl", no subfolders
    run.Go(operation);
    EXPECT_EQ(1u, operation.filesDeleted);
    EXPECT_EQ(5u, operation.bytesFreed);
    EXPECT_EQ(0u, operation.foldersRemoved + operation.folderErrors + operation.fileErrors);
    EXPECT_FALSE(Exists(temp.Sub("F\\a.tmp")));
    EXPECT_TRUE(Exists(temp.Sub("F\\b.txt")));
    EXPECT_TRUE(Exists(temp.Sub("F\\S\\c.tmp")));
  }
  temp.MakeFile("F\\a.tmp");
  run.settings.CleanMasks = "*.txt|excl|*.doc|incl";
  run.settings.CleanSubfolders = 1;
  {
    FolderOperation operation(run.settings, run.folders, ModeClean);
    run.Go(operation);
    EXPECT_EQ(2u, operation.filesDeleted);
    EXPECT_FALSE(Exists(temp.Sub("F\\a.tmp")));
    EXPECT_FALSE(Exists(temp.Sub("F\\S\\c.tmp")));
    EXPECT_TRUE(Exists(temp.Sub("F\\b.txt")));
    EXPECT_TRUE(Exists(temp.Sub("F\\S")));
    EXPECT_EQ(0u, operation.foldersRemoved + operation.folderErrors);
  }
  run.settings.CleanMasks = "";
  {
    FolderOperation operation(run.settings, run.folders, ModeClean);
    run.Go(operation);
    EXPECT_EQ(0u, operation.filesDeleted);
    EXPECT_TRUE(Exists(temp.Sub("F\\b.txt")));
  }
}

TEST(OperationWorker, CleanRefusesAMaskListWithoutAMaskAndTouchesNothing) {
  // As an exclude list, ";" would match no file and so clean every one.
  TempFolder temp("w");
  const std::string f = temp.MakeFolder("F");
  temp.MakeFile("F\\a.txt");
  temp.MakeFile("F\\b.tmp");
  temp.MakeFile("F\\S\\c.tmp");
  WorkerRun run;
  run.folders = {W(f)};
  run.settings.CleanSubfolders = 1;
  for (const char* masks : {";|excl", " ; |excl", ";;|incl", "   |excl", "|excl"}) {
    run.settings.CleanMasks = masks;
    FolderOperation operation(run.settings, run.folders, ModeClean);
    EXPECT_FALSE(ComposeRefusal(operation).empty()) << masks;
    run.Go(operation);
    EXPECT_EQ(0u, operation.filesDeleted) << masks;
    EXPECT_EQ(1u, operation.fileErrors) << "a refused run is never a clean one: " << masks;
    EXPECT_TRUE(run.recorder.log.files.empty()) << "no entry was even looked at";
  }
  EXPECT_TRUE(Exists(temp.Sub("F\\a.txt")) && Exists(temp.Sub("F\\b.tmp")) && Exists(temp.Sub("F\\S\\c.tmp")));
  run.settings.CleanMasks = " *.tmp |excl";
  FolderOperation usable(run.settings, run.folders, ModeClean);
  EXPECT_TRUE(ComposeRefusal(usable).empty()) << "a mask with blanks around it is a mask";
}

TEST(OperationWorker, VanishedFirstFolderIsAnErrorAndTheSecondIsStillDone) {
  TempFolder temp("w");
  const std::string second = temp.MakeFolder("B");
  temp.MakeFile("B\\x.bin", "xy");
  WorkerRun run;
  run.folders = {W(temp.Sub("gone")), W(second)};
  FolderOperation operation(run.settings, run.folders, ModeDelete);
  run.Go(operation);
  EXPECT_EQ(1u, operation.filesDeleted);
  EXPECT_EQ(1u, operation.foldersRemoved);
  EXPECT_EQ(0u, operation.fileErrors);
  EXPECT_EQ(1u, operation.folderErrors) << "a selected folder that cannot be listed is no success";
  EXPECT_FALSE(Exists(second));
  // The walker traces the listing error where it meets it, the worker where
  // it counts it: nothing else failed.
  ASSERT_FALSE(traced.empty());
  for (Result code : traced)
    EXPECT_TRUE(code == ResultFromError(ERROR_PATH_NOT_FOUND) || code == ResultFromError(ERROR_FILE_NOT_FOUND))
        << std::hex << code;
}

TEST(OperationWorker, WithoutReportNoSizeIsCounted) {
  TempFolder temp("w");
  const std::string f = temp.MakeFolder("F");
  temp.MakeFile("F\\a", std::string(3000, 'a'));
  WorkerRun run;
  run.settings.DeleteReport = 0;
  run.folders = {W(f)};
  FolderOperation operation(run.settings, run.folders, ModeDelete);
  run.Go(operation);
  EXPECT_EQ(1u, operation.filesDeleted);
  EXPECT_EQ(0u, operation.bytesFreed);
}

TEST(OperationWorker, ErasureShowsPassLinesOnlyForManyPassMethods) {
  TempFolder temp("w");
  WorkerRun run;
  run.folders = {W(temp.MakeFolder("F"))};
  temp.MakeFile("F\\one", std::string(5000, 'q'));
  run.settings.EraseMethod = 1;
  {
    FolderOperation operation(run.settings, run.folders, ModeErase);
    run.Go(operation);
    EXPECT_EQ(1u, operation.filesDeleted);
    EXPECT_EQ(1u, operation.foldersRemoved);
    EXPECT_EQ(5000u, operation.bytesFreed);
    EXPECT_TRUE(run.recorder.log.passes.empty());
  }
  run.folders = {W(temp.MakeFolder("G"))};
  temp.MakeFile("G\\two", std::string(100, 'q'));
  run.settings.EraseMethod = 3;
  {
    FolderOperation operation(run.settings, run.folders, ModeErase);
    run.Go(operation);
    EXPECT_EQ(1u, operation.filesDeleted);
    ASSERT_EQ(35u, run.recorder.log.passes.size());
    EXPECT_EQ(L"Pass 1 of 35", run.recorder.log.passes.front());
    EXPECT_EQ(L"Pass 35 of 35", run.recorder.log.passes.back());
  }
}

TEST(OperationWorker, CancelStopsBeforeTheNextEntryAndTheNextPass) {
  TempFolder temp("w");
  WorkerRun run;
  run.folders = {W(temp.MakeFolder("F"))};
  const std::string file = temp.MakeFile("F\\keep", "secret");
  FolderOperation operation(run.settings, run.folders, ModeDelete);
  operation.cancel = 1;
  run.Go(operation);
  EXPECT_EQ(0u, operation.filesDeleted + operation.fileErrors + operation.foldersRemoved + operation.folderErrors);
  EXPECT_TRUE(run.recorder.log.files.empty());
  EXPECT_EQ(-1, ReportPass(1, 35, &operation));
  EXPECT_EQ("secret", ReadFileBytes(file));
}

TEST(OperationWorker, LongPathsAreShortenedForTheProgressLine) {
  TempFolder temp("w");
  WorkerRun run;
  const std::string deep = temp.MakeFolder("a_rather_long_folder_name\\and_another_long_folder_name");
  temp.MakeFile("a_rather_long_folder_name\\and_another_long_folder_name\\file_with_a_long_name.txt");
  run.folders = {W(temp.Sub("a_rather_long_folder_name"))};
  FolderOperation operation(run.settings, run.folders, ModeDelete);
  run.Go(operation);
  ASSERT_FALSE(run.recorder.log.files.empty());
  for (const std::wstring& line : run.recorder.log.files) EXPECT_LE(line.size(), 54u) << wide_tree::U8(line);
  EXPECT_NE(std::wstring::npos, run.recorder.log.files.front().find(L"..."));
  EXPECT_EQ(std::wstring::npos, run.recorder.log.files.front().find(L"\\\\?\\")) << "shown as the user knows it";
  EXPECT_FALSE(Exists(deep));
}

TEST(RecyclePath, MovesTheItemIntoTheTrashAndFailsForAMissingOne) {
  char data[MAX_PATH] = {};
  ASSERT_GT(::GetEnvironmentVariableA("XDG_DATA_HOME", data, MAX_PATH), 0u);
  std::string trash = std::string("Z:") + data + "/Trash/files";
  for (char& c : trash)
    if (c == '/') c = '\\';
  TempFolder temp("r");
  const std::string name = "recycled_" + std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(::GetTickCount());
  const std::string file = temp.MakeFile(name + ".txt", "bin me");
  EXPECT_EQ(1, RecyclePath(W(file).c_str()));
  EXPECT_FALSE(Exists(file));
  EXPECT_EQ("bin me", ReadFileBytes(trash + "\\" + name + ".txt"));
  EXPECT_EQ(0, RecyclePath(W(temp.Sub("no such file")).c_str()));
}

TEST(RecyclePath, WithoutMemoryForTheListNothingIsRemoved) {
  TempFolder temp("r");
  const std::string file = temp.MakeFile("stays.txt", "x");
  SeamOverride calls(OperationCalls());
  calls->heapAlloc = &NoMemory;
  ResetProgressLines();
  EXPECT_EQ(0, RecyclePath(W(file).c_str()));
  ResetProgressLines();
  EXPECT_TRUE(Exists(file));
}

namespace {
DWORD WINAPI EarlyTicks() { return 50; }  // 50 ms after both lines last changed
}  // namespace

TEST(OperationWorker, SendsNoProgressTheDialogWouldDropButStillDoesAllTheWork) {
  TempFolder temp("w");
  WorkerRun run;
  run.folders = {W(temp.MakeFolder("F"))};
  temp.MakeFile("F\\a");
  temp.MakeFile("F\\S\\b");
  run.settings.EraseMethod = 3;
  FolderOperation operation(run.settings, run.folders, ModeErase);
  operation.window = run.recorder.window();
  SeamOverride calls(OperationCalls());
  calls->tickCount = &EarlyTicks;
  ResetProgressLines();
  WorkerMain(operation);
  ResetProgressLines();
  EXPECT_TRUE(run.recorder.log.files.empty());
  EXPECT_TRUE(run.recorder.log.passes.empty());
  EXPECT_EQ(2u, operation.filesDeleted);
  EXPECT_EQ(2u, operation.foldersRemoved);
}
