// An in-memory folder tree served through the walker's platform table, for
// listings that fail, links Wine cannot make, folders swapped after their
// listing and trees too deep for MAX_PATH.
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/FileSystemPlatform.h"
#include "tests/shared/SeamOverride.h"

namespace engine_test {

struct FakeEntry {
  std::wstring name;
  DWORD attributes;
  DWORD reparseTag = 0;  // left unfilled when 0, as Wine does
};

// What one folder's listing reports: its entries, or a failure to open the
// folder, or a failure after `failAfter` entries.
struct FakeFolder {
  std::vector<FakeEntry> entries;
  DWORD openError = 0;
  DWORD nextError = ERROR_NO_MORE_FILES;
  size_t failAfter = static_cast<size_t>(-1);
};

// The volume serial number of every fake entry.
constexpr DWORD kFakeVolume = 0x5EED;

class FakeListing {
 public:
  FakeListing();
  ~FakeListing();
  FakeListing(const FakeListing&) = delete;
  FakeListing& operator=(const FakeListing&) = delete;

  // The file id of the entry at path, as listings and handles report it
  // unless `openedIds` says otherwise.
  static uint64_t IdOf(const std::wstring& path);

  // Folders by path (without the "\*" of the pattern).
  std::map<std::wstring, FakeFolder> folders;
  // Attributes that GetFileAttributesW and an open handle report, by path;
  // a listing of the path itself reports them with the tag of `tags`, and
  // so does a handle's FileAttributeTagInfo.
  std::map<std::wstring, DWORD> attributes;
  std::map<std::wstring, DWORD> tags;
  // File ids that a handle opened on the path reports: the name now holds
  // something other than what its folder's listing showed.
  std::map<std::wstring, uint64_t> openedIds;
  // Paths given to DeleteFileW and RemoveDirectoryW, or removed by
  // disposition on their handle (files to `deleted`, folders to `removed`).
  std::vector<std::wstring> deleted, removed;
  // Listings started ("<folder>\*", once per pass), open listings and
  // handles now, and the most open at once.
  std::vector<std::wstring> opened;
  int openNow = 0;
  int openMost = 0;

 private:
  struct Open {
    std::wstring path;
    bool folder = false;
    DWORD attributes = 0;
    const FakeFolder* listing = nullptr;
    size_t next = 0;
    FakeFolder single;  // a listing of one named entry
    bool deleteOnClose = false;
  };
  static HANDLE WINAPI FindFirst(LPCWSTR pattern, LPWIN32_FIND_DATAW data);
  static BOOL WINAPI FindNext(HANDLE listing, LPWIN32_FIND_DATAW data);
  static BOOL WINAPI Close(HANDLE listing);
  static DWORD WINAPI Attributes(LPCWSTR path);
  static BOOL WINAPI Delete(LPCWSTR path);
  static BOOL WINAPI Remove(LPCWSTR path);
  static HANDLE WINAPI OpenPath(LPCWSTR path, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
  static DWORD OpenAt(HANDLE folder, const wchar_t* name, uint32_t length, DWORD, DWORD, HANDLE* opened);
  static BOOL WINAPI Information(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information);
  static DWORD FileId(HANDLE file, uint64_t* id);
  static BOOL WINAPI InformationEx(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID data, DWORD size);
  static BOOL WINAPI SetInformation(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID data, DWORD size);
  static BOOL WINAPI CloseOpen(HANDLE handle);
  static bool Report(Open* open, LPWIN32_FIND_DATAW data);
  // The entry at path, found in `folders` or its parent's listing.
  DWORD Find(const std::wstring& parent, const std::wstring& path, Open* open) const;
  HANDLE Hold(Open* open);

  SeamOverride<FileSystemPlatform> calls_;
  static FakeListing* current_;
};

}  // namespace engine_test
