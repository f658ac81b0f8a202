#include "operations/RecyclePath.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "operations/FolderOperation.h"
#include "server/ErrorReturn.h"
#include "server/Handles.h"

static constexpr const char* kUnit = kUnitDeleteDlg;

int32_t RecyclePath(const char* path) {
  // The shell reads a list of paths that ends in an empty one.
  const size_t length = std::strlen(path);
  UniqueHeapBlock list(Calls().heapAlloc(::GetProcessHeap(), 0, length + 2));
  if (!list) {
    TRACE_FAILURE(kResultOutOfMemory);
    return 0;
  }
  char* from = static_cast<char*>(list.get());
  std::memcpy(from, path, length + 1);
  from[length + 1] = '\0';

  SHFILEOPSTRUCTA request = {};
  request.hwnd = nullptr;
  request.wFunc = FO_DELETE;
  request.pFrom = from;
  request.pTo = nullptr;
  request.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO;
  return ::SHFileOperationA(&request) == 0 ? 1 : 0;
}
