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

bool FakeListing::Report(Open* open, LPWIN32_FIND_DATAA data) {
  const FakeFolder& folder = *open->folder;
  if (open->next >= folder.entries.size() || open->next >= folder.failAfter) {
    ::SetLastError(open->next >= folder.failAfter ? folder.nextError : ERROR_NO_MORE_FILES);
    return false;
  }
  const FakeEntry& entry = folder.entries[open->next++];
  std::memset(data, 0, sizeof(*data));
  data->dwFileAttributes = entry.attributes;
  lstrcpynA(data->cFileName, entry.name.c_str(), MAX_PATH);
  return true;
}

HANDLE WINAPI FakeListing::FindFirst(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
  FakeListing& self = *current_;
  std::string folder = pattern;
  self.opened.push_back(folder);
  const size_t tail = folder.rfind("\\*.*");
  if (tail != std::string::npos && tail + 4 == folder.size()) folder.resize(tail);
  const auto found = self.folders.find(folder);
  if (found == self.folders.end() || found->second.openError) {
    ::SetLastError(found == self.folders.end() ? ERROR_PATH_NOT_FOUND : found->second.openError);
    return INVALID_HANDLE_VALUE;
  }
  Open* open = new Open{&found->second, 0};
  if (!Report(open, data)) {
    delete open;
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  self.openMost = std::max(self.openMost, ++self.openNow);
  return reinterpret_cast<HANDLE>(open);
}

BOOL WINAPI FakeListing::FindNext(HANDLE listing, LPWIN32_FIND_DATAA data) {
  return Report(reinterpret_cast<Open*>(listing), data);
}

BOOL WINAPI FakeListing::Close(HANDLE listing) {
  delete reinterpret_cast<Open*>(listing);
  --current_->openNow;
  return TRUE;
}

DWORD WINAPI FakeListing::Attributes(LPCSTR path) {
  const auto found = current_->attributes.find(path);
  if (found == current_->attributes.end()) {
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
  }
  return found->second;
}

BOOL WINAPI FakeListing::Delete(LPCSTR path) {
  current_->deleted.push_back(path);
  return TRUE;
}

BOOL WINAPI FakeListing::Remove(LPCSTR path) {
  current_->removed.push_back(path);
  return TRUE;
}

}  // namespace engine_test
