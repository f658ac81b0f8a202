#include "operations/FolderWalker.h"

#include <windows.h>
#include <shlwapi.h>

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "settings/CleanMasks.h"
#include "base/OpenAt.h"
#include "base/FileSystemPlatform.h"
#include "base/LinkEntry.h"
#include "base/WideText.h"
#include "base/ErrorReturn.h"
#include "base/LastError.h"
#include "base/LinkEntry.h"

namespace {

// Every call below goes through the table in use.
FileSystemPlatform& calls = FileSystemCalls();

// One open listing, closed through the seam on every path.
class Listing {
 public:
  // The reparse tag is cleared first: a listing that does not fill it in
  // must not leave the previous entry's tag behind.
  bool Open(const wchar_t* pattern, WIN32_FIND_DATAW* data) {
    data->dwReserved0 = 0;
    handle_.reset(calls.findFirstFile(pattern, data));
    return static_cast<bool>(handle_);
  }
  bool Next(WIN32_FIND_DATAW* data) {
    data->dwReserved0 = 0;
    return calls.findNextFile(handle_.get(), data) != FALSE;
  }

 private:
  SeamFind handle_;
};

// The masks split in the code page, where a separator byte inside a
// double-byte character never splits, then each made wide.
std::vector<std::wstring> WideMasks(const char* masks) {
  std::vector<std::wstring> wide;
  for (const std::string& mask : SplitMaskList(masks ? masks : "")) wide.push_back(WideFromCodePage(mask));
  return wide;
}

// The first matching mask decides; with none, the opposite of the sense.
int32_t Matches(const wchar_t* name, const std::vector<std::wstring>& masks, int32_t include) {
  for (const std::wstring& mask : masks) {
    if (::PathMatchSpecW(name, mask.c_str())) return include ? 1 : 0;
  }
  return include ? 0 : 1;
}

bool IsDotEntry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// What the walk needs of one listed entry.
struct ListedEntry {
  std::wstring name;
  DWORD attributes = 0;
  DWORD reparseTag = 0;  // 0 where the listing leaves it unfilled (Wine)
  uint64_t fileId = 0;
  uint64_t size = 0;
};

}  // namespace

struct ListingStore::Kept {
  std::vector<ListedEntry> entries;
  bool complete = false;  // the listing was read to its end
};

struct ListingStore::Map {
  std::map<std::pair<uint32_t, uint64_t>, Kept> listings;
};

ListingStore::ListingStore() : map_(new Map) {}
ListingStore::~ListingStore() = default;

ListingStore::Kept& ListingStore::For(uint32_t volumeSerial, uint64_t fileId) {
  return map_->listings[std::make_pair(volumeSerial, fileId)];
}

namespace {

// Entries read through a folder's handle, a buffer of them at a time, or
// from the store where a walk before read them all.
class HandleListing {
 public:
  // Where the entries are kept (none: not kept). One read part-way before
  // is read again from its start.
  void Keep(ListingStore::Kept* kept) {
    kept_ = kept;
    if (kept_ && !kept_->complete) kept_->entries.clear();
  }
  // Starts over from the first entry; the next Next() asks again.
  void Restart() {
    restart_ = true;
    offset_ = kNone;
    replayed_ = 0;
  }
  // False at the end (ERROR_NO_MORE_FILES, or ERROR_FILE_NOT_FOUND when
  // there was nothing at all) or on failure, with the last error set.
  bool Next(HANDLE folder, ListedEntry* entry) {
    if (kept_ && kept_->complete) return Replay(entry);
    if (!Read(folder, entry)) {
      const DWORD error = ::GetLastError();
      const bool end = error == ERROR_NO_MORE_FILES || (error == ERROR_FILE_NOT_FOUND && kept_ && kept_->entries.empty());
      if (kept_ && end) kept_->complete = true;
      return false;
    }
    if (kept_) kept_->entries.push_back(*entry);
    return true;
  }

 private:
  static constexpr size_t kNone = static_cast<size_t>(-1);
  bool Replay(ListedEntry* entry) {
    if (replayed_ == kept_->entries.size()) {
      ::SetLastError(ERROR_NO_MORE_FILES);
      return false;
    }
    *entry = kept_->entries[replayed_++];
    return true;
  }
  bool Read(HANDLE folder, ListedEntry* entry) {
    if (offset_ == kNone || Current().NextEntryOffset == 0) {
      if (!Fill(folder)) return false;
    } else {
      offset_ += Current().NextEntryOffset;
    }
    const FILE_ID_BOTH_DIR_INFO& info = Current();
    entry->name.assign(info.FileName, info.FileNameLength / sizeof(wchar_t));
    entry->attributes = info.FileAttributes;
    // The listing keeps a reparse point's tag where extended attributes'
    // size would be.
    entry->reparseTag = (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? info.EaSize : 0;
    entry->fileId = static_cast<uint64_t>(info.FileId.QuadPart);
    entry->size = static_cast<uint64_t>(info.EndOfFile.QuadPart);
    return true;
  }
  bool Fill(HANDLE folder) {
    const FILE_INFO_BY_HANDLE_CLASS kind = restart_ ? FileIdBothDirectoryRestartInfo : FileIdBothDirectoryInfo;
    restart_ = false;
    offset_ = kNone;
    if (!calls.getFileInformationByHandleEx(folder, kind, buffer_, sizeof(buffer_))) return false;
    offset_ = 0;
    return true;
  }
  const FILE_ID_BOTH_DIR_INFO& Current() const {
    return *reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(reinterpret_cast<const BYTE*>(buffer_) + offset_);
  }

  // Aligned for the entries' 64-bit fields; room for a few hundred names.
  LONGLONG buffer_[8192 / sizeof(LONGLONG)];
  size_t offset_ = kNone;
  bool restart_ = true;
  ListingStore::Kept* kept_ = nullptr;
  size_t replayed_ = 0;
};

bool LinkHandle(HANDLE handle, DWORD attributes) {
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
  FILE_ATTRIBUTE_TAG_INFO tag = {};
  if (!calls.getFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof(tag))) tag.ReparseTag = 0;
  return IsLinkEntryData(attributes, tag.ReparseTag);
}

// The open entry's file id and attributes; false with the last error set.
bool ReadEntry(HANDLE handle, uint64_t* fileId, DWORD* attributes) {
  FILE_BASIC_INFO basic;
  if (!calls.getFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof(basic))) return false;
  const DWORD error = calls.fileIdOf(handle, fileId);
  if (error != ERROR_SUCCESS) {
    ::SetLastError(error);
    return false;
  }
  *attributes = basic.FileAttributes;
  return true;
}

// Access to open a folder to list it and to check what it is.
constexpr DWORD kListAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE;

// A depth-first walk without recursion: one level per open folder, so that
// the depth of a tree costs heap, never stack.
class Walk {
 public:
  Walk(const WalkOptions& options, const wchar_t* folder)
      : options_(options), masks_(WideMasks(options.masks)), path_(folder) {}
  int32_t Run();

 private:
  struct Level {
    size_t length;  // of path_ while at this level
    SeamFile folder;
    uint64_t listedId = 0;  // the folder's file id in its parent's listing
    uint64_t fileId = 0;    // its own, as its handle says
    HandleListing listing;
    bool filePass = false;
    bool any = false;  // the current pass has shown an entry
    bool mayDelete = true;  // opened with the right to delete, if asked
  };
  // How an opened folder compares with what its parent's listing showed.
  enum class Opened { Folder, Link, Failed };
  int32_t EnterOwn();
  int32_t EnterSub();
  Opened Check(Level& level, const uint64_t* listedId, DWORD* error);
  void Keep(Level& level);
  int32_t Step();
  int32_t EndOfListing(DWORD error);
  int32_t Unlisted(DWORD error);
  int32_t Visit(int32_t kind) { return options_.visit(path_.c_str(), kind, options_.context); }
  // The entry at path_, in parent (none: the walk's own folder), with the
  // file id its parent's listing gave.
  void Place(const Level* parent, uint64_t listedId) {
    if (!options_.place) return;
    WalkPlace& place = *options_.place;
    place = WalkPlace();
    if (!parent) return;
    place.folder = parent->folder.get();
    const size_t start = NameStart(parent->length);
    place.name = path_.c_str() + start;
    place.nameLength = static_cast<uint32_t>(path_.size() - start);
    place.listed = {volumeSerial_, listedId};
  }
  Level* Parent() { return levels_.empty() ? nullptr : levels_.back().get(); }
  // Where the last name of path_ starts, below a folder path of that length:
  // after the separator it was joined with, or right after a root's own.
  size_t NameStart(size_t folderLength) const {
    return folderLength < path_.size() && path_[folderLength] == L'\\' ? folderLength + 1 : folderLength;
  }
  void Append(const std::wstring& name) { AppendName(&path_, name.c_str()); }

  const WalkOptions& options_;
  const std::vector<std::wstring> masks_;
  std::wstring path_;
  // Levels are held by pointer: a listing must not move while it is open.
  std::vector<std::unique_ptr<Level>> levels_;
  ListedEntry entry_;
  // Of the walk's own folder. Every folder below is opened relative to it
  // and checked for reparse points, so that no other volume is reached
  // (one is mounted only at a reparse point).
  uint32_t volumeSerial_ = 0;
};

int32_t Walk::Unlisted(DWORD error) {
  TRACE_FAILURE(ResultFromError(error));
  ::SetLastError(error);
  return Visit(EntryUnlisted);
}

// The handle's own attributes decide, and for a subfolder its file id
// against the listing: Wine follows a host link even when asked for the
// link itself, but then the file id is the target's.
Walk::Opened Walk::Check(Level& level, const uint64_t* listedId, DWORD* error) {
  DWORD attributes = 0;
  uint64_t fileId = 0;
  if (!ReadEntry(level.folder.get(), &fileId, &attributes)) {
    *error = LastErrorOrFailure();
    return Opened::Failed;
  }
  level.fileId = fileId;
  if (LinkHandle(level.folder.get(), attributes)) return Opened::Link;
  if (listedId && *listedId != fileId) {
    TRACE_FAILURE(ResultFromError(ERROR_FILE_INVALID));
    return Opened::Link;
  }
  return Opened::Folder;
}

// A folder that is what it was checked to be is listed through the store.
void Walk::Keep(Level& level) {
  if (options_.listings) level.listing.Keep(&options_.listings->For(volumeSerial_, level.fileId));
}

int32_t Walk::EnterOwn() {
  auto level = std::make_unique<Level>();
  level->length = path_.size();
  level->filePass = !options_.recurse;
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (options_.followOwnLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  *level->folder.put() = calls.createFile(path_.c_str(), kListAccess, kShareAll, nullptr, OPEN_EXISTING, flags, nullptr);
  Place(nullptr, 0);
  if (level->folder.get() == INVALID_HANDLE_VALUE) return Unlisted(LastErrorOrFailure());
  BY_HANDLE_FILE_INFORMATION information;
  if (!calls.getFileInformationByHandle(level->folder.get(), &information)) return Unlisted(LastErrorOrFailure());
  volumeSerial_ = information.dwVolumeSerialNumber;
  DWORD error = ERROR_SUCCESS;
  const Opened opened = Check(*level, nullptr, &error);
  if (opened == Opened::Failed) return Unlisted(error);
  if (opened == Opened::Link && !options_.followOwnLink) return Visit(EntryLink);
  Keep(*level);
  levels_.push_back(std::move(level));
  return 0;
}

int32_t Walk::EnterSub() {
  Level& parent = *levels_.back();
  auto level = std::make_unique<Level>();
  level->length = path_.size();
  level->listedId = entry_.fileId;
  const size_t start = NameStart(parent.length);
  const wchar_t* name = path_.c_str() + start;
  const uint32_t length = static_cast<uint32_t>(path_.size() - start);
  const DWORD options = kOpenDirectory | kOpenReparsePoint | kOpenForBackup;
  DWORD error = calls.openAt(parent.folder.get(), name, length, kListAccess | (options_.openToRemove ? DELETE : 0),
                             options, level->folder.put());
  // A folder the user may list but not delete is still walked; its own
  // removal then fails by name, and is counted.
  if (error == ERROR_ACCESS_DENIED && options_.openToRemove) {
    level->mayDelete = false;
    error = calls.openAt(parent.folder.get(), name, length, kListAccess, options, level->folder.put());
  }
  Place(&parent, level->listedId);
  if (error != ERROR_SUCCESS) return Unlisted(error);
  DWORD checkError = ERROR_SUCCESS;
  const Opened opened = Check(*level, &level->listedId, &checkError);
  if (opened == Opened::Failed) return Unlisted(checkError);
  if (opened == Opened::Link) return Visit(EntryLink);
  Keep(*level);
  levels_.push_back(std::move(level));
  return 0;
}

int32_t Walk::EndOfListing(DWORD error) {
  Level& level = *levels_.back();
  // Nothing at all to list, not even "." (a drive's root): an empty folder.
  if (error == ERROR_FILE_NOT_FOUND && !level.any) error = ERROR_NO_MORE_FILES;
  if (error == ERROR_NO_MORE_FILES && !level.filePass) {
    level.filePass = true;
    level.any = false;
    level.listing.Restart();
    return 0;
  }
  // A subfolder opened for its removal stays open for its visit, which
  // removes it through this handle; any other is closed first, so that it
  // can be removed by name.
  std::unique_ptr<Level> done = std::move(levels_.back());
  levels_.pop_back();
  const bool held = options_.openToRemove && done->mayDelete && !levels_.empty() && error == ERROR_NO_MORE_FILES;
  if (!held) done->folder.reset();
  Place(Parent(), done->listedId);
  if (held && options_.place) options_.place->entry = done->folder.get();
  if (error == ERROR_NO_MORE_FILES) return Visit(EntryFolderDone);
  return Unlisted(error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : error);
}

int32_t Walk::Step() {
  Level& level = *levels_.back();
  path_.resize(level.length);
  if (!level.listing.Next(level.folder.get(), &entry_)) return EndOfListing(::GetLastError());
  level.any = true;
  const bool folder = (entry_.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (IsDotEntry(entry_.name.c_str()) || folder == level.filePass) return 0;
  if (!folder && !Matches(entry_.name.c_str(), masks_, options_.include)) return 0;
  // A link is handed over as such, so that the caller removes the link and
  // nothing of what it points to.
  const bool link = IsLinkEntryData(entry_.attributes, entry_.reparseTag);
  Append(entry_.name);
  if (folder && !link) return EnterSub();
  Place(&level, entry_.fileId);
  if (link) return Visit(EntryLink);
  if (options_.fileSize) *options_.fileSize = entry_.size;
  return Visit(EntryFile);
}

int32_t Walk::Run() {
  int32_t result = EnterOwn();
  while (result == 0 && !levels_.empty()) result = Step();
  return result;
}

}  // namespace

int32_t WalkFolder(const wchar_t* folder, const WalkOptions& options) {
  Walk walk(options, folder);
  return walk.Run();
}

int32_t MaskMatch(const wchar_t* name, const char* masks, int32_t include) {
  return Matches(name, WideMasks(masks), include);
}

bool IsLinkEntry(const wchar_t* path) { return LookAtEntry(calls, path).IsLink(); }

bool RemoveLinkEntry(const wchar_t* path) {
  const DWORD attributes = calls.getFileAttributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    TRACE_LAST_FAILURE();
    return 0;
  }
  const BOOL removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? calls.removeDirectory(path) : calls.deleteFile(path);
  if (!removed) TRACE_LAST_FAILURE();
  return removed ? 1 : 0;
}

namespace {

// Opens the entry at place to remove it: its own handle, never what a link
// points to where the system can tell.
DWORD OpenToRemove(const WalkPlace& place, int32_t kind, SeamFile* entry) {
  DWORD options = kOpenReparsePoint | kOpenForBackup;
  if (kind == EntryFile) options |= kOpenNonDirectory;
  if (kind == EntryFolderDone) options |= kOpenDirectory;
  return calls.openAt(static_cast<HANDLE>(place.folder), place.name, place.nameLength, DELETE | FILE_READ_ATTRIBUTES,
                      options, entry->put());
}

// A plain file goes as the name it was listed under in the held folder, in
// one open that deletes it on close. No identity check is needed as for a
// folder: removing a name from the held folder reaches nothing else. The
// name is opened as itself (never a link's target), a folder swapped in for
// it is refused by the non-directory option, and a file with other hard
// links keeps its data for those names. Under Wine this is a third of the
// calls of an open, an id query and a disposition.
int32_t DeleteListedFile(const WalkPlace& place) {
  SeamFile entry;
  const DWORD error = calls.openAt(static_cast<HANDLE>(place.folder), place.name, place.nameLength, DELETE,
                                   kOpenReparsePoint | kOpenForBackup | kOpenNonDirectory | kOpenDeleteOnClose,
                                   entry.put());
  if (error != ERROR_SUCCESS) {
    // The caller counts and traces a failure.
    ::SetLastError(error);
    return 0;
  }
  entry.reset();
  return 1;
}

// Whether the opened entry may go: a link only as its own handle (where the
// system followed it, removing through the handle would remove the target),
// anything else only while it is the entry the listing showed.
DWORD MayRemove(const WalkPlace& place, int32_t kind, HANDLE entry) {
  uint64_t fileId = 0;
  const DWORD error = calls.fileIdOf(entry, &fileId);
  if (error != ERROR_SUCCESS) return error;
  // Wine's handle of a listed host link is its target's, with the same id.
  if (kind != EntryLink && fileId == place.listed.fileId) return ERROR_SUCCESS;
  FILE_BASIC_INFO basic;
  if (!calls.getFileInformationByHandleEx(entry, FileBasicInfo, &basic, sizeof(basic))) return LastErrorOrFailure();
  if (basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return ERROR_SUCCESS;
  return kind == EntryLink ? ERROR_CANT_ACCESS_FILE : ERROR_FILE_INVALID;
}

}  // namespace

bool RemoveEntryAt(const WalkPlace& place, int32_t kind) {
  FILE_DISPOSITION_INFO disposition = {TRUE};
  // A folder the walk held from its check to here is what was listed.
  if (place.entry) {
    if (calls.setFileInformationByHandle(static_cast<HANDLE>(place.entry), FileDispositionInfo, &disposition,
                                         sizeof(disposition)))
      return 1;
    ::SetLastError(LastErrorOrFailure());
    return 0;
  }
  if (kind == EntryFile) return DeleteListedFile(place);
  SeamFile entry;
  DWORD error = OpenToRemove(place, kind, &entry);
  if (error == ERROR_SUCCESS) error = MayRemove(place, kind, entry.get());
  if (error == ERROR_SUCCESS &&
      !calls.setFileInformationByHandle(entry.get(), FileDispositionInfo, &disposition, sizeof(disposition)))
    error = LastErrorOrFailure();
  // The caller counts and traces a failure.
  if (error != ERROR_SUCCESS) {
    ::SetLastError(error);
    return 0;
  }
  // The entry goes when its last handle closes.
  entry.reset();
  return 1;
}

bool IsEmptyFolder(const wchar_t* path) {
  const std::wstring pattern = JoinName(path, L"*");
  WIN32_FIND_DATAW entry;
  Listing listing;
  if (!listing.Open(pattern.c_str(), &entry)) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    if (!IsDotEntry(entry.cFileName)) {
      ::SetLastError(ERROR_DIR_NOT_EMPTY);
      return false;
    }
  } while (listing.Next(&entry));
  const DWORD error = ::GetLastError();
  if (error == ERROR_NO_MORE_FILES) return true;
  ::SetLastError(LastErrorOrFailure());
  return false;
}
