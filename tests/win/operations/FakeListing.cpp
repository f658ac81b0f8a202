#include "FakeListing.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "base/OpenAt.h"

namespace engine_test {

FakeListing* FakeListing::current_ = nullptr;

FakeListing::FakeListing()
    : calls_(FileSystemCalls(), {FindFirst, FindNext, Close, Attributes, Delete, Remove, OpenPath, &OpenAt, Information,
                                 &FileId, InformationEx, SetInformation, CloseOpen}) {
  current_ = this;
}

FakeListing::~FakeListing() { current_ = nullptr; }

uint64_t FakeListing::IdOf(const std::wstring& path) { return std::hash<std::wstring>()(path) | 1; }

bool FakeListing::Report(Open* open, LPWIN32_FIND_DATAW data) {
  const FakeFolder& folder = *open->listing;
  if (open->next >= folder.entries.size() || open->next >= folder.failAfter) {
    ::SetLastError(open->next >= folder.failAfter ? folder.nextError : ERROR_NO_MORE_FILES);
    return false;
  }
  const FakeEntry& entry = folder.entries[open->next++];
  // Like Wine, leave the reserved fields to the caller.
  data->dwReserved1 = 0;
  std::memset(data->cFileName, 0, sizeof(data->cFileName));
  data->dwFileAttributes = entry.attributes;
  if (entry.reparseTag) data->dwReserved0 = entry.reparseTag;
  lstrcpynW(data->cFileName, entry.name.c_str(), MAX_PATH);
  return true;
}

HANDLE FakeListing::Hold(Open* open) {
  openMost = std::max(openMost, ++openNow);
  return reinterpret_cast<HANDLE>(open);
}

// Listings by path: the link helpers' look at one entry.
HANDLE WINAPI FakeListing::FindFirst(LPCWSTR pattern, LPWIN32_FIND_DATAW data) {
  FakeListing& self = *current_;
  const std::wstring path = pattern;
  const auto found = self.attributes.find(path);
  if (found == self.attributes.end()) {
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  Open* open = new Open;
  const auto tag = self.tags.find(path);
  const DWORD reparseTag = tag == self.tags.end() ? 0 : tag->second;
  open->single.entries = {{path.substr(path.rfind(L'\\') + 1), found->second, reparseTag}};
  open->listing = &open->single;
  Report(open, data);
  return self.Hold(open);
}

BOOL WINAPI FakeListing::FindNext(HANDLE listing, LPWIN32_FIND_DATAW data) {
  return Report(reinterpret_cast<Open*>(listing), data);
}

BOOL WINAPI FakeListing::Close(HANDLE listing) { return CloseOpen(listing); }

DWORD WINAPI FakeListing::Attributes(LPCWSTR path) {
  const auto found = current_->attributes.find(path);
  if (found == current_->attributes.end()) {
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
  }
  return found->second;
}

BOOL WINAPI FakeListing::Delete(LPCWSTR path) {
  current_->deleted.push_back(path);
  return TRUE;
}

BOOL WINAPI FakeListing::Remove(LPCWSTR path) {
  current_->removed.push_back(path);
  return TRUE;
}

DWORD FakeListing::Find(const std::wstring& parent, const std::wstring& path, Open* open) const {
  open->path = path;
  const auto attributesOf = attributes.find(path);
  const auto folder = folders.find(path);
  if (folder != folders.end()) {
    if (folder->second.openError) return folder->second.openError;
    open->folder = true;
    open->listing = &folder->second;
    open->attributes = attributesOf == attributes.end() ? FILE_ATTRIBUTE_DIRECTORY : attributesOf->second;
    return ERROR_SUCCESS;
  }
  if (attributesOf != attributes.end()) {
    open->attributes = attributesOf->second;
    open->folder = (attributesOf->second & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return ERROR_SUCCESS;
  }
  const auto holder = folders.find(parent);
  if (holder == folders.end()) return ERROR_PATH_NOT_FOUND;
  const std::wstring name = path.substr(parent.size() + 1);
  for (const FakeEntry& entry : holder->second.entries) {
    if (entry.name != name) continue;
    open->attributes = entry.attributes;
    open->folder = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return ERROR_SUCCESS;
  }
  return ERROR_FILE_NOT_FOUND;
}

HANDLE WINAPI FakeListing::OpenPath(LPCWSTR path, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
  FakeListing& self = *current_;
  const std::wstring full = path;
  const size_t cut = full.rfind(L'\\');
  Open* open = new Open;
  const DWORD error = self.Find(cut == std::wstring::npos ? L"" : full.substr(0, cut), full, open);
  if (error != ERROR_SUCCESS) {
    delete open;
    ::SetLastError(error == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : error);
    return INVALID_HANDLE_VALUE;
  }
  return self.Hold(open);
}

DWORD FakeListing::OpenAt(HANDLE folder, const wchar_t* name, uint32_t length, DWORD, DWORD options,
                          HANDLE* opened) {
  FakeListing& self = *current_;
  const std::wstring& parent = reinterpret_cast<Open*>(folder)->path;
  Open* open = new Open;
  DWORD error = self.Find(parent, parent + L"\\" + std::wstring(name, length), open);
  // As the system: a folder is no file, and a delete-on-close open removes
  // the entry once its handle closes.
  if (error == ERROR_SUCCESS && open->folder && (options & kOpenNonDirectory)) error = ERROR_ACCESS_DENIED;
  open->deleteOnClose = (options & kOpenDeleteOnClose) != 0;
  if (error != ERROR_SUCCESS) {
    delete open;
    *opened = INVALID_HANDLE_VALUE;
    return error;
  }
  *opened = self.Hold(open);
  return ERROR_SUCCESS;
}

DWORD FakeListing::FileId(HANDLE file, uint64_t* id) {
  const Open& open = *reinterpret_cast<Open*>(file);
  const auto swapped = current_->openedIds.find(open.path);
  *id = swapped == current_->openedIds.end() ? IdOf(open.path) : swapped->second;
  return ERROR_SUCCESS;
}

BOOL WINAPI FakeListing::Information(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information) {
  const Open& open = *reinterpret_cast<Open*>(file);
  uint64_t id = 0;
  FileId(file, &id);
  *information = BY_HANDLE_FILE_INFORMATION();
  information->dwFileAttributes = open.attributes;
  information->dwVolumeSerialNumber = kFakeVolume;
  information->nFileIndexHigh = static_cast<DWORD>(id >> 32);
  information->nFileIndexLow = static_cast<DWORD>(id);
  information->nNumberOfLinks = 1;
  return TRUE;
}

BOOL WINAPI FakeListing::InformationEx(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID data, DWORD size) {
  FakeListing& self = *current_;
  Open& open = *reinterpret_cast<Open*>(file);
  if (kind == FileBasicInfo) {
    auto* info = static_cast<FILE_BASIC_INFO*>(data);
    std::memset(info, 0, sizeof(*info));
    info->FileAttributes = open.attributes;
    return TRUE;
  }
  if (kind == FileAttributeTagInfo) {
    const auto tag = self.tags.find(open.path);
    auto* info = static_cast<FILE_ATTRIBUTE_TAG_INFO*>(data);
    info->FileAttributes = open.attributes;
    info->ReparseTag = tag == self.tags.end() ? 0 : tag->second;
    return TRUE;
  }
  if (!open.listing || (kind != FileIdBothDirectoryInfo && kind != FileIdBothDirectoryRestartInfo)) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (kind == FileIdBothDirectoryRestartInfo) {
    open.next = 0;
    self.opened.push_back(open.path + L"\\*");
  }
  // An empty listing, like a drive's root, fails at once.
  if (open.next == 0 && open.listing->entries.empty()) {
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  WIN32_FIND_DATAW entry = {};
  if (!Report(&open, &entry)) return FALSE;
  // One entry per call, the name right after the fixed part.
  const size_t nameBytes = wcslen(entry.cFileName) * sizeof(wchar_t);
  if (size < sizeof(FILE_ID_BOTH_DIR_INFO) + nameBytes) {
    ::SetLastError(ERROR_MORE_DATA);
    return FALSE;
  }
  auto* info = static_cast<FILE_ID_BOTH_DIR_INFO*>(data);
  std::memset(info, 0, sizeof(*info));
  info->FileAttributes = entry.dwFileAttributes;
  info->EaSize = entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT ? entry.dwReserved0 : 0;
  info->FileId.QuadPart = static_cast<LONGLONG>(IdOf(open.path + L"\\" + entry.cFileName));
  info->FileNameLength = static_cast<DWORD>(nameBytes);
  std::memcpy(info->FileName, entry.cFileName, nameBytes);
  return TRUE;
}

BOOL WINAPI FakeListing::SetInformation(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID, DWORD) {
  const Open& open = *reinterpret_cast<Open*>(file);
  if (kind != FileDispositionInfo) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  (open.folder ? current_->removed : current_->deleted).push_back(open.path);
  return TRUE;
}

BOOL WINAPI FakeListing::CloseOpen(HANDLE handle) {
  const Open* open = reinterpret_cast<Open*>(handle);
  if (open->deleteOnClose) (open->folder ? current_->removed : current_->deleted).push_back(open->path);
  delete open;
  --current_->openNow;
  return TRUE;
}

}  // namespace engine_test
