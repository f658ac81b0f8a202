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

// A Delete or Clean run in `mode` over the folders: the question, the work
// and the report, in the modal operation dialog (owner may be null).
void RunFolderOperation(const Settings& settings, const SelectedFolders& folders, OperationMode mode, HWND owner);
