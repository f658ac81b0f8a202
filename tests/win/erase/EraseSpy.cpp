#include "EraseSpy.h"

#include <winioctl.h>

#include <algorithm>

namespace engine_test {

EraseSpy* EraseSpy::spy_ = nullptr;

std::wstring Wide(const std::string& path) {
  const int length = ::MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), &wide[0], length);
  return wide;
}

std::string Narrow(const std::wstring& path) {
  const int length =
      ::WideCharToMultiByte(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, path.data(), static_cast<int>(path.size()), &narrow[0], length, nullptr, nullptr);
  return narrow;
}

namespace {
const ErasePlatform& Real() { return RealEraseCalls(); }
const HANDLE kFakeListing = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x5F5E));
}  // namespace

EraseSpy::EraseSpy() : saved_(EraseCalls()) {
  spy_ = this;
  ErasePlatform& calls = EraseCalls();
  calls.getFileAttributes = Attributes;
  calls.createFile = Create;
  calls.getFileInformationByHandle = Information;
  calls.findFirstStream = FirstStream;
  calls.findNextStream = NextStream;
  calls.findClose = CloseListing;
  calls.getFileSize = Size;
  calls.setFilePointer = Pointer;
  calls.lockFile = Lock;
  calls.writeFile = Write;
  calls.unlockFile = Unlock;
  calls.flushFileBuffers = Flush;
  calls.closeHandle = Close;
  calls.deleteFile = Delete;
  calls.allocate = Allocate;
  calls.release = Release;
  calls.cryptAcquireContext = Acquire;
  calls.cryptCreateHash = CreateHash;
  calls.cryptHashData = HashData;
  calls.cryptGetHashParam = GetHashParam;
  calls.cryptGenRandom = GenRandom;
  calls.cryptDestroyHash = DestroyHash;
  calls.cryptReleaseContext = ReleaseContext;
  calls.getCursorPos = Cursor;
  calls.getCaretPos = Caret;
  calls.queryPerformanceCounter = Counter;
  calls.getVolumePathName = VolumePath;
  calls.getDiskFreeSpace = DiskFree;
  calls.getVolumeInformationByHandle = VolumeFlags;
  calls.deviceIoControl = IoControl;
  calls.setEndOfFile = EndOfFile;
  calls.readFile = Read;
  calls.openFolder = OpenFolder;
  calls.openAt = OpenAt;
  calls.fileIdOf = FileId;
  calls.renameAt = Rename;
  calls.setFileInformationByHandle = SetInformation;
  calls.genRandom = NameSeed;
}

EraseSpy::~EraseSpy() {
  EraseCalls() = saved_;
  spy_ = nullptr;
}

bool EraseSpy::Fails(SpyCall call) {
  const int n = ++count[call];
  for (const Failure& failure : failures) {
    if (failure.call != call || (failure.nth != 0 && failure.nth != n)) continue;
    ::SetLastError(failure.error);
    return true;
  }
  return false;
}

DWORD WINAPI EraseSpy::Attributes(LPCWSTR path) {
  return spy_->Fails(kAttributes) ? INVALID_FILE_ATTRIBUTES : Real().getFileAttributes(path);
}

HANDLE WINAPI EraseSpy::Create(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                               DWORD disposition, DWORD flags, HANDLE templateFile) {
  spy_->createFlags = flags;
  spy_->opened.emplace_back(path);
  if (spy_->Fails(kCreate)) return INVALID_HANDLE_VALUE;
  for (const auto& redirect : spy_->redirects)
    if (redirect.first == path) path = redirect.second.c_str();
  // Read access too, so that the end's truncation can show what was there.
  const DWORD read = access & GENERIC_WRITE ? GENERIC_READ : 0;
  return Real().createFile(path, access | read, share, security, disposition, flags, templateFile);
}

BOOL WINAPI EraseSpy::Information(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information) {
  if (spy_->Fails(kInformation) || !Real().getFileInformationByHandle(file, information)) return FALSE;
  if (spy_->linkCount) information->nNumberOfLinks = spy_->linkCount;
  information->dwFileAttributes |= spy_->fileAttributes;
  if (spy_->volumeSerial) information->dwVolumeSerialNumber = spy_->volumeSerial;
  return TRUE;
}

bool EraseSpy::ListNext(LPVOID data) {
  if (nextStream_ == streams.size()) {
    ::SetLastError(ERROR_HANDLE_EOF);
    return false;
  }
  auto* stream = static_cast<WIN32_FIND_STREAM_DATA*>(data);
  stream->StreamSize.QuadPart = 0;
  lstrcpynW(stream->cStreamName, streams[nextStream_++].c_str(), MAX_PATH + 36);
  return true;
}

HANDLE WINAPI EraseSpy::FirstStream(LPCWSTR path, STREAM_INFO_LEVELS level, LPVOID data, DWORD flags) {
  if (spy_->Fails(kListStreams)) return INVALID_HANDLE_VALUE;
  if (spy_->streams.empty()) return Real().findFirstStream(path, level, data, flags);
  spy_->nextStream_ = 0;
  return spy_->ListNext(data) ? kFakeListing : INVALID_HANDLE_VALUE;
}

BOOL WINAPI EraseSpy::NextStream(HANDLE listing, LPVOID data) {
  if (spy_->Fails(kNextStream)) return FALSE;
  return listing == kFakeListing ? spy_->ListNext(data) : Real().findNextStream(listing, data);
}

BOOL WINAPI EraseSpy::CloseListing(HANDLE listing) {
  if (listing != kFakeListing) return Real().findClose(listing);
  ++spy_->count[kCloseListing];
  return TRUE;
}

DWORD WINAPI EraseSpy::Size(HANDLE file, LPDWORD high) {
  return spy_->Fails(kSize) ? INVALID_FILE_SIZE : Real().getFileSize(file, high);
}

DWORD WINAPI EraseSpy::Pointer(HANDLE file, LONG distance, PLONG high, DWORD method) {
  spy_->steps += method == FILE_BEGIN ? 'R' : 'P';
  return spy_->Fails(kPointer) ? INVALID_SET_FILE_POINTER : Real().setFilePointer(file, distance, high, method);
}

BOOL WINAPI EraseSpy::Lock(HANDLE file, DWORD low, DWORD high, DWORD length, DWORD lengthHigh) {
  spy_->steps += 'L';
  spy_->locks.emplace_back((static_cast<uint64_t>(high) << 32) | low, length);
  return !spy_->Fails(kLock) && Real().lockFile(file, low, high, length, lengthHigh);
}

BOOL WINAPI EraseSpy::Write(HANDLE file, LPCVOID data, DWORD length, LPDWORD written, LPOVERLAPPED overlapped) {
  spy_->steps += 'W';
  if (spy_->keepData) spy_->written.emplace_back(static_cast<const char*>(data), length);
  if (spy_->Fails(kWrite)) return FALSE;
  if (spy_->writeLimit) length = std::min(length, spy_->writeLimit);
  return Real().writeFile(file, data, length, written, overlapped);
}

BOOL WINAPI EraseSpy::Unlock(HANDLE file, DWORD low, DWORD high, DWORD length, DWORD lengthHigh) {
  spy_->steps += 'U';
  return !spy_->Fails(kUnlock) && Real().unlockFile(file, low, high, length, lengthHigh);
}

BOOL WINAPI EraseSpy::Flush(HANDLE file) {
  spy_->steps += 'F';
  return !spy_->Fails(kFlush) && Real().flushFileBuffers(file);
}

BOOL WINAPI EraseSpy::Close(HANDLE handle) {
  std::vector<HANDLE>& own = spy_->endHandles_;
  const auto end = std::find(own.begin(), own.end(), handle);
  if (end != own.end()) {
    own.erase(end);
    ++spy_->count[kCloseEnd];
  } else {
    ++spy_->count[kClose];
  }
  return Real().closeHandle(handle);
}

BOOL WINAPI EraseSpy::Delete(LPCWSTR path) {
  if (spy_->beforeDelete) spy_->beforeDelete(path);
  return !spy_->Fails(kDelete) && Real().deleteFile(path);
}

void* EraseSpy::Allocate(size_t bytes) {
  spy_->allocations.push_back(bytes);
  return spy_->Fails(kAllocate) ? nullptr : Real().allocate(bytes);
}

void EraseSpy::Release(void* block) {
  ++spy_->count[kRelease];
  Real().release(block);
}

BOOL WINAPI EraseSpy::Acquire(HCRYPTPROV* provider, LPCSTR container, LPCSTR name, DWORD type, DWORD flags) {
  spy_->acquired.emplace_back(name ? name : "", flags);
  if (spy_->Fails(kAcquire)) return FALSE;
  const BOOL ok = Real().cryptAcquireContext(provider, container, name, type, flags);
  if (ok) ++spy_->openProviders, ++spy_->providersTaken;
  return ok;
}

BOOL WINAPI EraseSpy::CreateHash(HCRYPTPROV provider, ALG_ID algorithm, HCRYPTKEY key, DWORD flags, HCRYPTHASH* hash) {
  if (spy_->Fails(kCreateHash)) return FALSE;
  const BOOL ok = Real().cryptCreateHash(provider, algorithm, key, flags, hash);
  if (ok) ++spy_->openHashes;
  return ok;
}

BOOL WINAPI EraseSpy::HashData(HCRYPTHASH hash, const BYTE* data, DWORD length, DWORD flags) {
  return !spy_->Fails(kHashData) && Real().cryptHashData(hash, data, length, flags);
}

BOOL WINAPI EraseSpy::GetHashParam(HCRYPTHASH hash, DWORD param, BYTE* data, DWORD* length, DWORD flags) {
  return !spy_->Fails(kGetHashParam) && Real().cryptGetHashParam(hash, param, data, length, flags);
}

BOOL WINAPI EraseSpy::GenRandom(HCRYPTPROV provider, DWORD length, BYTE* buffer) {
  spy_->generated.push_back(length);
  spy_->seeds.emplace_back(reinterpret_cast<const char*>(buffer), length);
  return !spy_->Fails(kGenRandom) && Real().cryptGenRandom(provider, length, buffer);
}

BOOL WINAPI EraseSpy::DestroyHash(HCRYPTHASH hash) {
  if (spy_->Fails(kDestroyHash)) return FALSE;
  const BOOL ok = Real().cryptDestroyHash(hash);
  if (ok) --spy_->openHashes;
  return ok;
}

BOOL WINAPI EraseSpy::ReleaseContext(HCRYPTPROV provider, DWORD flags) {
  if (spy_->Fails(kReleaseContext)) return FALSE;
  const BOOL ok = Real().cryptReleaseContext(provider, flags);
  if (ok) --spy_->openProviders;
  return ok;
}

BOOL WINAPI EraseSpy::Cursor(LPPOINT point) { return !spy_->Fails(kCursor) && Real().getCursorPos(point); }
BOOL WINAPI EraseSpy::Caret(LPPOINT point) { return !spy_->Fails(kCaret) && Real().getCaretPos(point); }
BOOL WINAPI EraseSpy::Counter(LARGE_INTEGER* counter) {
  return !spy_->Fails(kCounter) && Real().queryPerformanceCounter(counter);
}

BOOL WINAPI EraseSpy::VolumePath(LPCWSTR path, LPWSTR root, DWORD length) {
  return !spy_->Fails(kVolumePath) && Real().getVolumePathName(path, root, length);
}

BOOL WINAPI EraseSpy::DiskFree(LPCWSTR root, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector, LPDWORD freeClusters,
                               LPDWORD totalClusters) {
  if (spy_->Fails(kDiskFree) ||
      !Real().getDiskFreeSpace(root, sectorsPerCluster, bytesPerSector, freeClusters, totalClusters))
    return FALSE;
  if (spy_->cluster) *sectorsPerCluster = spy_->cluster, *bytesPerSector = 512;
  return TRUE;
}

BOOL WINAPI EraseSpy::VolumeFlags(HANDLE file, LPWSTR name, DWORD nameLength, LPDWORD serial, LPDWORD componentLength,
                                  LPDWORD flags, LPWSTR system, DWORD systemLength) {
  if (spy_->Fails(kVolumeFlags) ||
      !Real().getVolumeInformationByHandle(file, name, nameLength, serial, componentLength, flags, system,
                                           systemLength))
    return FALSE;
  *flags |= spy_->volumeFlags;
  return TRUE;
}

BOOL EraseSpy::AnswerRanges(LPVOID in, LPVOID out, DWORD outLength, LPDWORD returned) {
  const auto& query = *static_cast<const FILE_ALLOCATED_RANGE_BUFFER*>(in);
  const uint64_t from = static_cast<uint64_t>(query.FileOffset.QuadPart);
  const uint64_t to = from + static_cast<uint64_t>(query.Length.QuadPart);
  rangeQueries.emplace_back(from, to - from);
  auto* answer = static_cast<FILE_ALLOCATED_RANGE_BUFFER*>(out);
  const size_t room = std::min<size_t>(rangesPerAnswer, outLength / sizeof(*answer));
  size_t given = 0;
  for (const Extent& range : ranges) {
    if (range.end() <= from || range.offset >= to) continue;
    if (given == room) {
      *returned = static_cast<DWORD>(given * sizeof(*answer));
      ::SetLastError(ERROR_MORE_DATA);
      return FALSE;
    }
    answer[given].FileOffset.QuadPart = static_cast<LONGLONG>(std::max(range.offset, from));
    answer[given].Length.QuadPart = static_cast<LONGLONG>(std::min(range.end(), to) - std::max(range.offset, from));
    ++given;
  }
  *returned = static_cast<DWORD>(given * sizeof(*answer));
  return TRUE;
}

BOOL WINAPI EraseSpy::IoControl(HANDLE file, DWORD code, LPVOID in, DWORD inLength, LPVOID out, DWORD outLength,
                                LPDWORD returned, LPOVERLAPPED overlapped) {
  spy_->ioControls.push_back(code);
  if (spy_->Fails(kIoControl)) return FALSE;
  if (code == FSCTL_QUERY_ALLOCATED_RANGES && !spy_->ranges.empty())
    return spy_->AnswerRanges(in, out, outLength, returned);
  // Wine keeps no compressed files: a decompression is taken as done.
  if (code == FSCTL_SET_COMPRESSION) {
    spy_->fileAttributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_COMPRESSED);
    *returned = 0;
    return TRUE;
  }
  return Real().deviceIoControl(file, code, in, inLength, out, outLength, returned, overlapped);
}

BOOL WINAPI EraseSpy::EndOfFile(HANDLE file) {
  spy_->steps += 'E';
  if (spy_->beforeEndOfFile) spy_->beforeEndOfFile(file);
  return !spy_->Fails(kEndOfFile) && Real().setEndOfFile(file);
}

BOOL WINAPI EraseSpy::Read(HANDLE file, LPVOID data, DWORD length, LPDWORD read, LPOVERLAPPED overlapped) {
  spy_->steps += 'V';
  if (spy_->Fails(kRead) || !Real().readFile(file, data, length, read, overlapped)) return FALSE;
  if (spy_->count[kRead] == spy_->corruptRead && *read > 0) static_cast<uint8_t*>(data)[*read / 2] ^= 0x01;
  if (spy_->keepData) spy_->readBack.emplace_back(static_cast<const char*>(data), *read);
  return TRUE;
}

HANDLE EraseSpy::OpenFolder(LPCWSTR path) {
  if (spy_->Fails(kOpenFolder)) return INVALID_HANDLE_VALUE;
  const HANDLE folder = Real().openFolder(path);
  if (folder != INVALID_HANDLE_VALUE) spy_->endHandles_.push_back(folder);
  return folder;
}

DWORD EraseSpy::OpenAt(HANDLE folder, const wchar_t* name, uint32_t length, DWORD access, DWORD options,
                       HANDLE* opened) {
  if (spy_->Fails(kOpenAt)) return ::GetLastError();
  const DWORD error = Real().openAt(folder, name, length, access, options, opened);
  if (error == ERROR_SUCCESS) spy_->endHandles_.push_back(*opened);
  return error;
}

DWORD EraseSpy::FileId(HANDLE file, uint64_t* id) {
  return spy_->Fails(kFileId) ? ::GetLastError() : Real().fileIdOf(file, id);
}

DWORD EraseSpy::Rename(HANDLE entry, HANDLE folder, const wchar_t* name, uint32_t length) {
  spy_->steps += 'N';
  spy_->renames.emplace_back(folder, std::wstring(name, length));
  if (spy_->Fails(kRename)) return ::GetLastError();
  if (spy_->renamesAllowed >= 0 && spy_->count[kRename] > spy_->renamesAllowed) return spy_->renameRefusal;
  return Real().renameAt(entry, folder, name, length);
}

std::string EraseSpy::ContentOf(HANDLE file) {
  LARGE_INTEGER start = {}, size = {};
  if (!::GetFileSizeEx(file, &size) || !::SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return "(unread)";
  std::string content(static_cast<size_t>(size.QuadPart), '\0');
  DWORD got = 0;
  if (!content.empty() && !::ReadFile(file, &content[0], static_cast<DWORD>(content.size()), &got, nullptr))
    return "(unread)";
  content.resize(got);
  return content;
}

BOOL WINAPI EraseSpy::SetInformation(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID data, DWORD size) {
  SpyCall call = kDisposition;
  if (kind == FileEndOfFileInfo) {
    call = kTruncate;
    spy_->steps += 'T';
    spy_->atEnd.push_back(spy_->ContentOf(file));
  } else if (kind == FileBasicInfo) {
    call = kTimes;
    spy_->steps += 'S';
    spy_->timesSet.push_back(*static_cast<const FILE_BASIC_INFO*>(data));
  } else {
    spy_->steps += 'X';
  }
  return !spy_->Fails(call) && Real().setFileInformationByHandle(file, kind, data, size);
}

BOOLEAN WINAPI EraseSpy::NameSeed(PVOID buffer, ULONG length) {
  return !spy_->Fails(kNameSeed) && Real().genRandom(buffer, length);
}

}  // namespace engine_test
