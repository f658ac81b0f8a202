#include <windows.h>
#include <shlwapi.h>

#include <vector>

#include "erase/Eraser.h"
#include "operations/FolderOperation.h"
#include "operations/FolderWalker.h"
#include "operations/RecyclePath.h"
#include "server/ErrorReturn.h"
#include "server/Text.h"

static constexpr const char* kUnit = kUnitDeleteDlg;

namespace {

constexpr int32_t kStop = -1;

bool Cancelled(const FolderOperation& operation) {
  return ::InterlockedCompareExchange(const_cast<volatile LONG*>(&operation.cancel), 0, 0) != 0;
}

// The size the file system reports for the file; 0 when it cannot be read.
// The attribute query returns what a listing of the path would, at a
// fraction of a listing's cost under Wine.
uint64_t ListedSize(const char* path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return 0;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The eraser takes wide names; the walk still hands over names in the
// user's code page.
bool EraseByAnsiName(const char* path, FolderOperation& operation) {
  const int length = ::MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
  if (length <= 0) return false;
  std::vector<wchar_t> wide(static_cast<size_t>(length));
  if (::MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), length) != length) return false;
  return EraseAndDelete(wide.data(), operation.settings.EraseMethod, &ReportPass, &operation) != 0;
}

// Removes one entry as the mode asks. Returns false with the failure's code
// in *code; a link is always removed as a link, so that nothing it points to
// is recycled, overwritten or deleted.
bool RemoveEntry(FolderOperation& operation, const char* path, bool folder, bool link, Result* code) {
  if (link) {
    if (RemoveLinkEntry(path)) return true;
    *code = ResultFromError(::GetLastError());
    return false;
  }
  switch (operation.mode) {
    case ModeRecycle:
      if (RecyclePath(path)) return true;
      *code = -1;
      return false;
    case ModeErase:
      if (folder ? ::RemoveDirectoryA(path) : EraseByAnsiName(path, operation))
        return true;
      break;
    default:
      if (folder ? ::RemoveDirectoryA(path) : ::DeleteFileA(path)) return true;
      break;
  }
  *code = ResultFromError(::GetLastError());
  return false;
}

}  // namespace

int32_t VisitEntry(const char* path, int32_t folderDone, void* context) {
  FolderOperation& operation = *static_cast<FolderOperation*>(context);
  if (Cancelled(operation)) return kStop;

  if (ProgressLineDue(PathLine)) {
    char shortened[55];
    if (!::PathCompactPathExA(shortened, path, sizeof(shortened), 0)) lstrcpynA(shortened, path, sizeof(shortened));
    ::SendMessageA(operation.window, WM_OP_FILE, reinterpret_cast<WPARAM>(shortened), 0);
  }

  const bool folder = folderDone != 0;
  // Clean leaves every folder, and with it every folder link, in place.
  if (folder && operation.mode == ModeClean) return 0;
  const bool link = IsLinkEntry(path);
  // A link frees nothing of what it points to.
  const uint64_t size = !folder && operation.report && !link ? ListedSize(path) : 0;

  Result code = kResultOk;
  const bool removed = RemoveEntry(operation, path, folder, link, &code);
  if (folder) {
    if (removed) {
      ++operation.foldersRemoved;
    } else {
      ++operation.folderErrors;
      TRACE_FAILURE(code);
    }
  } else if (removed) {
    ++operation.filesDeleted;
    if (operation.report) operation.bytesFreed += size;
  } else {
    ++operation.fileErrors;
    TRACE_FAILURE(code);
  }
  return 0;
}

int32_t ReportPass(int32_t pass, int32_t passCount, void* context) {
  FolderOperation& operation = *static_cast<FolderOperation*>(context);
  if (Cancelled(operation)) return kStop;
  if (passCount <= 1 || !ProgressLineDue(PassesLine)) return 0;
  const std::string text =
      FillText(ModuleString(444).c_str(), static_cast<unsigned>(pass), static_cast<unsigned>(passCount));
  ::SendMessageA(operation.window, WM_OP_PASS, reinterpret_cast<WPARAM>(text.c_str()), 0);
  return 0;
}

void WorkerMain(FolderOperation& operation) {
  CleanMaskSplit clean{"*.*", 1};
  if (operation.mode == ModeClean) clean = SplitCleanMasks(operation.settings.CleanMasks);
  WalkOptions options;
  options.recurse = operation.mode == ModeClean ? operation.settings.CleanSubfolders : 1;
  options.include = clean.include;
  options.masks = clean.masks.c_str();
  options.visit = &VisitEntry;
  options.context = &operation;
  for (const std::string& folder : operation.folders) {
    // A selected folder that is itself a link is deleted as the link alone:
    // walking it would delete what it points to. Clean works inside the
    // folder the user sees, so it goes through.
    if (operation.mode != ModeClean && IsLinkEntry(folder.c_str())) {
      VisitEntry(folder.c_str(), 1, &operation);
      continue;
    }
    const int32_t result = WalkFolder(folder.c_str(), options);
    if (result != 0) TRACE_FAILURE(result < 0 ? result : ResultFromError(static_cast<uint32_t>(result)));
  }
}

DWORD WINAPI OperationWorker(void* context) {
  FolderOperation& operation = *static_cast<FolderOperation*>(context);
  try {
    WorkerMain(operation);
  } catch (...) {
    // Memory ran out building a text: end the run, the dialog must still close.
    TRACE_FAILURE(kResultOutOfMemory);
  }
  // The dialog cannot close before this message arrives: a full queue must
  // not lose it.
  while (!::PostMessageA(operation.window, WM_OP_DONE, 0, 0) && ::IsWindow(operation.window)) ::Sleep(50);
  return 0;
}
