#include "settings/SelectedFolders.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace {

// The folded path with one closing separator: then a folder's key is a
// prefix of every key inside it, and of no other ("c:\a\" is no prefix of
// "c:\ab\"). A drive root already ends in one.
std::wstring FolderKey(const std::wstring& path, FoldNameCase fold) {
  std::wstring key = fold(path);
  if (key.empty() || key.back() != L'\\') key += L'\\';
  return key;
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
  return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin());
}

}  // namespace

SelectedFolders TopmostFolders(const SelectedFolders& folders, FoldNameCase fold, bool reachesInside) {
  // Sorted, every key that starts with a folder's key follows that key at
  // once: one sweep keeps each key that the last kept one does not start.
  // Equal keys sort by position, so a folder selected twice keeps its first
  // place. A selection of many thousand folders costs one sort.
  std::vector<std::pair<std::wstring, size_t>> keys;
  keys.reserve(folders.size());
  for (size_t i = 0; i < folders.size(); ++i) keys.emplace_back(FolderKey(folders[i], fold), i);
  std::sort(keys.begin(), keys.end());
  std::vector<bool> kept(folders.size(), false);
  const std::wstring* top = nullptr;
  for (const auto& key : keys) {
    if (top && (reachesInside ? StartsWith(key.first, *top) : key.first == *top)) continue;
    top = &key.first;
    kept[key.second] = true;
  }
  SelectedFolders topmost;
  for (size_t i = 0; i < folders.size(); ++i)
    if (kept[i]) topmost.push_back(folders[i]);
  return topmost;
}
