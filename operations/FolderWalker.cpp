#include "operations/FolderWalker.h"

#include <windows.h>
#include <shlwapi.h>

#include <memory>
#include <vector>

#include "operations/MaskList.h"
#include "operations/WalkerPlatform.h"
#include "operations/WideText.h"
#include "base/ErrorReturn.h"
#include "base/LastError.h"

static constexpr const char* kUnit = kUnitDeleteDlg;

namespace {

// The basic information level leaves out the short name, which nothing here
// reads, and the large fetch asks for big batches of entries per call.
HANDLE WINAPI FindFirstEntry(LPCWSTR pattern, LPWIN32_FIND_DATAW data) {
  return ::FindFirstFileExW(pattern, FindExInfoBasic, data, FindExSearchNameMatch, nullptr,
                            FIND_FIRST_EX_LARGE_FETCH);
}

const WalkerPlatform kRealCalls = {&FindFirstEntry,      ::FindNextFileW, ::FindClose,
                                   ::GetFileAttributesW, ::DeleteFileW,   ::RemoveDirectoryW};
WalkerPlatform calls = kRealCalls;

// One open listing, closed through the seam on every path.
class Listing {
 public:
  Listing() = default;
  Listing(const Listing&) = delete;
  Listing& operator=(const Listing&) = delete;
  ~Listing() { Close(); }
  // The reparse tag is cleared first: a listing that does not fill it in
  // must not leave the previous entry's tag behind.
  bool Open(const wchar_t* pattern, WIN32_FIND_DATAW* data) {
    Close();
    data->dwReserved0 = 0;
    handle_ = calls.findFirstFile(pattern, data);
    return handle_ != INVALID_HANDLE_VALUE;
  }
  bool Next(WIN32_FIND_DATAW* data) {
    data->dwReserved0 = 0;
    return calls.findNextFile(handle_, data) != FALSE;
  }
  void Close() {
    if (handle_ != INVALID_HANDLE_VALUE) calls.findClose(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
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

// A depth-first walk without recursion: one level per open listing, so that
// the depth of a tree costs heap, never stack.
class Walk {
 public:
  Walk(const WalkOptions& options, const wchar_t* folder)
      : options_(options), masks_(WideMasks(options.masks)), path_(folder) {}
  int32_t Run();

 private:
  struct Level {
    size_t length;  // of path_ while at this level
    Listing listing;
    bool filePass;
    bool advance;  // the entry in entry_ is used: read the next one first
    bool ended;    // the listing had nothing at all to show
  };
  int32_t Enter();
  int32_t Step();
  int32_t EndOfListing(DWORD error);
  int32_t Unlisted(DWORD error);
  bool OpenListing(Level& level, DWORD* error);
  int32_t Visit(int32_t kind) { return options_.visit(path_.c_str(), kind, options_.context); }
  void Append(const wchar_t* name) { AppendName(&path_, name); }

  const WalkOptions& options_;
  const std::vector<std::wstring> masks_;
  std::wstring path_;
  // Levels are held by pointer: a listing must not move while it is open.
  std::vector<std::unique_ptr<Level>> levels_;
  WIN32_FIND_DATAW entry_ = {};
};

bool Walk::OpenListing(Level& level, DWORD* error) {
  const std::wstring pattern = JoinName(path_, L"*");
  level.advance = false;
  level.ended = false;
  if (level.listing.Open(pattern.c_str(), &entry_)) return true;
  *error = LastErrorOrFailure();
  // Nothing at all to list, not even "." (a drive's root): an empty folder.
  if (*error != ERROR_FILE_NOT_FOUND) return false;
  level.ended = true;
  return true;
}

int32_t Walk::Unlisted(DWORD error) {
  TRACE_FAILURE(ResultFromError(error));
  ::SetLastError(error);
  return Visit(EntryUnlisted);
}

int32_t Walk::Enter() {
  auto level = std::make_unique<Level>();
  level->length = path_.size();
  level->filePass = options_.recurse == 0;
  DWORD error = ERROR_SUCCESS;
  if (!OpenListing(*level, &error)) return Unlisted(error);
  levels_.push_back(std::move(level));
  return 0;
}

int32_t Walk::EndOfListing(DWORD error) {
  Level& level = *levels_.back();
  level.listing.Close();
  if (error == ERROR_NO_MORE_FILES && !level.filePass) {
    level.filePass = true;
    if (OpenListing(level, &error)) return 0;
  } else if (error == ERROR_NO_MORE_FILES) {
    levels_.pop_back();
    return Visit(EntryFolderDone);
  }
  levels_.pop_back();
  return Unlisted(error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : error);
}

int32_t Walk::Step() {
  Level& level = *levels_.back();
  path_.resize(level.length);
  if (level.ended) return EndOfListing(ERROR_NO_MORE_FILES);
  if (level.advance && !level.listing.Next(&entry_)) return EndOfListing(::GetLastError());
  level.advance = true;
  const bool folder = (entry_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (IsDotEntry(entry_.cFileName) || folder == level.filePass) return 0;
  if (!folder && !Matches(entry_.cFileName, masks_, options_.include)) return 0;
  // A link is handed over as such, so that the caller removes the link and
  // nothing of what it points to.
  const bool link = IsLinkEntryData(entry_.dwFileAttributes, entry_.dwReserved0);
  Append(entry_.cFileName);
  if (link) return Visit(EntryLink);
  if (folder) return Enter();
  if (options_.fileSize)
    *options_.fileSize = (static_cast<uint64_t>(entry_.nFileSizeHigh) << 32) | entry_.nFileSizeLow;
  return Visit(EntryFile);
}

int32_t Walk::Run() {
  int32_t result = Enter();
  while (result == 0 && !levels_.empty()) result = Step();
  return result;
}

}  // namespace

WalkerPlatform& WalkerCalls() { return calls; }
const WalkerPlatform& RealWalkerCalls() { return kRealCalls; }

int32_t WalkFolder(const wchar_t* folder, const WalkOptions& options) {
  Walk walk(options, folder);
  return walk.Run();
}

int32_t MaskMatch(const wchar_t* name, const char* masks, int32_t include) {
  return Matches(name, WideMasks(masks), include);
}

bool IsLinkEntry(const wchar_t* path) {
  // A listing of the entry itself reports its reparse tag; a path that
  // cannot be listed that way (a drive's root) is judged by its attributes.
  WIN32_FIND_DATAW entry;
  Listing listing;
  if (listing.Open(path, &entry)) return IsLinkEntryData(entry.dwFileAttributes, entry.dwReserved0);
  return IsLinkEntryData(calls.getFileAttributes(path), 0);
}

int32_t RemoveLinkEntry(const wchar_t* path) {
  const DWORD attributes = calls.getFileAttributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    TRACE_FAILURE(ResultFromError(::GetLastError()));
    return 0;
  }
  const BOOL removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? calls.removeDirectory(path) : calls.deleteFile(path);
  if (!removed) TRACE_FAILURE(ResultFromError(::GetLastError()));
  return removed ? 1 : 0;
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
