// A tree shaped like a package manager's dependency folder: many packages,
// each with a manifest, sources in nested folders, source maps and a nested
// dependency of its own. Shared by the benchmark and the tests that check
// what each operation leaves of it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

struct DependencyTreeShape {
  uint32_t files = 0;
  uint32_t folders = 0;     // the root included
  uint32_t cleanFiles = 0;  // files that kDependencyCleanMasks selects
  uint64_t bytes = 0;
  uint64_t cleanBytes = 0;
};

// Files per package, and the masks that select its maps and read-me files.
constexpr uint32_t kDependencyFilesPerPackage = 25;
constexpr const char* kDependencyCleanMasks = "*.map;*.md";

namespace dependency_tree {

inline bool AddFolder(const std::wstring& path, DependencyTreeShape* shape) {
  if (!::CreateDirectoryW(path.c_str(), nullptr)) return false;
  ++shape->folders;
  return true;
}

inline bool AddFile(const std::wstring& path, const std::wstring& name, DependencyTreeShape* shape) {
  HANDLE file = ::CreateFileW((path + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  // Each file holds its own name, a few times over: sizes differ.
  std::string content;
  for (size_t i = 0; i <= name.size() % 7; ++i)
    for (wchar_t c : name) content += static_cast<char>(c);
  DWORD written = 0;
  const BOOL ok = ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  ::CloseHandle(file);
  if (!ok || written != content.size()) return false;
  ++shape->files;
  shape->bytes += written;
  const bool clean = name.size() > 4 && (name.compare(name.size() - 4, 4, L".map") == 0 ||
                                         name.compare(name.size() - 3, 3, L".md") == 0);
  if (clean) {
    ++shape->cleanFiles;
    shape->cleanBytes += written;
  }
  return true;
}

}  // namespace dependency_tree

// Makes root (a "\\?\" path, not yet there) holding node_modules with
// packages of kDependencyFilesPerPackage files each, until `files` files are
// made (a multiple of that). The shape says what was made; files 0 on failure.
inline DependencyTreeShape MakeDependencyTree(const std::wstring& root, uint32_t files = 20000) {
  using namespace dependency_tree;
  DependencyTreeShape shape;
  const std::wstring modules = root + L"\\node_modules";
  if (!AddFolder(root, &shape) || !AddFolder(modules, &shape)) return DependencyTreeShape();
  for (uint32_t p = 0; shape.files < files; ++p) {
    const std::wstring package = modules + L"\\package-" + std::to_wstring(p);
    const std::wstring lib = package + L"\\lib", util = lib + L"\\util";
    const std::wstring nested = package + L"\\node_modules", dependency = nested + L"\\dep-" + std::to_wstring(p % 13);
    bool ok = AddFolder(package, &shape) && AddFolder(lib, &shape) && AddFolder(util, &shape) && AddFolder(nested, &shape) &&
              AddFolder(dependency, &shape);
    for (const wchar_t* name : {L"package.json", L"README.md", L"index.js", L"LICENSE"})
      ok = ok && AddFile(package, name, &shape);
    for (int i = 0; i < 10; ++i) ok = ok && AddFile(lib, L"module" + std::to_wstring(i) + L".js", &shape);
    for (int i = 0; i < 5; ++i) {
      ok = ok && AddFile(util, L"u" + std::to_wstring(i) + L".js", &shape);
      ok = ok && AddFile(util, L"u" + std::to_wstring(i) + L".js.map", &shape);
    }
    ok = ok && AddFile(dependency, L"index.js", &shape);
    if (!ok) return DependencyTreeShape();
  }
  return shape;
}
