// The folder walker and the mask list: depth-first walks of one folder tree,
// files selected by ";"-separated wild-card masks.
#pragma once
#include <cstdint>
#include <string>

// (path, folder-done flag, context) -> 0 to go on; any other value stops the
// walk, which returns it unchanged. path is valid only during the call.
using EntryCallback = int32_t (*)(const char* path, int32_t folderDone, void* context);

struct WalkOptions {
  int32_t recurse;      // non-zero: descend into subfolders
  int32_t include;      // sense of the mask list (see MaskMatch)
  const char* masks;    // ";"-separated masks, not owned
  EntryCallback visit;
  void* context;        // handed unchanged to every visit call
};

// Visits the selected files of `folder` and, with recurse, its subfolders'
// trees first; every folder is reported (flag 1) after its contents.
// 0 at the end, a platform error code, or the first non-zero visit result.
// A directory that is a link (junction, symbolic link) is never descended
// into: it is reported as a finished folder, so that only the link goes.
int32_t WalkFolder(const char* folder, const WalkOptions& options);

// Non-zero when the bare file name `name` is selected by the mask list.
int32_t MaskMatch(const char* name, const char* masks, int32_t include);

struct CleanMaskSplit {
  std::string masks;
  int32_t include;
};
// The first entry of a CleanMasks value: its mask list and sense.
CleanMaskSplit SplitCleanMasks(const std::string& value);

// True when the entry at path is a link (a name-surrogate reparse point such
// as a junction or a symbolic link, to a folder or to a file). Links are
// removed as links in every mode and never overwritten.
bool IsLinkEntry(const char* path);
// Removes a link itself, never what it points to: RemoveDirectoryA for a
// folder link, DeleteFileA for a file link. Non-zero on success, last error
// set on failure.
int32_t RemoveLinkEntry(const char* path);
