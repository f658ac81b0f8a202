#include "operations/PathNames.h"

#include <vector>

namespace {

constexpr wchar_t kExtendedPrefix[] = L"\\\\?\\";
constexpr wchar_t kExtendedUncPrefix[] = L"\\\\?\\UNC\\";
// The longest path the shell's file operation takes, its NUL included.
constexpr size_t kShellPathLimit = 260;

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
  return text.compare(0, std::char_traits<wchar_t>::length(prefix), prefix) == 0;
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool HasDrive(const std::wstring& path) { return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == L':'; }

std::vector<std::wstring> SplitNames(const std::wstring& text) {
  std::vector<std::wstring> names;
  std::wstring name;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && !IsSeparator(text[i])) {
      name += text[i];
      continue;
    }
    if (name == L"..") {
      if (!names.empty()) names.pop_back();
    } else if (!name.empty() && name != L".") {
      names.push_back(name);
    }
    name.clear();
  }
  return names;
}

// "X:" or "\\server\share" of a full path, and where the rest begins.
std::wstring RootOf(const std::wstring& full, size_t* restAt) {
  if (HasDrive(full)) {
    *restAt = 2;
    return full.substr(0, 2);
  }
  // "\\server\share": two names after the leading separators.
  size_t at = 2;
  for (int names = 0; names < 2; ++names) {
    while (at < full.size() && IsSeparator(full[at])) ++at;
    while (at < full.size() && !IsSeparator(full[at])) ++at;
  }
  *restAt = at;
  return full.substr(0, at);
}

std::wstring AbsoluteFrom(const std::wstring& path, const std::wstring& base) {
  if (!NeedsBaseFolder(path)) return path;
  size_t restAt = 0;
  if (!path.empty() && IsSeparator(path[0])) return RootOf(base, &restAt) + path;
  return base + L"\\" + (HasDrive(path) ? path.substr(2) : path);
}

bool IsReservedDeviceName(const std::wstring& name) {
  // The device is named by what stands before the first dot, trailing
  // blanks left out: "aux.txt" and "con .log" are devices too.
  std::wstring stem = name.substr(0, name.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.pop_back();
  for (wchar_t& c : stem)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
  for (const wchar_t* device : kDevices)
    if (stem == device) return true;
  if (stem.size() != 4 || (stem.compare(0, 3, L"COM") != 0 && stem.compare(0, 3, L"LPT") != 0)) return false;
  const wchar_t digit = stem[3];
  return (digit >= L'0' && digit <= L'9') || digit == L'\x00B9' || digit == L'\x00B2' || digit == L'\x00B3';
}

bool IsShellExactName(const std::wstring& name) {
  if (name.empty() || name.back() == L'.' || name.back() == L' ') return false;
  if (name.find_first_of(L"*?") != std::wstring::npos) return false;
  return !IsReservedDeviceName(name);
}

}  // namespace

bool NeedsBaseFolder(const std::wstring& path) {
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return false;
  return !(HasDrive(path) && path.size() >= 3 && IsSeparator(path[2]));
}

std::wstring JoinedExtendedPath(const std::wstring& path, const std::wstring& base) {
  if (StartsWith(path, kExtendedPrefix)) return path;
  const std::wstring full = AbsoluteFrom(path, base);
  size_t restAt = 0;
  std::wstring root = RootOf(full, &restAt);
  std::wstring extended;
  if (HasDrive(root)) {
    extended = kExtendedPrefix + root;
  } else {
    // The root's own separators are read as one, like the rest.
    std::wstring share;
    for (const std::wstring& name : SplitNames(root)) share += (share.empty() ? L"" : L"\\") + name;
    extended = kExtendedUncPrefix + share;
  }
  const std::vector<std::wstring> names = SplitNames(full.substr(restAt));
  if (names.empty()) return extended + L"\\";
  for (const std::wstring& name : names) extended += L"\\" + name;
  return extended;
}

std::wstring ShownPath(const std::wstring& path) {
  if (StartsWith(path, kExtendedUncPrefix)) return L"\\\\" + path.substr(8);
  if (StartsWith(path, kExtendedPrefix)) return path.substr(4);
  return path;
}

void AppendName(std::wstring* folder, const wchar_t* name) {
  if (folder->empty() || folder->back() != L'\\') *folder += L'\\';
  *folder += name;
}

std::wstring JoinName(const std::wstring& folder, const wchar_t* name) {
  std::wstring path = folder;
  AppendName(&path, name);
  return path;
}

bool IsRootPath(const std::wstring& extended) {
  std::wstring rest;
  size_t separatorsAllowed = 0;
  if (StartsWith(extended, kExtendedUncPrefix)) {
    rest = extended.substr(8);
    separatorsAllowed = 1;  // server\share
  } else if (StartsWith(extended, kExtendedPrefix)) {
    rest = extended.substr(4);
  } else {
    return false;
  }
  while (!rest.empty() && rest.back() == L'\\') rest.pop_back();
  size_t separators = 0;
  for (wchar_t c : rest)
    if (c == L'\\') ++separators;
  return separators <= separatorsAllowed;
}

bool IsShellExactPath(const std::wstring& shown) {
  if (shown.size() >= kShellPathLimit || NeedsBaseFolder(shown) || StartsWith(shown, kExtendedPrefix)) return false;
  if (StartsWith(shown, L"\\\\.\\")) return false;
  size_t restAt = 0;
  RootOf(shown, &restAt);
  // Names only: "/", "." and ".." would be read differently from what they say.
  const std::wstring rest = shown.substr(restAt);
  size_t start = 0;
  while (start < rest.size()) {
    if (rest[start] == L'/') return false;
    if (rest[start] == L'\\') {
      ++start;
      continue;
    }
    size_t end = rest.find_first_of(L"\\/", start);
    if (end == std::wstring::npos) end = rest.size();
    if (!IsShellExactName(rest.substr(start, end - start))) return false;
    start = end;
  }
  return true;
}
