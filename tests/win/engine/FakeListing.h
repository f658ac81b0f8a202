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
  std::string name;
  DWORD attributes;
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

  // Folders by path (without the "\*.*" of the pattern).
  std::map<std::string, FakeFolder> folders;
  // Attributes that GetFileAttributesA reports, by path.
  std::map<std::string, DWORD> attributes;
  // Paths given to DeleteFileA and RemoveDirectoryA.
  std::vector<std::string> deleted, removed;
  // Patterns opened, open listings now, and the most open at once.
  std::vector<std::string> opened;
  int openNow = 0;
  int openMost = 0;

 private:
  struct Open {
    const FakeFolder* folder;
    size_t next;
  };
  static HANDLE WINAPI FindFirst(LPCSTR pattern, LPWIN32_FIND_DATAA data);
  static BOOL WINAPI FindNext(HANDLE listing, LPWIN32_FIND_DATAA data);
  static BOOL WINAPI Close(HANDLE listing);
  static DWORD WINAPI Attributes(LPCSTR path);
  static BOOL WINAPI Delete(LPCSTR path);
  static BOOL WINAPI Remove(LPCSTR path);
  static bool Report(Open* open, LPWIN32_FIND_DATAA data);

  WalkerPlatform saved_;
  static FakeListing* current_;
};

}  // namespace engine_test
