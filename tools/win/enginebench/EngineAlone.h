// The deletion engine without any dialog: one selected folder walked and
// removed the way the operation worker does it in the Delete and Erase modes
// (files deleted or erased, emptied folders removed, links removed as
// links). For benchmarks that compare a full run against the engine alone.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "erase/Eraser.h"
#include "operations/FolderWalker.h"

struct EngineAloneCounts {
  uint32_t filesDeleted = 0;
  uint32_t foldersRemoved = 0;
  uint32_t fileErrors = 0;
  uint32_t folderErrors = 0;
  bool erase = false;
  uint32_t eraseMethod = 0;
  WalkPlace place;  // of the entry being visited
};

// Erases the file the listing showed and removes its name where it was
// listed, or (the walk's own folder level has no folder) by its path.
inline BOOL EngineAloneErase(const wchar_t* path, const EngineAloneCounts& counts) {
  if (!counts.place.folder) return EraseAndDelete(path, counts.eraseMethod, nullptr, nullptr) != EraseFailed;
  const ErasedPlace at{static_cast<HANDLE>(counts.place.folder), counts.place.name, counts.place.nameLength,
                       counts.place.listed.fileId};
  const int32_t outcome = EraseListedFile(path, counts.place.listed, at, counts.eraseMethod, nullptr, nullptr);
  if (outcome == EraseFailed) return FALSE;
  return outcome == EraseOverwritten || RemoveEntryAt(counts.place, EntryFile);
}

inline int32_t EngineAloneVisit(const wchar_t* path, int32_t kind, void* context) {
  EngineAloneCounts& counts = *static_cast<EngineAloneCounts*>(context);
  const bool folder = kind != EntryFile;
  BOOL removed = FALSE;
  const bool placed = counts.place.folder != nullptr;
  if (kind == EntryUnlisted) removed = FALSE;
  else if (counts.erase && kind == EntryFile) removed = EngineAloneErase(path, counts);
  else if (placed) removed = RemoveEntryAt(counts.place, kind);
  else if (kind == EntryLink) removed = RemoveLinkEntry(path);
  else if (folder) removed = ::RemoveDirectoryW(path);
  else removed = ::DeleteFileW(path);
  if (folder) ++(removed ? counts.foldersRemoved : counts.folderErrors);
  else ++(removed ? counts.filesDeleted : counts.fileErrors);
  return 0;
}

// Deletes (or, with erase, erases with eraseMethod) everything in folder and
// the folder itself; returns the walk's result.
inline int32_t EngineAloneDelete(const std::wstring& folder, EngineAloneCounts* counts) {
  WalkOptions options{1, 1, "*", &EngineAloneVisit, counts};
  options.place = &counts->place;
  options.openToRemove = 1;
  return WalkFolder(ExtendedPath(folder).c_str(), options);
}
