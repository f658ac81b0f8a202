#include "operations/RecyclePath.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <cwchar>

#include "operations/OperationPlatform.h"
#include "operations/FolderWalker.h"
#include "operations/PathNames.h"
#include "base/FileSystemPlatform.h"
#include "base/ErrorReturn.h"
#include "base/LastError.h"
#include "base/Handles.h"

namespace {

const RecyclePlatform kRealCalls = {&::SHFileOperationW};
RecyclePlatform calls = kRealCalls;

}  // namespace

RecyclePlatform& RecycleCalls() { return calls; }
const RecyclePlatform& RealRecycleCalls() { return kRealCalls; }

bool RecyclePath(const wchar_t* extended) {
  // Wine's shell offers to delete for good what is not there at all.
  if (FileSystemCalls().getFileAttributes(extended) == INVALID_FILE_ATTRIBUTES) {
    TRACE_LAST_FAILURE();
    return 0;
  }
  // The shell's file operation takes the paths the user knows, not the
  // "\\?\" form, and it reads them its own way: it would strip "proj." to
  // the sibling "proj", open the device for "aux.txt", and past MAX_PATH it
  // is not safe to call at all (Wine's crashes). Such an item is kept and
  // counted; it never goes under another name, nor for good unasked.
  const std::wstring path = ShownPath(extended);
  if (!IsShellExactPath(path)) {
    TRACE_FAILURE(ResultFromError(ERROR_INVALID_NAME));
    return 0;
  }
  // The shell reads a list of paths that ends in an empty one.
  const size_t bytes = (path.size() + 2) * sizeof(wchar_t);
  UniqueHeapBlock list(OperationCalls().heapAlloc(::GetProcessHeap(), 0, bytes));
  if (!list) {
    TRACE_FAILURE(kResultOutOfMemory);
    return 0;
  }
  wchar_t* from = static_cast<wchar_t*>(list.get());
  std::memcpy(from, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
  from[path.size() + 1] = L'\0';

  SHFILEOPSTRUCTW request = {};
  request.hwnd = nullptr;
  request.wFunc = FO_DELETE;
  request.pFrom = from;
  request.pTo = nullptr;
  // Where the bin cannot take the item, the shell asks before it deletes it
  // for good instead; the user chose recycling, not deletion.
  request.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_WANTNUKEWARNING;
  const int result = calls.fileOperation(&request);
  if (result != 0) {
    TRACE_FAILURE(ResultFromError(static_cast<DWORD>(result)));
    return 0;
  }
  // A declined question still returns 0. Only an item that is really gone
  // counts as removed.
  if (request.fAnyOperationsAborted || FileSystemCalls().getFileAttributes(extended) != INVALID_FILE_ATTRIBUTES) {
    TRACE_FAILURE(ResultFromError(ERROR_CANCELLED));
    return 0;
  }
  return 1;
}
