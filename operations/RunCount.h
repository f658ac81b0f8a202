// What a run counts before its work, and what follows from the count: the
// Working state's progress, Pause, and recycling folders whole.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "operations/FolderWalker.h"
#include "operations/ProgressTexts.h"
#include "settings/Settings.h"

struct FolderOperation;

// What the run's own walk visits in one selected folder.
struct FolderCount {
  uint32_t files = 0;
  uint32_t folders = 0;  // itself included, once it was reached
  uint32_t fileLinks = 0;
  uint32_t folderLinks = 0;
  uint32_t unlisted = 0;  // folders that could not be listed, wholly or in part
  uint32_t inexact = 0;   // entries the shell cannot be given as they are named
  uint64_t bytes = 0;
  // The entries the progress counts: every removal when recycling, the
  // files and file links otherwise.
  uint32_t Items(OperationMode mode) const;
  // The bin can take the folder as one item: everything in it was listed,
  // it holds no link, and every name can be handed to the shell as it is.
  bool RecyclableWhole() const;
};

// What a walk's visit or an eraser's callback answers to end the run: the
// user cancelled.
constexpr int32_t kRunStop = -1;

// The thread's view of the dialog's requests.
bool Cancelled(const FolderOperation& operation);
// Waits while the run is paused; false once it is cancelled.
bool WaitWhilePaused(FolderOperation& operation);

// Counts what the run will visit, each selected folder with the run's own
// walk and rules (`runOptions`), and keeps the listings for the run. 0, or
// non-zero when cancelled (nothing is then to be done).
int32_t CountSelection(FolderOperation& operation, const WalkOptions& runOptions);

// Around the removal of one entry: BeginEntry waits out a pause (false:
// cancelled); EndEntry moves the progress past the entry, whatever became
// of it.
bool BeginEntry(FolderOperation& operation);
void EndEntry(FolderOperation& operation, int32_t kind, bool folder);
// Bytes written over a file since the last call (for Erase, every pass's
// bytes count), so that the bar moves while a large file is erased.
void AddErasedBytes(FolderOperation& operation, uint64_t bytes);
// Sends the figures to the dialog when its counts line is due, or at once
// (`now`) for a change of state.
void ReportProgress(FolderOperation& operation, bool now);

// Recycles a selected folder as one item when its count allows, and counts
// what it held. False when the folder is still to be done item by item:
// not Recycle, refused by its count, or refused by the bin.
bool RecycleWhole(FolderOperation& operation, const std::wstring& folder, const FolderCount& count);

// The path line: a shortened path, when the line is due.
void ShowPath(FolderOperation& operation, const wchar_t* path);
// True when the entry at path is a folder (a link: one to a folder).
bool IsFolderEntry(const wchar_t* path);
