// An in-memory folder tree served through the walker's platform table, for
// listings that fail, links Wine cannot make and trees too deep for MAX_PATH.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "operations/WalkerPlatform.h"

namespace engine_test {

struct FakeEntry {
  std::wstring name;
  DWORD attributes;
  DWORD reparseTag = 0;  // left unfilled when 0, as Wine does
};

// What one folder's listing reports: its entries, or a failure of the
// first call, or a failure after `failAfter` entries.
struct FakeFolder {
  std::vector<FakeEntry> entries;
  DWORD openError = 0;
  DWORD nextError = ERROR_NO_MORE_FILES;
  size_t failAfter = static_cast<size_t>(-1);
};

class FakeListing {
 public:
  FakeListing();
  ~FakeListing();
  FakeListing(const FakeListing&) = delete;
  FakeListing& operator=(const FakeListing&) = delete;

  // Folders by path (without the "\*" of the pattern).
  std::map<std::wstring, FakeFolder> folders;
  // Attributes that GetFileAttributesW reports, by path; a listing of the
  // path itself reports them with the tag of `tags`.
  std::map<std::wstring, DWORD> attributes;
  std::map<std::wstring, DWORD> tags;
  // Paths given to DeleteFileW and RemoveDirectoryW.
  std::vector<std::wstring> deleted, removed;
  // Patterns opened, open listings now, and the most open at once.
  std::vector<std::wstring> opened;
  int openNow = 0;
  int openMost = 0;

 private:
  struct Open {
    const FakeFolder* folder;
    size_t next;
    FakeFolder single;  // a listing of one named entry
  };
  static HANDLE WINAPI FindFirst(LPCWSTR pattern, LPWIN32_FIND_DATAW data);
  static BOOL WINAPI FindNext(HANDLE listing, LPWIN32_FIND_DATAW data);
  static BOOL WINAPI Close(HANDLE listing);
  static DWORD WINAPI Attributes(LPCWSTR path);
  static BOOL WINAPI Delete(LPCWSTR path);
  static BOOL WINAPI Remove(LPCWSTR path);
  static bool Report(Open* open, LPWIN32_FIND_DATAW data);

  WalkerPlatform saved_;
  static FakeListing* current_;
};

}  // namespace engine_test
