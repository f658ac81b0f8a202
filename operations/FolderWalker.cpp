#include "operations/FolderWalker.h"

#include <windows.h>
#include <shlwapi.h>

#include <vector>

#include "operations/MaskList.h"
#include "operations/WalkerPlatform.h"
#include "server/ErrorReturn.h"

static constexpr const char* kUnit = kUnitDeleteDlg;

namespace {

const WalkerPlatform kRealCalls = {::FindFirstFileA,    ::FindNextFileA, ::FindClose,
                                   ::GetFileAttributesA, ::DeleteFileA,   ::RemoveDirectoryA};
WalkerPlatform calls = kRealCalls;

// The thread's last error after a failed listing call. A failure that left
// no error behind must still end the walk, never pass for success.
int32_t ListingError() {
  DWORD error = ::GetLastError();
  if (error == ERROR_SUCCESS) error = ERROR_GEN_FAILURE;
  TRACE_FAILURE(ResultFromError(error));
  return static_cast<int32_t>(error);
}

// One open listing, closed through the seam on every path.
class Listing {
 public:
  Listing() = default;
  Listing(const Listing&) = delete;
  Listing& operator=(const Listing&) = delete;
  ~Listing() { Close(); }
  bool Open(const std::string& pattern, WIN32_FIND_DATAA* data) {
    handle_ = calls.findFirstFile(pattern.c_str(), data);
    return handle_ != INVALID_HANDLE_VALUE;
  }
  bool Next(WIN32_FIND_DATAA* data) { return calls.findNextFile(handle_, data) != FALSE; }
  void Close() {
    if (handle_ != INVALID_HANDLE_VALUE) calls.findClose(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// The first matching mask decides; with none, the opposite of the sense.
int32_t Matches(const char* name, const std::vector<std::string>& masks, int32_t include) {
  for (const std::string& mask : masks) {
    if (::PathMatchSpecA(name, mask.c_str())) return include ? 1 : 0;
  }
  return include ? 0 : 1;
}

bool IsDotEntry(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

struct Walk {
  const WalkOptions& options;
  std::vector<std::string> masks;
  std::string path;  // grows by one name per level and shrinks back

  bool Selected(const char* name) const { return Matches(name, masks, options.include) != 0; }

  int32_t Visit(int32_t folderDone) { return options.visit(path.c_str(), folderDone, options.context); }

  // Runs `step` with `name` appended to the current path.
  template <typename Step>
  int32_t WithEntry(const char* name, Step step) {
    const size_t length = path.size();
    path += '\\';
    path += name;
    const int32_t result = step();
    path.resize(length);
    return result;
  }

  int32_t Folder();
};

int32_t Walk::Folder() {
  const std::string pattern = path + "\\*.*";
  WIN32_FIND_DATAA entry;
  Listing subfolders;
  if (options.recurse) {
    if (!subfolders.Open(pattern, &entry)) return ListingError();
    do {
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || IsDotEntry(entry.cFileName)) continue;
      // A link is reported as a finished folder, so that the caller removes
      // the link and nothing of what it points to.
      const bool link = IsLinkAttributes(entry.dwFileAttributes);
      const int32_t result = WithEntry(entry.cFileName, [&] { return link ? Visit(1) : Folder(); });
      if (result != 0) return result;
    } while (subfolders.Next(&entry));
    if (::GetLastError() != ERROR_NO_MORE_FILES) return ListingError();
  }

  Listing files;
  const bool opened = files.Open(pattern, &entry);
  const int32_t openError = opened ? 0 : ListingError();
  subfolders.Close();
  if (!opened) return openError;
  do {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || IsDotEntry(entry.cFileName)) continue;
    if (!Selected(entry.cFileName)) continue;
    const int32_t result = WithEntry(entry.cFileName, [&] { return Visit(0); });
    if (result != 0) return result;
  } while (files.Next(&entry));
  if (::GetLastError() != ERROR_NO_MORE_FILES) return ListingError();
  files.Close();
  return Visit(1);
}

}  // namespace

WalkerPlatform& WalkerCalls() { return calls; }
const WalkerPlatform& RealWalkerCalls() { return kRealCalls; }

int32_t WalkFolder(const char* folder, const WalkOptions& options) {
  Walk walk{options, SplitMaskList(options.masks ? options.masks : ""), folder};
  return walk.Folder();
}

int32_t MaskMatch(const char* name, const char* masks, int32_t include) {
  return Matches(name, SplitMaskList(masks ? masks : ""), include);
}

bool IsLinkEntry(const char* path) { return IsLinkAttributes(calls.getFileAttributes(path)); }

int32_t RemoveLinkEntry(const char* path) {
  const DWORD attributes = calls.getFileAttributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    TRACE_FAILURE(ResultFromError(::GetLastError()));
    return 0;
  }
  const BOOL removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? calls.removeDirectory(path) : calls.deleteFile(path);
  if (!removed) TRACE_FAILURE(ResultFromError(::GetLastError()));
  return removed ? 1 : 0;
}
