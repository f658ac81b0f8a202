#include "operations/OperationWorker.h"

#include <windows.h>

#include "erase/EraseEnd.h"
#include "erase/Eraser.h"
#include "operations/FolderOperation.h"
#include "operations/OperationMessages.h"
#include "operations/RunTexts.h"
#include "operations/ProgressLines.h"
#include "operations/FolderWalker.h"
#include "operations/RecyclePath.h"
#include "base/FileSystemPlatform.h"
#include "base/WideText.h"
#include "base/ErrorReturn.h"
#include "base/LastError.h"
#include "base/Text.h"
#include "resources/ResourceIds.h"

namespace {

// Recycles one entry. A folder goes to the bin only when it is empty: one
// that still holds what could not be recycled stays, and counts as an error.
bool Recycle(const wchar_t* path, bool folder, Result* code) {
  if (folder && !IsEmptyFolder(path)) {
    *code = LastFailure();
    return false;
  }
  if (RecyclePath(path)) return true;
  *code = -1;
  return false;
}

ErasedPlace ErasedPlaceOf(const WalkPlace& place) {
  return {static_cast<HANDLE>(place.folder), place.name, place.nameLength, place.listed.fileId};
}

// Erases one file. A file with other hard links keeps its data for those
// names: only this name goes, which frees no space, and the trace says so.
// Where the walk placed the file in its folder, the passes go only to the
// file the listing showed, its renames stay in that folder, and a name
// alone is removed there; what its volume answered once serves the run's
// other files on that volume.
bool Erase(FolderOperation& operation, const wchar_t* path, bool* nameOnly) {
  const WalkPlace& place = operation.listedPlace;
  EraseRequest request;
  request.method = operation.settings.EraseMethod;
  request.verify = operation.settings.EraseVerify != 0;
  request.onPass = &ReportPass;
  request.onChunk = &ReportChunk;
  request.userData = &operation;
  request.volumes = &operation.volumes;
  const int32_t outcome = place.folder ? EraseListedFile(path, place.listed, ErasedPlaceOf(place), request)
                                       : EraseAndDelete(path, request);
  // Counted whether or not the name then goes: the passes did not reach it.
  if (outcome == EraseNotInPlace) ++operation.notInPlace;
  if (outcome == EraseNameOnly) {
    *nameOnly = true;
    TRACE_FAILURE(kResultOtherNames);
  }
  if (outcome == EraseFailed) return false;
  // Only a name alone is left for its folder to remove.
  return outcome != EraseNameOnly || !place.folder || RemoveEntryAt(place, EntryFile) != 0;
}

// A folder Erase removes loses its name first, as its files did: renamed
// within its parent through the handle the walk held since its check. One
// the walk could not hold with the right to delete goes by its name alone,
// or stays. Should its removal fail, it gets its own name back.
BOOL RemoveErasedFolder(const WalkPlace& place) {
  const HANDLE entry = static_cast<HANDLE>(place.entry);
  if (!entry) return RemoveEntryAt(place, EntryFolderDone);
  const ErasedPlace at = ErasedPlaceOf(place);
  ScrambledName name(at);
  const Result scrambled = name.Scramble(entry);
  if (Failed(scrambled)) {
    ::SetLastError(ERROR_GEN_FAILURE);
    return FALSE;
  }
  if (RemoveEntryAt(place, EntryFolderDone)) return TRUE;
  const DWORD error = LastErrorOrFailure();
  name.Restore(entry);
  ::SetLastError(error);
  return FALSE;
}

// Removes one entry as the mode asks. Returns false with the failure's code
// in *code; a link is always removed as a link, so that nothing it points to
// is recycled, overwritten or deleted. *nameOnly is set when a name went but
// the data stays for other names. An entry the walk placed in its open
// folder is removed there, through its own handle; the walk's own folder by
// its path.
bool RemoveEntry(FolderOperation& operation, const wchar_t* path, int32_t kind, bool folder, Result* code,
                 bool* nameOnly) {
  const FileSystemPlatform& calls = FileSystemCalls();
  const bool link = kind == EntryLink;
  const bool placed = operation.listedPlace.folder != nullptr;
  BOOL removed = FALSE;
  if (link && placed)
    removed = RemoveEntryAt(operation.listedPlace, EntryLink);
  else if (link)
    removed = RemoveLinkEntry(path);
  else if (operation.mode == ModeRecycle)
    return Recycle(path, folder, code);
  else if (operation.mode == ModeErase && !folder)
    removed = Erase(operation, path, nameOnly);
  else if (operation.mode == ModeErase && placed)
    removed = RemoveErasedFolder(operation.listedPlace);
  else if (placed)
    removed = RemoveEntryAt(operation.listedPlace, kind);
  else if (folder)
    removed = calls.removeDirectory(path);
  else
    removed = calls.deleteFile(path);
  if (!removed) *code = LastFailure();
  return removed != FALSE;
}

// A folder that could not be listed may still hold what was selected.
void CountUnlisted(FolderOperation& operation, DWORD error) {
  CountUnfinished(operation, 1);
  TRACE_FAILURE(ResultFromError(error));
}

}  // namespace

int32_t VisitEntry(const wchar_t* path, int32_t kind, void* context) {
  const DWORD listingError = ::GetLastError();
  FolderOperation& operation = *static_cast<FolderOperation*>(context);
  if (!BeginEntry(operation)) return kRunStop;
  ShowPath(operation, path);
  if (kind == EntryUnlisted) {
    CountUnlisted(operation, listingError);
    return 0;
  }

  const bool link = kind == EntryLink;
  const bool folder = kind == EntryFolderDone || (link && IsFolderEntry(path));
  // Clean leaves every folder, and with it every folder link, in place.
  if (folder && operation.mode == ModeClean) return 0;
  // A link frees nothing of what it points to. The size is the one the
  // walk's listing reported for this file.
  const uint64_t size = kind == EntryFile && operation.report ? operation.listedSize : 0;

  Result code = kResultOk;
  bool nameOnly = false;
  const bool removed = RemoveEntry(operation, path, kind, folder, &code, &nameOnly);
  EndEntry(operation, kind, folder);
  if (folder) {
    if (removed) {
      ++operation.foldersRemoved;
    } else {
      ++operation.folderErrors;
      TRACE_FAILURE(code);
    }
  } else if (removed) {
    ++operation.filesDeleted;
    if (operation.report && !nameOnly) operation.bytesFreed += size;
  } else {
    ++operation.fileErrors;
    TRACE_FAILURE(code);
  }
  return 0;
}

int32_t ReportPass(int32_t pass, int32_t passCount, void* context) {
  FolderOperation& operation = *static_cast<FolderOperation*>(context);
  if (!WaitWhilePaused(operation)) return kRunStop;
  if (passCount <= 1 || !ProgressLineDue(PassesLine)) return 0;
  const std::wstring text = WideFromUtf8(
      FillText(ModuleStringUtf8(IDS_PASS_OF).c_str(), static_cast<unsigned>(pass), static_cast<unsigned>(passCount)));
  ::SendMessageW(operation.window, WM_OP_PASS, reinterpret_cast<WPARAM>(text.c_str()), 0);
  return 0;
}

// The bar moves with every chunk of every pass (the slack too; the end of
// the file settles it to size times passes). A pause waits here, between
// chunks, and a stop takes effect at the next one.
int32_t ReportChunk(uint64_t bytes, void* context) {
  FolderOperation& operation = *static_cast<FolderOperation*>(context);
  AddErasedBytes(operation, bytes);
  return WaitWhilePaused(operation) ? 0 : kRunStop;
}

void WorkerMain(FolderOperation& operation) {
  // The dialog never starts a refused run; should anything else, nothing is
  // touched and the refusal counts as an error.
  if (!ComposeRefusal(operation).empty()) {
    CountUnfinished(operation, 1);
    TRACE_FAILURE(ResultFromError(ERROR_ACCESS_DENIED));
    return;
  }
  CleanMaskSplit clean{"*", 1};
  if (operation.mode == ModeClean) clean = SplitCleanMasks(operation.settings.CleanMasks);
  WalkOptions options;
  options.recurse = operation.mode == ModeClean ? operation.settings.CleanSubfolders : 1;
  options.include = clean.include;
  options.masks = clean.masks.c_str();
  options.visit = &VisitEntry;
  options.context = &operation;
  options.fileSize = &operation.listedSize;
  options.place = &operation.listedPlace;
  options.followOwnLink = operation.mode == ModeClean;
  options.openToRemove = operation.mode == ModeDelete || operation.mode == ModeErase;
  options.listings = &operation.listings;
  if (CountSelection(operation, options) != 0) return;
  for (size_t i = 0; i < operation.folders.size(); ++i) {
    const std::wstring folder = ExtendedPath(operation.folders[i]);
    operation.listedPlace = WalkPlace();
    // A selected folder that is itself a link is deleted as the link alone:
    // walking it would delete what it points to. Clean works inside the
    // folder the user sees, so it goes through.
    if (operation.mode != ModeClean && IsLinkEntry(folder.c_str())) {
      if (VisitEntry(folder.c_str(), EntryLink, &operation) != 0) break;
      continue;
    }
    if (RecycleWhole(operation, folder, operation.counted[i])) continue;
    // Only a cancellation stops a walk; the remaining folders then cost one
    // visit each.
    const int32_t result = WalkFolder(folder.c_str(), options);
    if (result != 0) TRACE_FAILURE(result);
  }
  // The last figures at once: the repaint throttle may have held back the
  // ones of the last entries, and the bar and the taskbar button would stop
  // short of where the run ended.
  ReportProgress(operation, true);
}

void CountUnfinished(FolderOperation& operation, uint32_t undone) {
  if (operation.mode == ModeClean)
    operation.fileErrors += undone;
  else
    operation.folderErrors += undone;
}

DWORD WINAPI OperationWorker(void* context) {
  FolderOperation& operation = *static_cast<FolderOperation*>(context);
  try {
    WorkerMain(operation);
  } catch (...) {
    // Memory ran out building a text: end the run, the dialog must still
    // close. What the walk had still to do is not known, but it is not
    // done: the report must not read as a clean run.
    TRACE_FAILURE(kResultOutOfMemory);
    CountUnfinished(operation, 1);
  }
  // The dialog cannot close before this message arrives: a full queue must
  // not lose it.
  while (!::PostMessageW(operation.window, WM_OP_DONE, 0, 0) && ::IsWindow(operation.window)) ::Sleep(50);
  return 0;
}
