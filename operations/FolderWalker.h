// The folder walker and the mask list: depth-first walks of one folder tree,
// files selected by ";"-separated wild-card masks. Paths are wide text, in
// the "\\?\" form when they come from ExtendedPath, so that no name and no
// depth is out of reach.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "erase/FileIdentity.h"
#include "operations/PathNames.h"

// What a visit call is about.
enum EntryKind : int32_t {
  EntryFile = 0,        // a selected file
  EntryFolderDone = 1,  // a folder after its contents, or a folder link
  EntryUnlisted = 2,    // a folder that could not be listed (wholly or in part);
                        // the thread's last error says why. It is not reported
                        // as done: it may still hold entries.
  EntryLink = 3,        // a link to a folder or a selected link to a file: to be
                        // removed as a link, never followed
};

// Where a visited entry sits: its folder, open by handle for the length of
// the visit, and the identity that folder's listing gave the entry. Entries
// of the walk's own folder level and the walk's own folder have a folder;
// the walk's own folder itself has none (folder null): it is known by its
// path alone.
struct WalkPlace {
  void* folder = nullptr;  // the parent's HANDLE, open during the visit
  // A subfolder's own HANDLE at its done visit when the walk opened it for
  // removal (WalkOptions::openToRemove), held since its check; else null.
  void* entry = nullptr;
  const wchar_t* name = nullptr;
  uint32_t nameLength = 0;
  FileIdentity listed;
};

// The listings walks have read, kept for later walks of the same folders:
// a run counts its tree first and then works through it, and lists each
// folder once. A listing is found again by its folder's volume and file id,
// so a folder that is another one by the time of the later walk is listed
// anew; a listing that failed part-way is not kept.
class ListingStore {
 public:
  ListingStore();
  ~ListingStore();
  ListingStore(const ListingStore&) = delete;
  ListingStore& operator=(const ListingStore&) = delete;
  struct Kept;
  // The listing kept for a folder, empty and incomplete when new.
  Kept& For(uint32_t volumeSerial, uint64_t fileId);

 private:
  struct Map;
  std::unique_ptr<Map> map_;
};

// (path, kind, context) -> 0 to go on; any other value stops the walk,
// which returns it unchanged. path is valid only during the call.
using EntryCallback = int32_t (*)(const wchar_t* path, int32_t kind, void* context);

struct WalkOptions {
  bool recurse;         // descend into subfolders
  int32_t include;      // sense of the mask list (see MaskMatch)
  const char* masks;    // ";"-separated masks in the user's code page, not owned
  EntryCallback visit;
  void* context;        // handed unchanged to every visit call
  // Where the walker puts each file's size as its listing reports it, just
  // before the file's visit; none: not wanted.
  uint64_t* fileSize = nullptr;
  // Where the walker puts each entry's place just before its visit; none:
  // not wanted.
  WalkPlace* place = nullptr;
  // True: a walk's own folder that is a link is walked where it points
  // (Clean works in the folder the user sees). Otherwise it is reported as a
  // link and not entered.
  bool followOwnLink = false;
  // True: subfolders are opened with the right to delete them and held
  // open for their done visit (WalkPlace::entry).
  bool openToRemove = false;
  // Where each folder's listing is kept, and read from when an earlier walk
  // kept it; none: every folder is read from the system.
  ListingStore* listings = nullptr;
};

// Visits the selected files of `folder` and, with recurse, its subfolders'
// trees first; every folder is reported done after its contents. A folder
// that cannot be listed is reported as unlisted and the walk goes on with the
// rest of the tree, so its ancestors are still reported done. 0 at the end,
// or the first non-zero visit result. A directory that is a link (junction,
// symbolic link) is never descended into: like a selected file that is a
// link, it is reported as a link, so that only the link goes.
// Every folder is opened by handle, relative to its parent's handle, and
// listed through that handle. A subfolder whose opened handle is a link, or
// is not the folder its parent's listing showed (another file id: it was
// swapped after the listing), is reported as a link and never entered.
// Paths are joined with "\", which a root's own separator stands for.
int32_t WalkFolder(const wchar_t* folder, const WalkOptions& options);

// Non-zero when the bare file name `name` is selected by the mask list
// (masks in the user's code page, matched as PathMatchSpec matches).
int32_t MaskMatch(const wchar_t* name, const char* masks, int32_t include);

// The "\\?\" form of a path (see JoinedExtendedPath), which the wide file
// calls take at any length and with every name as it is. A relative path is
// made absolute against the current folder by joining, not by the system's
// normalisation.
std::wstring ExtendedPath(const std::wstring& path);
// True when `path` (as the shell gave it, at any length) names a folder.
bool IsSelectableFolder(const std::wstring& path);

// True when the entry at path is a link (a name-surrogate reparse point such
// as a junction or a symbolic link, to a folder or to a file). Links are
// removed as links in every mode and never overwritten.
bool IsLinkEntry(const wchar_t* path);
// Removes a link itself, never what it points to: RemoveDirectoryW for a
// folder link, DeleteFileW for a file link. True on success, last error
// set on failure.
bool RemoveLinkEntry(const wchar_t* path);
// True when a listing of the folder shows no entry but "." and "..". Else
// false with the last error set: ERROR_DIR_NOT_EMPTY, or why it cannot be
// listed.
bool IsEmptyFolder(const wchar_t* path);

// Removes the entry at `place` through its own handle: the one the walk
// holds (WalkPlace::entry), or one opened relative to its folder's handle.
// A link goes as the link alone: its handle must be the link's own, which
// Wine does not give for host links (then nothing is removed). A file or
// an emptied folder goes only while it is still the entry the listing
// showed. True on success; else the last error says why
// (ERROR_FILE_INVALID: the name now holds something else).
bool RemoveEntryAt(const WalkPlace& place, int32_t kind);
