#include "server/DropList.h"

#include <shlobj.h>

#include <climits>
#include <cstring>

#include "base/ScopeExit.h"

namespace {

// The list's bytes up to and with its closing empty name, or all of them
// when it has none. NUL is never the second byte of a double-byte character.
size_t AnsiListLength(const char* list, size_t size) {
  for (size_t i = 0; i < size; ++i)
    if (list[i] == '\0' && (i == 0 || list[i - 1] == '\0')) return i + 1;
  return size;
}

bool AnsiList(const char* list, size_t size, std::wstring* text) {
  const size_t length = AnsiListLength(list, size);
  if (length == 0) return true;
  if (length > INT_MAX) return false;
  const int units = ::MultiByteToWideChar(CP_ACP, 0, list, static_cast<int>(length), nullptr, 0);
  if (units <= 0) return false;
  text->assign(static_cast<size_t>(units), L'\0');
  return ::MultiByteToWideChar(CP_ACP, 0, list, static_cast<int>(length), &(*text)[0], units) == units;
}

// Copied out, since the list need not start on an even offset.
void WideList(const char* list, size_t size, std::wstring* text) {
  text->assign(size / sizeof(wchar_t), L'\0');
  if (!text->empty()) std::memcpy(&(*text)[0], list, text->size() * sizeof(wchar_t));
}

void SplitNames(const std::wstring& text, std::vector<std::wstring>* names) {
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(L'\0', start);
    if (end == std::wstring::npos || end == start) return;
    names->emplace_back(text, start, end - start);
    start = end + 1;
  }
}

}  // namespace

bool ReadDropList(HGLOBAL block, std::vector<std::wstring>* names) {
  // No block answers 0.
  const SIZE_T size = ::GlobalSize(block);
  if (size < sizeof(DROPFILES)) return false;
  const char* bytes = static_cast<const char*>(::GlobalLock(block));
  if (!bytes) return false;
  const ScopeExit unlock([block] { ::GlobalUnlock(block); });
  DROPFILES header;
  std::memcpy(&header, bytes, sizeof(header));
  if (header.pFiles > size) return false;
  const char* list = bytes + header.pFiles;
  const size_t listSize = size - header.pFiles;
  std::wstring text;
  if (header.fWide)
    WideList(list, listSize, &text);
  else if (!AnsiList(list, listSize, &text))
    return false;
  SplitNames(text, names);
  return true;
}
