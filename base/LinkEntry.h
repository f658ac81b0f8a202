// Which directory entries are links, decided in one place for the walker and
// the eraser.
#pragma once
#include <windows.h>

// Whether an entry with these attributes and reparse tag is a link. A
// name-surrogate tag (symbolic link, junction, mount point) makes a link;
// other reparse points (cloud placeholders, deduplicated files) are ordinary
// entries with contents of their own. Wine leaves the tag of a listing
// unfilled; callers clear it before every listing call, so a tag of 0 on a
// reparse point means "unknown" and counts as a link: better a folder left
// in place than the files of what it points to removed.
inline bool IsLinkEntryData(DWORD attributes, DWORD reparseTag) {
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
  return reparseTag == 0 || IsReparseTagNameSurrogate(reparseTag);
}

struct EntryLook {
  DWORD attributes = INVALID_FILE_ATTRIBUTES;
  DWORD reparseTag = 0;  // 0 when unknown
  bool IsLink() const { return IsLinkEntryData(attributes, reparseTag); }
};

// The attributes and reparse tag of the entry at `path`, through the seam
// table `calls` (findFirstFile, findClose, getFileAttributes). A listing of
// the entry itself reports its tag; a path that cannot be listed that way (a
// drive's root) is known by its attributes alone.
template <typename Calls>
EntryLook LookAtEntry(const Calls& calls, const wchar_t* path) {
  WIN32_FIND_DATAW entry;
  entry.dwReserved0 = 0;
  const HANDLE listing = calls.findFirstFile(path, &entry);
  if (listing == INVALID_HANDLE_VALUE) return {calls.getFileAttributes(path), 0};
  calls.findClose(listing);
  return {entry.dwFileAttributes, entry.dwReserved0};
}
