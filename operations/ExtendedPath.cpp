#include <windows.h>

#include "operations/FolderWalker.h"
#include "operations/PathNames.h"
#include "base/ErrorReturn.h"
#include "base/LastError.h"

namespace {

// The folder a relative path starts from: the process's current folder, or
// for "X:name" the current folder of that drive. Neither holds a name the
// system would strip, so its normalisation is safe here.
std::wstring BaseFolderFor(const std::wstring& path) {
  const bool driveRelative = path.size() >= 2 && path[1] == L':';
  const std::wstring drive = driveRelative ? path.substr(0, 2) : std::wstring();
  const DWORD size = driveRelative ? ::GetFullPathNameW(drive.c_str(), 0, nullptr, nullptr)
                                   : ::GetCurrentDirectoryW(0, nullptr);
  std::wstring base(size, L'\0');
  DWORD length = 0;
  if (size) {
    length = driveRelative ? ::GetFullPathNameW(drive.c_str(), size, &base[0], nullptr)
                           : ::GetCurrentDirectoryW(size, &base[0]);
  }
  if (length == 0 || length >= size) {
    TRACE_LAST_FAILURE();
    return std::wstring();
  }
  base.resize(length);
  while (base.size() > 3 && base.back() == L'\\') base.pop_back();
  return base;
}

}  // namespace

std::wstring ExtendedPath(const std::wstring& path) {
  if (!NeedsBaseFolder(path)) return JoinedExtendedPath(path, std::wstring());
  return JoinedExtendedPath(path, BaseFolderFor(path));
}

bool IsSelectableFolder(const std::wstring& path) {
  if (path.empty()) return false;
  const DWORD attributes = ::GetFileAttributesW(ExtendedPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
