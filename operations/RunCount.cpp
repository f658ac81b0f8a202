#include "operations/RunCount.h"

#include "erase/ErasePasses.h"
#include "operations/FolderOperation.h"
#include "operations/OperationMessages.h"
#include "operations/RunTexts.h"
#include "operations/ProgressLines.h"
#include "operations/OperationPlatform.h"
#include "operations/PathNames.h"
#include "operations/RecyclePath.h"
#include "base/FileSystemPlatform.h"
#include "base/ErrorReturn.h"

namespace {

// How often a paused worker looks whether it may go on.
constexpr DWORD kPausePollMs = 20;

bool Paused(const FolderOperation& operation) {
  return ::InterlockedCompareExchange(const_cast<volatile LONG*>(&operation.paused), 0, 0) != 0;
}

DWORD Now() { return OperationCalls().tickCount(); }

struct CountVisit {
  FolderOperation* operation;
  FolderCount* count;
  uint64_t size;
};

int32_t CountEntry(const wchar_t* path, int32_t kind, void* context) {
  CountVisit& visit = *static_cast<CountVisit*>(context);
  if (!WaitWhilePaused(*visit.operation)) return kRunStop;
  ShowPath(*visit.operation, path);
  FolderCount& count = *visit.count;
  if (kind == EntryUnlisted) {
    ++count.unlisted;
    return 0;
  }
  if (kind == EntryFile) {
    ++count.files;
    count.bytes += visit.size;
  } else if (kind == EntryFolderDone) {
    ++count.folders;
  } else if (IsFolderEntry(path)) {
    ++count.folderLinks;
  } else {
    ++count.fileLinks;
  }
  if (!IsShellExactPath(ShownPath(path))) ++count.inexact;
  return 0;
}

// The totals of the progress from the counts of every selected folder.
void SetTotals(FolderOperation& operation) {
  ProgressFigures& figures = operation.progress;
  const bool recycle = operation.mode == ModeRecycle;
  figures.items = recycle;
  const uint64_t passes = operation.mode == ModeErase ? operation.passCount : 1;
  for (const FolderCount& count : operation.counted) {
    figures.total += recycle && count.RecyclableWhole() ? 1 : count.Items(operation.mode);
    figures.bytesTotal += count.bytes * passes;
  }
  figures.counting = false;
}

}  // namespace

uint32_t FolderCount::Items(OperationMode mode) const {
  if (mode == ModeRecycle) return files + folders + fileLinks + folderLinks;
  return files + fileLinks;
}

bool FolderCount::RecyclableWhole() const {
  return folders > 0 && unlisted == 0 && inexact == 0 && fileLinks == 0 && folderLinks == 0;
}

bool Cancelled(const FolderOperation& operation) {
  return ::InterlockedCompareExchange(const_cast<volatile LONG*>(&operation.cancel), 0, 0) != 0;
}

bool WaitWhilePaused(FolderOperation& operation) {
  if (!Paused(operation) || Cancelled(operation)) return !Cancelled(operation);
  const DWORD start = Now();
  while (Paused(operation) && !Cancelled(operation)) ::Sleep(kPausePollMs);
  operation.pausedMs += Now() - start;
  return !Cancelled(operation);
}

int32_t CountSelection(FolderOperation& operation, const WalkOptions& runOptions) {
  operation.passCount = static_cast<uint32_t>(PassCount(PassList(operation.settings.EraseMethod)));
  ReportProgress(operation, true);
  FolderCount count;
  CountVisit visit{&operation, &count, 0};
  WalkOptions options = runOptions;
  options.visit = &CountEntry;
  options.context = &visit;
  options.fileSize = &visit.size;
  options.place = nullptr;
  // The count removes nothing: no folder is held open with that right.
  options.openToRemove = 0;
  options.listings = &operation.listings;
  for (const std::wstring& selected : operation.folders) {
    const std::wstring folder = ExtendedPath(selected);
    count = FolderCount();
    // Done as the link alone, as the run will (see WorkerMain).
    if (operation.mode != ModeClean && IsLinkEntry(folder.c_str())) {
      if (CountEntry(folder.c_str(), EntryLink, &visit) != 0) return kRunStop;
    } else if (WalkFolder(folder.c_str(), options) == kRunStop) {
      return kRunStop;
    }
    operation.counted.push_back(count);
  }
  SetTotals(operation);
  operation.workStart = Now();
  operation.pausedMs = 0;
  ReportProgress(operation, true);
  return 0;
}

bool BeginEntry(FolderOperation& operation) {
  operation.entryStartBytes = operation.progress.bytesDone;
  return WaitWhilePaused(operation);
}

void EndEntry(FolderOperation& operation, int32_t kind, bool folder) {
  if (kind == EntryUnlisted || (folder && operation.mode != ModeRecycle)) return;
  ProgressFigures& figures = operation.progress;
  ++figures.done;
  if (kind == EntryFile) {
    const uint64_t passes = operation.mode == ModeErase ? operation.passCount : 1;
    // What the passes of a file that failed part-way did not write is
    // passed over too: the bar stays in step with the files.
    figures.bytesDone = operation.entryStartBytes + operation.listedSize * passes;
  }
  ReportProgress(operation, false);
}

void AddErasedBytes(FolderOperation& operation, uint64_t bytes) {
  operation.progress.bytesDone += bytes;
  ReportProgress(operation, false);
}

void ReportProgress(FolderOperation& operation, bool now) {
  if (!now && !ProgressLineDue(CountsLine)) return;
  ProgressFigures figures = operation.progress;
  figures.activeMs = figures.counting ? 0 : Now() - operation.workStart - operation.pausedMs;
  ::SendMessageW(operation.window, WM_OP_PROGRESS, reinterpret_cast<WPARAM>(&figures), now ? 1 : 0);
}

bool RecycleWhole(FolderOperation& operation, const std::wstring& folder, const FolderCount& count) {
  if (operation.mode != ModeRecycle || !count.RecyclableWhole()) return false;
  if (!BeginEntry(operation)) return false;
  ShowPath(operation, folder.c_str());
  if (!RecyclePath(folder.c_str())) {
    // Item by item now, where the bin may take what it refused whole; each
    // item it refuses again is asked about and counted as before.
    operation.progress.total += count.Items(operation.mode) - 1;
    return false;
  }
  operation.filesDeleted += count.files;
  operation.foldersRemoved += count.folders;
  if (operation.report) operation.bytesFreed += count.bytes;
  ++operation.progress.done;
  ReportProgress(operation, false);
  return true;
}

void ShowPath(FolderOperation& operation, const wchar_t* path) {
  if (!ProgressLineDue(PathLine)) return;
  const std::wstring shortened = ShortenPath(ShownPath(path));
  ::SendMessageW(operation.window, WM_OP_FILE, reinterpret_cast<WPARAM>(shortened.c_str()), 0);
}

bool IsFolderEntry(const wchar_t* path) {
  const DWORD attributes = FileSystemCalls().getFileAttributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
