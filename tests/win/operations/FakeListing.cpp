#include "FakeListing.h"

#include <algorithm>
#include <cstring>

namespace engine_test {

FakeListing* FakeListing::current_ = nullptr;

FakeListing::FakeListing() : saved_(WalkerCalls()) {
  current_ = this;
  WalkerCalls() = {FindFirst, FindNext, Close, Attributes, Delete, Remove};
}

FakeListing::~FakeListing() {
  WalkerCalls() = saved_;
  current_ = nullptr;
}

bool FakeListing::Report(Open* open, LPWIN32_FIND_DATAW data) {
  const FakeFolder& folder = *open->folder;
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

HANDLE WINAPI FakeListing::FindFirst(LPCWSTR pattern, LPWIN32_FIND_DATAW data) {
  FakeListing& self = *current_;
  std::wstring folder = pattern;
  self.opened.push_back(folder);
  const size_t tail = folder.rfind(L"\\*");
  if (tail == std::wstring::npos || tail + 2 != folder.size()) {
    // No wild card: the listing of one entry.
    const auto found = self.attributes.find(folder);
    if (found == self.attributes.end()) {
      ::SetLastError(ERROR_FILE_NOT_FOUND);
      return INVALID_HANDLE_VALUE;
    }
    Open* open = new Open{nullptr, 0, {}};
    const auto tag = self.tags.find(folder);
    open->single.entries = {{folder.substr(folder.rfind(L'\\') + 1), found->second,
                             tag == self.tags.end() ? 0 : tag->second}};
    open->folder = &open->single;
    Report(open, data);
    self.openMost = std::max(self.openMost, ++self.openNow);
    return reinterpret_cast<HANDLE>(open);
  }
  folder.resize(tail);
  const auto found = self.folders.find(folder);
  if (found == self.folders.end() || found->second.openError) {
    ::SetLastError(found == self.folders.end() ? ERROR_PATH_NOT_FOUND : found->second.openError);
    return INVALID_HANDLE_VALUE;
  }
  Open* open = new Open{&found->second, 0, {}};
  if (!Report(open, data)) {
    delete open;
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  self.openMost = std::max(self.openMost, ++self.openNow);
  return reinterpret_cast<HANDLE>(open);
}

BOOL WINAPI FakeListing::FindNext(HANDLE listing, LPWIN32_FIND_DATAW data) {
  return Report(reinterpret_cast<Open*>(listing), data);
}

BOOL WINAPI FakeListing::Close(HANDLE listing) {
  delete reinterpret_cast<Open*>(listing);
  --current_->openNow;
  return TRUE;
}

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

}  // namespace engine_test
