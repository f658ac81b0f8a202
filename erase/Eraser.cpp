#include "erase/Eraser.h"

#include <windows.h>

#include "erase/ErasePlatform.h"
#include "erase/LinkEntry.h"
#include "erase/PassFiller.h"

static constexpr const char* kUnit = kUnitErase;

namespace {

// The file handle and the write buffer, released through the seam.
class FileOwner {
 public:
  explicit FileOwner(HANDLE handle) : handle_(handle) {}
  ~FileOwner() {
    if (handle_ != INVALID_HANDLE_VALUE) EraseCalls().closeHandle(handle_);
  }
  FileOwner(const FileOwner&) = delete;
  FileOwner& operator=(const FileOwner&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

class WriteBuffer {
 public:
  WriteBuffer() : block_(static_cast<uint8_t*>(EraseCalls().allocate(ERASE_CHUNK))) {}
  ~WriteBuffer() {
    if (block_) EraseCalls().release(block_);
  }
  WriteBuffer(const WriteBuffer&) = delete;
  WriteBuffer& operator=(const WriteBuffer&) = delete;
  uint8_t* get() const { return block_; }

 private:
  uint8_t* block_;
};

// Tears the filler down on every way out of a pass.
class PassScope {
 public:
  explicit PassScope(PassFiller& filler) : filler_(filler) {}
  ~PassScope() { filler_.TearDown(); }
  PassScope(const PassScope&) = delete;
  PassScope& operator=(const PassScope&) = delete;

 private:
  PassFiller& filler_;
};

Result WriteChunk(HANDLE file, const uint8_t* data, DWORD length) {
  ErasePlatform& calls = EraseCalls();
  LONG high = 0;
  ::SetLastError(ERROR_SUCCESS);
  const DWORD low = calls.setFilePointer(file, 0, &high, FILE_CURRENT);
  if (low == INVALID_SET_FILE_POINTER && ::GetLastError() != ERROR_SUCCESS) return TRACE_FAILURE(LastFailure());
  const DWORD offsetHigh = static_cast<DWORD>(high);
  if (!calls.lockFile(file, low, offsetHigh, length, 0)) return TRACE_FAILURE(LastFailure());
  DWORD written = 0;
  if (!calls.writeFile(file, data, length, &written, nullptr)) return TRACE_FAILURE(LastFailure());
  // A short write would leave old bytes in place under a reported success.
  if (written != length) return TRACE_FAILURE(ResultFromError(ERROR_WRITE_FAULT));
  if (!calls.unlockFile(file, low, offsetHigh, length, 0)) return TRACE_FAILURE(LastFailure());
  if (!calls.flushFileBuffers(file)) return TRACE_FAILURE(LastFailure());
  return kResultOk;
}

Result WritePass(HANDLE file, const ErasePass& pass, uint64_t size, PassFiller& filler) {
  ErasePlatform& calls = EraseCalls();
  PassScope scope(filler);
  RETURN_IF_FAILED(filler.SetUp(pass));
  LONG high = 0;
  ::SetLastError(ERROR_SUCCESS);
  if (calls.setFilePointer(file, 0, &high, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
      ::GetLastError() != ERROR_SUCCESS)
    return TRACE_FAILURE(LastFailure());
  WriteBuffer buffer;
  if (!buffer.get()) return TRACE_FAILURE(kResultOutOfMemory);
  for (uint64_t written = 0; written < size; written += ERASE_CHUNK) {
    const DWORD length = size - written < ERASE_CHUNK ? static_cast<DWORD>(size - written) : ERASE_CHUNK;
    RETURN_IF_FAILED(filler.Fill(buffer.get(), length));
    RETURN_IF_FAILED(WriteChunk(file, buffer.get(), length));
  }
  return kResultOk;
}

// The last error a failed erasure leaves: Win32 codes as themselves, any
// other code as 0xFFFFFFFF.
DWORD LastErrorOf(Result code) {
  const uint32_t facility = (static_cast<uint32_t>(code) >> 16) & 0x1FFF;
  return facility == 7 ? static_cast<DWORD>(code) & 0xFFFF : 0xFFFFFFFF;
}

// The entry's attributes and reparse tag, from a listing of the entry itself
// (the tag is not in the attributes), or from its attributes alone.
void LookAt(const wchar_t* path, DWORD* attributes, DWORD* reparseTag) {
  ErasePlatform& calls = EraseCalls();
  WIN32_FIND_DATAW entry;
  entry.dwReserved0 = 0;
  const HANDLE listing = calls.findFirstFile(path, &entry);
  if (listing != INVALID_HANDLE_VALUE) {
    calls.findClose(listing);
    *attributes = entry.dwFileAttributes;
    *reparseTag = entry.dwReserved0;
  } else {
    *attributes = calls.getFileAttributes(path);
    *reparseTag = 0;
  }
}

Result Overwrite(const wchar_t* path, DWORD openFlags, const ErasePass* passes, PassCallback callback, void* userData) {
  ErasePlatform& calls = EraseCalls();
  // Share mode 0: nobody reads, writes or deletes the file meanwhile. The
  // file's attributes are left alone, so a read-only file fails here.
  FileOwner file(calls.createFile(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | openFlags,
                                  nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return TRACE_FAILURE(LastFailure());
  // The link count is read on the handle that would write, so no name can
  // be added between the look and the first pass (the file is not shared).
  // Another name's data is not ours to overwrite; when the count cannot be
  // read, nothing is written either.
  BY_HANDLE_FILE_INFORMATION information;
  if (!calls.getFileInformationByHandle(file.get(), &information)) return TRACE_FAILURE(LastFailure());
  if (information.nNumberOfLinks > 1) return TRACE_FAILURE(kResultOtherNames);
  DWORD high = 0;
  ::SetLastError(ERROR_SUCCESS);
  const DWORD low = calls.getFileSize(file.get(), &high);
  if (low == INVALID_FILE_SIZE && ::GetLastError() != ERROR_SUCCESS) return TRACE_FAILURE(LastFailure());
  const uint64_t size = (static_cast<uint64_t>(high) << 32) | low;

  const int32_t count = PassCount(passes);
  PassFiller filler;
  for (int32_t i = 1; i <= count; ++i) {
    if (callback) {
      const int32_t stop = callback(i, count, userData);
      if (stop != 0) return ResultFromError(static_cast<uint32_t>(stop));
    }
    RETURN_IF_FAILED(WritePass(file.get(), passes[i - 1], size, filler));
  }
  return kResultOk;
}

// Deletes the name; what the erasure did is `outcome` when that succeeds.
int32_t DeleteName(const wchar_t* path, EraseOutcome outcome) {
  if (EraseCalls().deleteFile(path)) return outcome;
  TRACE_FAILURE(ResultFromError(::GetLastError()));
  return EraseFailed;
}

}  // namespace

// FILE_FLAG_OPEN_REPARSE_POINT: should a link appear after the caller
// looked, the link is opened, never what it points to.
Result OverwriteFile(const wchar_t* path, const ErasePass* passes, PassCallback callback, void* userData) {
  return Overwrite(path, FILE_FLAG_OPEN_REPARSE_POINT, passes, callback, userData);
}

int32_t EraseAndDelete(const wchar_t* path, uint32_t eraseMethod, PassCallback callback, void* userData) {
  DWORD attributes, reparseTag;
  LookAt(path, &attributes, &reparseTag);
  // A link: what it points to lies outside what was chosen for erasure.
  // Remove the link alone.
  if (IsLinkEntryData(attributes, reparseTag)) return DeleteName(path, EraseNameOnly);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    // Windows refuses to open a read-only file for writing; Wine run by root
    // would let it through. The user's protection holds on both.
    TRACE_FAILURE(ResultFromError(ERROR_ACCESS_DENIED));
    ::SetLastError(ERROR_ACCESS_DENIED);
    return EraseFailed;
  }
  // A reparse point that is no link (a cloud placeholder, a deduplicated
  // file) holds the file's data behind its filter: open it the ordinary way.
  const bool reparse = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
  const Result result = Overwrite(path, reparse ? 0 : FILE_FLAG_OPEN_REPARSE_POINT, PassList(eraseMethod), callback,
                                  userData);
  if (Failed(result)) {
    ::SetLastError(LastErrorOf(result));
    return EraseFailed;
  }
  // A file with other hard links: removing this name leaves their data.
  return DeleteName(path, result == kResultOtherNames ? EraseNameOnly : EraseOverwritten);
}
