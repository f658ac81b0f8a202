// Which directory entries are links, shared by the walker and the eraser.
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
