#include "erase/Eraser.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "erase/EraseEnd.h"
#include "erase/ErasePlatform.h"
#include "base/LinkEntry.h"
#include "erase/PassFiller.h"
#include "erase/TargetLayout.h"

namespace {

// A file or stream handle, closed through the seam.
class FileOwner {
 public:
  explicit FileOwner(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  ~FileOwner() {
    if (handle_ != INVALID_HANDLE_VALUE) EraseCalls().closeHandle(handle_);
  }
  FileOwner(FileOwner&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
  FileOwner& operator=(FileOwner&& other) noexcept {
    std::swap(handle_, other.handle_);
    return *this;
  }
  FileOwner(const FileOwner&) = delete;
  FileOwner& operator=(const FileOwner&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// A stream listing, closed through the seam.
class ListingOwner {
 public:
  explicit ListingOwner(HANDLE handle) : handle_(handle) {}
  ~ListingOwner() {
    if (handle_ != INVALID_HANDLE_VALUE) EraseCalls().findClose(handle_);
  }
  ListingOwner(const ListingOwner&) = delete;
  ListingOwner& operator=(const ListingOwner&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// The one write buffer of an erasure, released through the seam.
class WriteBuffer {
 public:
  explicit WriteBuffer(uint32_t bytes)
      : block_(bytes ? static_cast<uint8_t*>(EraseCalls().allocate(bytes)) : nullptr) {}
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

// What one pass writes over: the file's data or one of its named streams,
// with the size it had when it was opened and the ranges each pass writes.
struct Target {
  FileOwner file;
  uint64_t size = 0;
  std::vector<Extent> extents;
};

// What the chunks of one pass go through, besides the target.
struct PassWork {
  PassFiller& filler;
  uint8_t* buffer;
  uint8_t* readBack;  // non-null: every chunk is read back into it and compared
  const EraseRequest& request;
};

Result MoveTo(HANDLE file, uint64_t offset) {
  LONG high = static_cast<LONG>(offset >> 32);
  ::SetLastError(ERROR_SUCCESS);
  if (EraseCalls().setFilePointer(file, static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN) ==
          INVALID_SET_FILE_POINTER &&
      ::GetLastError() != ERROR_SUCCESS)
    return TRACE_LAST_FAILURE();
  return kResultOk;
}

Result WriteChunk(HANDLE file, const uint8_t* data, DWORD length) {
  ErasePlatform& calls = EraseCalls();
  LONG high = 0;
  ::SetLastError(ERROR_SUCCESS);
  const DWORD low = calls.setFilePointer(file, 0, &high, FILE_CURRENT);
  RETURN_LAST_ERROR_IF(low == INVALID_SET_FILE_POINTER && ::GetLastError() != ERROR_SUCCESS);
  const DWORD offsetHigh = static_cast<DWORD>(high);
  RETURN_LAST_ERROR_IF(!calls.lockFile(file, low, offsetHigh, length, 0));
  DWORD written = 0;
  RETURN_LAST_ERROR_IF(!calls.writeFile(file, data, length, &written, nullptr));
  // A short write would leave old bytes in place under a reported success.
  if (written != length) return TRACE_FAILURE(ResultFromError(ERROR_WRITE_FAULT));
  RETURN_LAST_ERROR_IF(!calls.unlockFile(file, low, offsetHigh, length, 0));
  // Each chunk is on the device before the next one is produced.
  RETURN_LAST_ERROR_IF(!calls.flushFileBuffers(file));
  return kResultOk;
}

// The chunk just written at `offset`, read back through the same handle
// (unbuffered where the volume allows it: the device's bytes, not the
// cache's) and compared with what was written. Leaves the position at the
// chunk's end, where the next one goes.
Result VerifyChunk(HANDLE file, uint64_t offset, const uint8_t* written, uint8_t* readBack, DWORD length) {
  RETURN_IF_FAILED(MoveTo(file, offset));
  DWORD read = 0;
  RETURN_LAST_ERROR_IF(!EraseCalls().readFile(file, readBack, length, &read, nullptr));
  if (read != length || std::memcmp(written, readBack, length) != 0) return TRACE_FAILURE(kResultReadBackDiffers);
  return kResultOk;
}

// The request's stop within a pass; not a failure, so not traced.
Result ChunkDone(const EraseRequest& request, DWORD length) {
  if (!request.onChunk) return kResultOk;
  const int32_t stop = request.onChunk(length, request.userData);
  return stop != 0 ? ResultFromError(static_cast<uint32_t>(stop)) : kResultOk;
}

// One range of one pass, in chunks of up to the buffer's size; the
// pattern's phase is the range's own offset in the target. *reached is the
// end of the furthest chunk a write was tried for.
Result WriteExtent(const Target& target, const Extent& extent, const PassWork& work, uint64_t* reached) {
  const HANDLE file = target.file.get();
  RETURN_IF_FAILED(MoveTo(file, extent.offset));
  work.filler.SkipTo(extent.offset);
  for (uint64_t done = 0; done < extent.length;) {
    const DWORD length = ChunkLength(extent, done, ERASE_CHUNK);
    RETURN_IF_FAILED(work.filler.Fill(work.buffer, length));
    const uint64_t offset = extent.offset + done;
    *reached = offset + length;
    RETURN_IF_FAILED(WriteChunk(file, work.buffer, length));
    if (work.readBack) RETURN_IF_FAILED(VerifyChunk(file, offset, work.buffer, work.readBack, length));
    done += length;
    const Result stop = ChunkDone(work.request, length);
    if (stop != kResultOk) return stop;
  }
  return kResultOk;
}

// The slack written behind the file's end made the file longer: back to
// its size, on every way out of the pass.
Result CutBack(const Target& target) {
  RETURN_IF_FAILED(MoveTo(target.file.get(), target.size));
  RETURN_LAST_ERROR_IF(!EraseCalls().setEndOfFile(target.file.get()));
  return kResultOk;
}

// One pass over one target; a target with nothing to write is still
// rewound, as a pass always starts at the first byte.
Result WriteTarget(const Target& target, const PassWork& work) {
  work.filler.Rewind();
  if (target.extents.empty()) return MoveTo(target.file.get(), 0);
  uint64_t reached = 0;
  Result result = kResultOk;
  for (const Extent& extent : target.extents) {
    result = WriteExtent(target, extent, work, &reached);
    if (result != kResultOk) break;
  }
  if (reached <= target.size) return result;
  const Result cut = CutBack(target);
  return result != kResultOk ? result : cut;
}

// The last error a failed erasure leaves: Win32 codes as themselves, any
// other code as 0xFFFFFFFF.
DWORD LastErrorOf(Result code) {
  const uint32_t facility = (static_cast<uint32_t>(code) >> 16) & 0x1FFF;
  return facility == 7 ? static_cast<DWORD>(code) & 0xFFFF : 0xFFFFFFFF;
}

// Answers of a stream listing that mean the file has no named streams to
// find: none at all, or a file system (FAT, some shares) or system that
// keeps none.
bool NoStreamsToList(DWORD error) {
  return error == ERROR_HANDLE_EOF || error == ERROR_INVALID_PARAMETER || error == ERROR_INVALID_FUNCTION ||
         error == ERROR_NOT_SUPPORTED || error == ERROR_CALL_NOT_IMPLEMENTED;
}

// A stream's name as the listing gives it (":name:$DATA").
struct StreamName {
  wchar_t text[sizeof(WIN32_FIND_STREAM_DATA::cStreamName) / sizeof(wchar_t)];
};

// The names of the file's named data streams. Any other failure to list
// them ends the erasure: the data they hold would stay.
Result ListNamedStreams(const wchar_t* path, std::vector<StreamName>* names) {
  ErasePlatform& calls = EraseCalls();
  WIN32_FIND_STREAM_DATA stream;
  ListingOwner listing(calls.findFirstStream(path, FindStreamInfoStandard, &stream, 0));
  if (listing.get() == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    return NoStreamsToList(error) ? kResultOk : TRACE_LAST_FAILURE();
  }
  do {
    // The file's own data, "::$DATA", is the main target.
    if (stream.cStreamName[0] != L':' || stream.cStreamName[1] == L':') continue;
    names->emplace_back();
    lstrcpynW(names->back().text, stream.cStreamName, sizeof(StreamName::text) / sizeof(wchar_t));
  } while (calls.findNextStream(listing.get(), &stream));
  RETURN_LAST_ERROR_IF(::GetLastError() != ERROR_HANDLE_EOF);
  return kResultOk;
}

// How the targets are opened, for all of them.
struct OpenMode {
  DWORD flags;          // FILE_FLAG_OPEN_REPARSE_POINT or none
  bool unbuffered;      // the file's own data through FILE_FLAG_NO_BUFFERING
};

Result OpenTarget(const wchar_t* path, DWORD flags, Target* target) {
  ErasePlatform& calls = EraseCalls();
  // Share mode 0: nobody reads, writes or deletes the file meanwhile. The
  // file's attributes are left alone, so a read-only file fails here. Read
  // access for what the file system tells of the data, its decompression
  // and verification; the right to delete, since its end renames and
  // removes it through this handle.
  target->file = FileOwner(calls.createFile(path, GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL | flags, nullptr));
  RETURN_LAST_ERROR_IF(target->file.get() == INVALID_HANDLE_VALUE);
  return kResultOk;
}

Result ReadSize(Target* target) {
  DWORD high = 0;
  ::SetLastError(ERROR_SUCCESS);
  const DWORD low = EraseCalls().getFileSize(target->file.get(), &high);
  RETURN_LAST_ERROR_IF(low == INVALID_FILE_SIZE && ::GetLastError() != ERROR_SUCCESS);
  target->size = (static_cast<uint64_t>(high) << 32) | low;
  return kResultOk;
}

// The link count is read on the handle that would write, so no name can be
// added between the look and the first pass (the file is not shared).
// Another name's data is not ours to overwrite; when the count cannot be
// read, nothing is written either.
// With `listed`, the handle must also be the file a listing showed under
// the name: a name swapped since (for a link, or through a folder swapped
// above it) would have the passes written over something else.
// *attributes: the file's, as its handle reports them.
Result CheckSingleName(const Target& file, const FileIdentity* listed, DWORD* attributes) {
  BY_HANDLE_FILE_INFORMATION information;
  RETURN_LAST_ERROR_IF(!EraseCalls().getFileInformationByHandle(file.file.get(), &information));
  const FileIdentity identity{information.dwVolumeSerialNumber,
                              (static_cast<uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
  if (listed && identity != *listed) return TRACE_FAILURE(ResultFromError(ERROR_FILE_INVALID));
  if (information.nNumberOfLinks > 1) return TRACE_FAILURE(kResultOtherNames);
  *attributes = information.dwFileAttributes;
  return kResultOk;
}

// Opens the file and each named stream, holding them all for the passes,
// and finds where the passes write. Streams are written over their size
// alone, through buffered handles.
// *volume: what is known of the file's volume, completed here.
Result OpenTargets(const wchar_t* path, const OpenMode& mode, VolumeFacts* volume, const FileIdentity* listed,
                   std::vector<Target>* targets, bool* notInPlace) {
  // Listed before the file is held without sharing, which the listing
  // itself might otherwise run into.
  std::vector<StreamName> streams;
  RETURN_IF_FAILED(ListNamedStreams(path, &streams));
  targets->resize(1 + streams.size());
  Target& file = targets->front();
  RETURN_IF_FAILED(OpenTarget(path, mode.flags | (mode.unbuffered ? FILE_FLAG_NO_BUFFERING : 0), &file));
  DWORD attributes = 0;
  const Result single = CheckSingleName(file, listed, &attributes);
  if (single != kResultOk) return single;
  RETURN_IF_FAILED(ReadSize(&file));
  if (!volume->flagsKnown) ReadVolumeFlags(file.file.get(), volume);
  TargetLayout layout;
  RETURN_IF_FAILED(ReadLayout(file.file.get(), attributes, file.size, *volume, &layout));
  file.extents = std::move(layout.extents);
  *notInPlace = layout.notInPlace;
  // The file's name and the stream's, one after the other.
  const size_t pathLength = static_cast<size_t>(lstrlenW(path));
  std::vector<wchar_t> streamPath(pathLength + sizeof(StreamName::text) / sizeof(wchar_t));
  std::copy(path, path + pathLength, streamPath.begin());
  for (size_t i = 0; i < streams.size(); ++i) {
    lstrcpynW(&streamPath[pathLength], streams[i].text, static_cast<int>(streamPath.size() - pathLength));
    Target& stream = (*targets)[1 + i];
    RETURN_IF_FAILED(OpenTarget(streamPath.data(), mode.flags, &stream));
    RETURN_IF_FAILED(ReadSize(&stream));
    stream.extents = WholeFile(stream.size, 0);
  }
  return kResultOk;
}

// The streams go first, truncated and closed: the file's renames and its
// deletion then go through its own handle alone.
Result FinishTargets(std::vector<Target>& targets, const ErasedPlace& place) {
  for (size_t i = 1; i < targets.size(); ++i) RETURN_IF_FAILED(TruncateErased(targets[i].file.get()));
  targets.resize(1);
  return FinishErasedFile(targets.front().file.get(), place);
}

// With `end`, the file is finished after the last pass (FinishErasedFile).
Result Overwrite(const wchar_t* path, DWORD openFlags, const FileIdentity* listed, const ErasedPlace* end,
                 const ErasePass* passes, const EraseRequest& request) {
  // The run's record speaks for the volume the listing places the file on;
  // what this file finds out is kept only once its handle proved to be the
  // listed file, and so to lie there.
  EraseVolumes* const volumes = listed ? request.volumes : nullptr;
  VolumeFacts volume = volumes ? volumes->Find(listed->volumeSerial) : VolumeFacts();
  if (!volume.unitsKnown) ReadVolumeUnits(path, &volume);
  // Verification reads what the device holds where the volume's units
  // allow an unbuffered handle; the slack rule keeps every chunk whole
  // sectors.
  const OpenMode mode{openFlags, request.verify && AlignedForUnbuffered(volume.units, ERASE_CHUNK)};
  std::vector<Target> targets;
  bool notInPlace = false;
  const Result opened = OpenTargets(path, mode, &volume, listed, &targets, &notInPlace);
  if (opened != kResultOk) return opened;
  if (volumes) volumes->Keep(listed->volumeSerial, volume);

  // One buffer for the whole erasure, as large as a chunk or the largest
  // range, whichever is smaller; nothing to write, nothing to hold. The
  // read-back buffer of verification is its twin.
  uint32_t largest = 0;
  for (const Target& target : targets) largest = std::max(largest, LargestChunk(target.extents, ERASE_CHUNK));
  const WriteBuffer buffer(largest);
  if (largest > 0 && !buffer.get()) return TRACE_FAILURE(kResultOutOfMemory);
  const WriteBuffer readBack(request.verify ? largest : 0);
  if (request.verify && largest > 0 && !readBack.get()) return TRACE_FAILURE(kResultOutOfMemory);

  const int32_t count = PassCount(passes);
  PassFiller filler;
  for (int32_t i = 1; i <= count; ++i) {
    if (request.onPass) {
      const int32_t stop = request.onPass(i, count, request.userData);
      if (stop != 0) return ResultFromError(static_cast<uint32_t>(stop));
    }
    PassScope scope(filler);
    RETURN_IF_FAILED(filler.SetUp(passes[i - 1]));
    const PassWork work{filler, buffer.get(), i == count ? readBack.get() : nullptr, request};
    for (const Target& target : targets) {
      // Failures are traced where they happen; a stop is none.
      const Result written = WriteTarget(target, work);
      if (written != kResultOk) return written;
    }
  }
  if (end) RETURN_IF_FAILED(FinishTargets(targets, *end));
  return notInPlace ? kResultNotInPlace : kResultOk;
}

// Deletes the name; what the erasure did is `outcome` when that succeeds.
int32_t DeleteName(const wchar_t* path, EraseOutcome outcome) {
  if (EraseCalls().deleteFile(path)) return outcome;
  TRACE_LAST_FAILURE();
  return EraseFailed;
}

// What the erasure did, from the pass loop's answer.
EraseOutcome OutcomeOf(Result result) {
  // A file with other hard links: removing this name leaves their data.
  if (result == kResultOtherNames) return EraseNameOnly;
  return result == kResultNotInPlace ? EraseNotInPlace : EraseOverwritten;
}

// The erasure of a file and its end; a link or a file with other hard links
// is left for the caller to remove by its name.
int32_t EraseOnly(const wchar_t* path, const FileIdentity* listed, const ErasedPlace& place,
                  const EraseRequest& request) {
  const EntryLook look = LookAtEntry(EraseCalls(), path);
  const DWORD attributes = look.attributes;
  // A link: what it points to lies outside what was chosen for erasure.
  // Remove the link alone.
  if (look.IsLink()) return EraseNameOnly;
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
  const Result result =
      Overwrite(path, reparse ? 0 : FILE_FLAG_OPEN_REPARSE_POINT, listed, &place, PassList(request.method), request);
  if (Failed(result)) {
    ::SetLastError(LastErrorOf(result));
    return EraseFailed;
  }
  return OutcomeOf(result);
}

}  // namespace

// FILE_FLAG_OPEN_REPARSE_POINT: should a link appear after the caller
// looked, the link is opened, never what it points to.
Result OverwriteFile(const wchar_t* path, const ErasePass* passes, const EraseRequest& request) {
  return Overwrite(path, FILE_FLAG_OPEN_REPARSE_POINT, nullptr, nullptr, passes, request);
}

int32_t EraseAndDelete(const wchar_t* path, const EraseRequest& request) {
  const PathPlace place(path);
  const int32_t outcome = EraseOnly(path, nullptr, place.get(), request);
  if (outcome != EraseNameOnly) return outcome;
  return DeleteName(path, EraseNameOnly);
}

int32_t EraseListedFile(const wchar_t* path, const FileIdentity& listed, const ErasedPlace& place,
                        const EraseRequest& request) {
  return EraseOnly(path, &listed, place, request);
}
