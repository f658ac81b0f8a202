// One Delete or Clean run: its parameters, the texts its dialog shows, the
// worker thread and the counters the worker fills.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "erase/EraseVolumes.h"
#include "operations/FolderWalker.h"
#include "operations/OperationTexts.h"
#include "operations/RunCount.h"
#include "base/Handles.h"
#include "settings/SelectedFolders.h"
#include "settings/Settings.h"

// Messages from the worker to the dialog; the texts are wide.
constexpr UINT WM_OP_DONE = WM_APP;      // posted as the worker's last action
constexpr UINT WM_OP_FILE = WM_APP + 1;  // sent, wParam = shortened path
constexpr UINT WM_OP_PASS = WM_APP + 2;  // sent, wParam = "Pass n of m"
// Sent, wParam = const ProgressFigures*; lParam 1: a change of state, shown
// at once.
constexpr UINT WM_OP_PROGRESS = WM_APP + 3;

struct FolderOperation {
  FolderOperation(const Settings& settings, const SelectedFolders& folders, OperationMode mode);
  FolderOperation(const FolderOperation&) = delete;
  FolderOperation& operator=(const FolderOperation&) = delete;

  const Settings& settings;        // borrowed for the run, read only
  const SelectedFolders& folders;  // borrowed for the run, read only
  const OperationMode mode;
  UniqueIcon icon;
  std::wstring messageText;
  std::wstring folderListText;
  std::wstring fileText;
  std::wstring passesText;
  UniqueHandle worker;
  volatile LONG idle = 1;    // 1: no worker runs, closing ends the dialog
  volatile LONG cancel = 0;  // set to 1 by the dialog thread only
  const int32_t report;
  // Written by the worker alone, read after it has ended.
  uint32_t filesDeleted = 0;
  uint32_t foldersRemoved = 0;
  uint32_t fileErrors = 0;
  uint32_t folderErrors = 0;
  uint64_t bytesFreed = 0;
  uint32_t notInPlace = 0;  // erased files the passes may not have reached in place
  uint64_t listedSize = 0;  // of the file being visited, from the walk's listing
  WalkPlace listedPlace;    // of the entry being visited, from the walk
  EraseVolumes volumes;     // what Erase asked of each volume of the run
  HWND window = nullptr;  // the dialog, target of the worker's messages
  volatile LONG paused = 0;  // set by the dialog thread only
  // The count before the work and the work's progress against it; the
  // worker's alone.
  std::vector<FolderCount> counted;  // one per selected folder
  ListingStore listings;
  ProgressFigures progress;
  uint64_t entryStartBytes = 0;  // progress.bytesDone when the entry began
  uint32_t passCount = 1;
  DWORD workStart = 0;  // OperationCalls().tickCount() after the count
  DWORD pausedMs = 0;

  OperationCounts Counts() const;
};

// Fills messageText and folderListText with the question and the folder list.
void ComposeConfirmation(FolderOperation& operation);
// Why the run must not start, as the dialog shows it; "" when it may. Every
// Delete mode refuses a selection that holds a drive root; Clean refuses a
// mask list without a usable mask (HasUsableMask).
std::wstring ComposeRefusal(const FolderOperation& operation);
// The closing report from the counters.
std::wstring ComposeReport(const FolderOperation& operation);
// A path shortened to at most 54 characters for one line of the dialog; a
// character outside the Basic Multilingual Plane is never cut in two.
std::wstring ShortenPath(const std::wstring& path);

// The progress lines of the dialog (the counts line with the bar, the rate
// and the time left). Each repaints at most once per 100 ms, by time stamps
// shared by every operation dialog of the process.
enum ProgressLine { PathLine = 0, PassesLine = 1, CountsLine = 2 };
// False while the line would drop a new text: the worker then spares itself
// the exchange with the dialog thread, which under Wine costs more than
// deleting a small file.
bool ProgressLineDue(ProgressLine line);

// A Delete or Clean run in `mode` over the folders: the question, the work
// and the report, in the modal operation dialog (owner may be null).
void RunFolderOperation(const Settings& settings, const SelectedFolders& folders, OperationMode mode, HWND owner);

// Runs the modal operation dialog (owner may be null); -1 when it could not be
// shown, else 0.
INT_PTR RunOperationDialog(FolderOperation& operation, HWND owner);

// The worker: thread procedure, its body, and the callbacks of the walker
// and the eraser.
DWORD WINAPI OperationWorker(void* operation);
void WorkerMain(FolderOperation& operation);
int32_t VisitEntry(const wchar_t* path, int32_t kind, void* operation);
int32_t ReportPass(int32_t pass, int32_t passCount, void* operation);
// The eraser's word after each chunk: a cancellation stops within the pass.
int32_t ReportChunk(uint64_t bytesWritten, void* operation);
// Counts what a run that ended early left undone: `undone` errors, among the
// files for Clean (whose report counts files alone), else among the folders.
void CountUnfinished(FolderOperation& operation, uint32_t undone);

// Platform calls of a run that tests must be able to fail.
struct OperationPlatform {
  HANDLE(WINAPI* createThread)(LPSECURITY_ATTRIBUTES security, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                               LPVOID parameter, DWORD flags, LPDWORD threadId);
  void*(WINAPI* heapAlloc)(HANDLE heap, DWORD flags, SIZE_T bytes);
  DWORD(WINAPI* tickCount)();
};
// The table in use; tests change entries and put the real ones back.
OperationPlatform& OperationCalls();
// The system's own functions.
const OperationPlatform& RealOperationCalls();
// Forgets the progress lines' time stamps, as if no dialog had shown a line
// lately.
void ResetProgressLines();
