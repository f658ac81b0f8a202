#include "erase/EraseEnd.h"

#include <string>

#include "erase/ErasePlatform.h"
#include "erase/RandomName.h"
#include "base/OpenAt.h"

namespace {

// An entry or folder handle of the end's own, closed through the seam.
class EndHandle {
 public:
  EndHandle() = default;
  ~EndHandle() { Close(); }
  EndHandle(const EndHandle&) = delete;
  EndHandle& operator=(const EndHandle&) = delete;
  HANDLE get() const { return handle_; }
  HANDLE* put() {
    Close();
    return &handle_;
  }
  HANDLE release() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle;
  }
  void Close() {
    if (handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr) EraseCalls().closeHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Where the last name of the path starts: after its last separator; 0 when
// the path has none.
size_t NameStart(const wchar_t* path, size_t length) {
  size_t start = length;
  while (start > 0 && path[start - 1] != L'\\') --start;
  return start;
}

// The id the folder's own listing would give the entry: read through the
// folder's handle, so that the entry is the one that folder holds.
bool IdInFolder(HANDLE folder, const wchar_t* name, uint32_t length, uint64_t* id) {
  ErasePlatform& calls = EraseCalls();
  EndHandle entry;
  DWORD error = calls.openAt(folder, name, length, FILE_READ_ATTRIBUTES, kOpenReparsePoint | kOpenForBackup,
                             entry.put());
  if (error == ERROR_SUCCESS) error = calls.fileIdOf(entry.get(), id);
  if (error == ERROR_SUCCESS) return true;
  TRACE_FAILURE(ResultFromError(error));
  return false;
}

Result SetErasedTimes(HANDLE file) {
  FILE_BASIC_INFO basic = {};
  basic.CreationTime.QuadPart = kErasedFileTime;
  basic.LastAccessTime.QuadPart = kErasedFileTime;
  basic.LastWriteTime.QuadPart = kErasedFileTime;
  basic.ChangeTime.QuadPart = kErasedFileTime;
  // Attributes 0: left as they are.
  if (!EraseCalls().setFileInformationByHandle(file, FileBasicInfo, &basic, sizeof(basic)))
    return TRACE_LAST_FAILURE();
  return kResultOk;
}

}  // namespace

PathPlace::PathPlace(const wchar_t* path) {
  const size_t length = static_cast<size_t>(lstrlenW(path));
  const size_t start = NameStart(path, length);
  if (start == 0 || start == length || length - start > 0x7FFF) return;
  // A root keeps its separator: "C:" would be the drive's current folder,
  // "\\?\C:" the volume device.
  const bool root = start >= 2 && path[start - 2] == L':';
  const std::wstring folderPath(path, root ? start : start - 1);
  EndHandle folder;
  *folder.put() = EraseCalls().openFolder(folderPath.c_str());
  if (folder.get() == INVALID_HANDLE_VALUE) {
    TRACE_LAST_FAILURE();
    return;
  }
  const uint32_t nameLength = static_cast<uint32_t>(length - start);
  uint64_t id = 0;
  if (!IdInFolder(folder.get(), path + start, nameLength, &id)) return;
  place_ = {folder.release(), path + start, nameLength, id};
}

PathPlace::~PathPlace() {
  if (place_.folder) EraseCalls().closeHandle(place_.folder);
}

Result ScrambledName::Scramble(HANDLE entry) {
  if (!place_.folder || place_.nameLength == 0) return kResultOk;
  ErasePlatform& calls = EraseCalls();
  // A handle that is not the entry the folder listed (the name was swapped
  // since) might sit in another folder: it keeps its name.
  uint64_t id = 0;
  const DWORD error = calls.fileIdOf(entry, &id);
  if (error != ERROR_SUCCESS || id != place_.fileId) {
    TRACE_FAILURE(ResultFromError(error != ERROR_SUCCESS ? error : ERROR_FILE_INVALID));
    return kResultOk;
  }
  uint8_t seed[kRandomNameSeedBytes];
  RETURN_LAST_ERROR_IF(!calls.genRandom(seed, sizeof(seed)));
  RandomNames names(seed);
  ::SecureZeroMemory(seed, sizeof(seed));
  std::vector<wchar_t> next(place_.nameLength);
  for (uint32_t i = 0; i < kEraseRenames; ++i) {
    names.Next(next.data(), next.size());
    const DWORD refused = calls.renameAt(entry, place_.folder, next.data(), place_.nameLength);
    if (refused != ERROR_SUCCESS) {
      TRACE_FAILURE(ResultFromError(refused));
      break;
    }
    current_ = next;
  }
  return kResultOk;
}

bool ScrambledName::Restore(HANDLE entry) {
  if (current_.empty()) return true;
  const DWORD error = EraseCalls().renameAt(entry, place_.folder, place_.name, place_.nameLength);
  if (error != ERROR_SUCCESS) {
    TRACE_FAILURE(ResultFromError(error));
    return false;
  }
  current_.clear();
  return true;
}

Result TruncateErased(HANDLE file) {
  ErasePlatform& calls = EraseCalls();
  FILE_END_OF_FILE_INFO end = {};
  if (!calls.setFileInformationByHandle(file, FileEndOfFileInfo, &end, sizeof(end)))
    return TRACE_LAST_FAILURE();
  RETURN_LAST_ERROR_IF(!calls.flushFileBuffers(file));
  return kResultOk;
}

Result FinishErasedFile(HANDLE file, const ErasedPlace& place) {
  RETURN_IF_FAILED(TruncateErased(file));
  RETURN_IF_FAILED(SetErasedTimes(file));
  ScrambledName name(place);
  RETURN_IF_FAILED(name.Scramble(file));
  FILE_DISPOSITION_INFO disposition = {TRUE};
  if (EraseCalls().setFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof(disposition)))
    return kResultOk;
  const Result failed = TRACE_LAST_FAILURE();
  name.Restore(file);
  return failed;
}
