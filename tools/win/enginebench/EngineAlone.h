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
};

inline int32_t EngineAloneVisit(const wchar_t* path, int32_t kind, void* context) {
  EngineAloneCounts& counts = *static_cast<EngineAloneCounts*>(context);
  const bool folder = kind != EntryFile;
  BOOL removed = FALSE;
  if (kind == EntryUnlisted) removed = FALSE;
  else if (kind == EntryLink) removed = RemoveLinkEntry(path);
  else if (folder) removed = ::RemoveDirectoryW(path);
  else if (counts.erase) removed = EraseAndDelete(path, counts.eraseMethod, nullptr, nullptr);
  else removed = ::DeleteFileW(path);
  if (folder) ++(removed ? counts.foldersRemoved : counts.folderErrors);
  else ++(removed ? counts.filesDeleted : counts.fileErrors);
  return 0;
}

// Deletes (or, with erase, erases with eraseMethod) everything in folder and
// the folder itself; returns the walk's result.
inline int32_t EngineAloneDelete(const std::wstring& folder, EngineAloneCounts* counts) {
  WalkOptions options{1, 1, "*", &EngineAloneVisit, counts};
  return WalkFolder(ExtendedPath(folder).c_str(), options);
}
