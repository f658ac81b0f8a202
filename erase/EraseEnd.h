// The end of an erased file, and of a folder Erase removes: nothing of its
// size, its times or its name left where it was. The data is gone after the
// last pass; what the folder and the file system keep about the file is
// taken away here, before the entry itself goes.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "base/ErrorReturn.h"

// The four times an erased file is given before it goes: 1 January 1980,
// 00:00 UTC (FAT's first day, which every file system can hold), in 100 ns
// units since 1601.
constexpr int64_t kErasedFileTime = 119600064000000000;

// Where an erased entry sits: its folder, open by handle, its name there and
// the file id that folder's listing gave it. Renames go only through the
// entry's own handle, relative to that folder, and only while the handle is
// that entry. No folder: the entry keeps its name.
struct ErasedPlace {
  HANDLE folder = nullptr;
  const wchar_t* name = nullptr;
  uint32_t nameLength = 0;
  uint64_t fileId = 0;
};

// The place of the file at a path: its folder opened by the folder's path,
// the file's id read through that folder's handle. Where either cannot be
// had, the place has no folder.
class PathPlace {
 public:
  explicit PathPlace(const wchar_t* path);
  ~PathPlace();
  PathPlace(const PathPlace&) = delete;
  PathPlace& operator=(const PathPlace&) = delete;
  const ErasedPlace& get() const { return place_; }

 private:
  ErasedPlace place_;
};

// The names an erased entry passes through, and the way back to its own.
class ScrambledName {
 public:
  explicit ScrambledName(const ErasedPlace& place) : place_(place) {}
  ScrambledName(const ScrambledName&) = delete;
  ScrambledName& operator=(const ScrambledName&) = delete;

  // Renames the entry, open with the right to delete it, kEraseRenames times
  // within its folder, each time to fresh random letters and digits of its
  // name's length. A rename the file system refuses (a name taken, a share
  // that will not) ends the renames and is no error: the entry then goes
  // under the name it has. Fails only when no seed for the names can be
  // drawn.
  Result Scramble(HANDLE entry);
  // Gives the entry its own name back after its removal failed, so that
  // what stays is found where the user left it. False when that fails too.
  bool Restore(HANDLE entry);

 private:
  const ErasedPlace& place_;
  std::vector<wchar_t> current_;
};

// Truncates an open file or stream to nothing and flushes the change.
Result TruncateErased(HANDLE file);

// After the last pass over the file open as `file` (with the right to
// delete it, its streams already truncated and closed): truncates and
// flushes it, sets its four times to kErasedFileTime, scrambles its name
// within `place`'s folder and marks it for deletion, which happens when the
// handle closes. On failure the file stays, under its own name.
Result FinishErasedFile(HANDLE file, const ErasedPlace& place);
