#include "operations/FolderOperation.h"

#include "operations/OperationDialog.h"
#include "base/ErrorReturn.h"
#include "base/LastError.h"

namespace {

// The file system's own case table (not the user's language) decides which
// two names are one: "LCMAP_UPPERCASE" without linguistic casing is that table.
std::wstring FoldAsFileSystem(const std::wstring& path) {
  if (path.empty()) return path;
  const int length = static_cast<int>(path.size());
  const int needed = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, path.c_str(), length, nullptr, 0,
                                     nullptr, nullptr, 0);
  if (needed <= 0) {
    // Compared as spelled: an overlap then goes unseen, nothing is lost.
    TRACE_FAILURE(LastFailure());
    return path;
  }
  std::wstring folded(static_cast<size_t>(needed), L'\0');
  const int mapped = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, path.c_str(), length, &folded[0],
                                     needed, nullptr, nullptr, 0);
  if (mapped <= 0) {
    TRACE_FAILURE(LastFailure());
    return path;
  }
  folded.resize(static_cast<size_t>(mapped));
  return folded;
}

}  // namespace

FolderOperation::FolderOperation(const Settings& settings_, const SelectedFolders& folders_, OperationMode mode_)
    : settings(settings_),
      folders(folders_),
      mode(mode_),
      report(mode_ == ModeClean ? settings_.CleanReport : settings_.DeleteReport) {}

OperationCounts FolderOperation::Counts() const {
  OperationCounts counts;
  counts.filesDeleted = filesDeleted;
  counts.foldersRemoved = foldersRemoved;
  counts.fileErrors = fileErrors;
  counts.folderErrors = folderErrors;
  counts.bytesFreed = bytesFreed;
  counts.notInPlace = notInPlace;
  return counts;
}

void RunFolderOperation(const Settings& settings, const SelectedFolders& selected, OperationMode mode, HWND owner) {
  // A folder inside another selected one goes with it: walked twice, it
  // would be counted twice and fail the second time. Clean without
  // subfolders does each folder's own files alone, so there only a repeat goes.
  const bool reachesInside = mode != ModeClean || settings.CleanSubfolders != 0;
  const SelectedFolders folders = TopmostFolders(selected, &FoldAsFileSystem, reachesInside);
  FolderOperation operation(settings, folders, mode);
  RunOperationDialog(operation, owner);
}
