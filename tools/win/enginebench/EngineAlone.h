// The deletion engine without any dialog: one selected folder walked and
// removed the way the operation worker does it in the Delete and Erase modes
// (files deleted or erased, emptied folders removed). Links need no lookup
// here: the walker hands a directory link over as a finished folder, which
// RemoveDirectoryA removes as a link, DeleteFileA removes a file link as a
// link, and EraseAndDelete checks for links itself. For benchmarks that
// compare a full run against the engine alone.
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

// The eraser takes wide names; the walk hands over names in the code page.
inline std::wstring EngineWideName(const char* path) {
  const int length = ::MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
  std::wstring wide(length > 0 ? static_cast<size_t>(length) : 1, L'\0');
  if (length > 0) ::MultiByteToWideChar(CP_ACP, 0, path, -1, &wide[0], length);
  return wide;
}

inline int32_t EngineAloneVisit(const char* path, int32_t folderDone, void* context) {
  EngineAloneCounts& counts = *static_cast<EngineAloneCounts*>(context);
  BOOL removed;
  if (folderDone) removed = ::RemoveDirectoryA(path);
  else if (counts.erase) removed = EraseAndDelete(EngineWideName(path).c_str(), counts.eraseMethod, nullptr, nullptr);
  else removed = ::DeleteFileA(path);
  if (folderDone) ++(removed ? counts.foldersRemoved : counts.folderErrors);
  else ++(removed ? counts.filesDeleted : counts.fileErrors);
  return 0;
}

// Deletes (or, with erase, erases with eraseMethod) everything in folder and
// the folder itself; returns the walk's result.
inline int32_t EngineAloneDelete(const char* folder, EngineAloneCounts* counts) {
  WalkOptions options{1, 1, "*.*", &EngineAloneVisit, counts};
  return WalkFolder(folder, options);
}
