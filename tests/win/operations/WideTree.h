// Trees with any names at any depth, made and read through the wide calls
// with "\\?\" paths, for the tests of the walker and the operations.
#pragma once
#include <windows.h>

#include <string>

#include "TestSupport.h"

namespace wide_tree {

inline std::wstring W(const std::string& ansi) {
  std::wstring wide(ansi.size(), L'\0');
  wide.resize(static_cast<size_t>(::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()),
                                                        &wide[0], static_cast<int>(wide.size()))));
  return wide;
}

inline std::string U8(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int size = static_cast<int>(wide.size());
  std::string text(static_cast<size_t>(::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr,
                                                             nullptr)), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, &text[0], static_cast<int>(text.size()), nullptr, nullptr);
  return text;
}

inline std::wstring Long(const std::wstring& path) {
  return path.compare(0, 4, L"\\\\?\\") == 0 ? path : L"\\\\?\\" + path;
}

inline bool ExistsW(const std::wstring& path) {
  return ::GetFileAttributesW(Long(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Creates every missing folder of the path (those that exist stay).
inline bool MakeFolders(const std::wstring& path) {
  const std::wstring full = Long(path);
  // From the first separator after the drive's root.
  for (size_t i = full.find(L'\\', 7);; i = full.find(L'\\', i + 1)) {
    ::CreateDirectoryW(full.substr(0, i == std::wstring::npos ? full.size() : i).c_str(), nullptr);
    if (i == std::wstring::npos) break;
  }
  return ExistsW(path);
}

inline bool MakeFileW(const std::wstring& path, const std::string& content = "x") {
  const size_t slash = path.rfind(L'\\');
  if (slash != std::wstring::npos && !ExistsW(path.substr(0, slash)) && !MakeFolders(path.substr(0, slash)))
    return false;
  HANDLE file = ::CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  if (!content.empty()) ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  ::CloseHandle(file);
  return written == content.size();
}

inline std::string ReadBytesW(const std::wstring& path) {
  std::string data;
  HANDLE file = ::CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return data;
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) data.append(buffer, got);
  ::CloseHandle(file);
  return data;
}

inline void RemoveTreeW(const std::wstring& path) {
  const std::wstring full = Long(path);
  WIN32_FIND_DATAW entry;
  HANDLE listing = ::FindFirstFileW((full + L"\\*").c_str(), &entry);
  if (listing != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = full + L"\\" + name;
      if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveTreeW(child);
      } else {
        ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!::DeleteFileW(child.c_str())) ::RemoveDirectoryW(child.c_str());
      }
    } while (::FindNextFileW(listing, &entry));
    ::FindClose(listing);
  }
  ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!::RemoveDirectoryW(full.c_str())) ::DeleteFileW(full.c_str());
}

// A temporary folder whose tree is removed through the wide calls, however
// long its paths grew.
class WideTemp {
 public:
  explicit WideTemp(const std::string& tag = "u") : temp_(tag), root_(W(temp_.path())) {}
  ~WideTemp() { RemoveTreeW(root_); }
  WideTemp(const WideTemp&) = delete;
  WideTemp& operator=(const WideTemp&) = delete;
  const std::wstring& path() const { return root_; }
  std::wstring Sub(const std::wstring& relative) const { return root_ + L"\\" + relative; }
  std::wstring Folder(const std::wstring& relative) const {
    const std::wstring full = Sub(relative);
    MakeFolders(full);
    return full;
  }
  std::wstring File(const std::wstring& relative, const std::string& content = "x") const {
    const std::wstring full = Sub(relative);
    MakeFileW(full, content);
    return full;
  }

 private:
  testing_support::TempFolder temp_;
  std::wstring root_;
};

}  // namespace wide_tree
