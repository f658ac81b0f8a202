// Watches and breaks the platform calls of secure erasure: every call goes
// on to the system unless the test asked for it to fail.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "erase/ErasePlatform.h"
#include "erase/WriteExtents.h"

namespace engine_test {

// The eraser takes wide names; the test folders are made with narrow ones.
std::wstring Wide(const std::string& path);
std::string Narrow(const std::wstring& path);

enum SpyCall {
  kAttributes, kCreate, kInformation, kListStreams, kNextStream, kCloseListing, kSize, kPointer, kLock, kWrite,
  kUnlock, kFlush, kClose, kDelete, kAllocate, kRelease, kAcquire, kCreateHash, kHashData, kGetHashParam,
  kGenRandom, kDestroyHash, kReleaseContext, kCursor, kCaret, kCounter, kVolumePath, kDiskFree, kVolumeFlags,
  kIoControl, kEndOfFile, kRead,
  // The end of a file: its folder by path, entries opened relative to it
  // and their ids, renames, the three changes by handle, the names' seed,
  // and closes of the end's own folder and entry handles (not in kClose).
  kOpenFolder, kOpenAt, kFileId, kRename, kTruncate, kTimes, kDisposition, kNameSeed, kCloseEnd, kSpyCallCount
};

class EraseSpy {
 public:
  EraseSpy();
  ~EraseSpy();
  EraseSpy(const EraseSpy&) = delete;
  EraseSpy& operator=(const EraseSpy&) = delete;

  // Makes `call` fail with `error` at its nth use (0: at every use).
  void Fail(SpyCall call, DWORD error, int nth = 0) { failures.push_back({call, error, nth}); }

  int count[kSpyCallCount] = {};
  DWORD createFlags = 0;  // flags of the last open
  // One letter per chunk step: P position, L lock, W write, U unlock, F flush;
  // R for a move to an offset (a rewind), E for the cut back to the size,
  // V for a read-back; and of a file's end: T truncation, S times set, N a
  // rename, X marked for deletion.
  std::string steps;
  std::vector<std::pair<uint64_t, DWORD>> locks;  // offset, length
  std::vector<std::string> written;               // the data of every write
  std::vector<size_t> allocations;                 // the size of every allocation
  std::vector<std::wstring> opened;                // the path of every open
  // Non-empty: the stream listing reports these names, and count[kCloseListing]
  // counts the closes of that listing (e.g. "::$DATA",
  // ":name:$DATA") instead of asking the system.
  std::vector<std::wstring> streams;
  // Opens of the first path go to the second: a stand-in for a stream,
  // which Wine cannot hold.
  std::vector<std::pair<std::wstring, std::wstring>> redirects;
  bool keepData = true;
  DWORD writeLimit = 0;  // non-zero: writes at most this many bytes and says so
  DWORD linkCount = 0;   // non-zero: the file reports this many hard links
  std::vector<std::pair<std::string, DWORD>> acquired;  // provider name, flags
  std::vector<DWORD> generated;                           // lengths asked of the generator
  std::vector<std::string> seeds;                         // what the generator was handed as extra seed
  int providersTaken = 0;  // successful acquisitions
  int openHashes = 0;
  int openProviders = 0;
  // Called just before the real DeleteFileW.
  void (*beforeDelete)(LPCWSTR path) = nullptr;
  // What each file or stream held when its end truncated it, read through
  // the eraser's own handle (the spy opens files to read as well).
  std::vector<std::string> atEnd;
  std::vector<FILE_BASIC_INFO> timesSet;
  // Every rename the end asked for: the folder's handle and the new name.
  std::vector<std::pair<HANDLE, std::wstring>> renames;
  // Renames after this many go to the system no more and fail with
  // renameRefusal (-1: none refused).
  int renamesAllowed = -1;
  DWORD renameRefusal = ERROR_ACCESS_DENIED;

  // What the file system tells of the file and its volume.
  DWORD fileAttributes = 0;  // added to what the handle reports
  DWORD volumeFlags = 0;     // added to what the volume reports
  uint32_t cluster = 0;      // non-zero: the volume's cluster, in sectors of 512 bytes
  uint32_t volumeSerial = 0;  // non-zero: the serial number a file's handle reports
  // Non-empty: the allocated ranges a query reports, at most `rangesPerAnswer`
  // to an answer (then ERROR_MORE_DATA), instead of asking the system.
  std::vector<Extent> ranges;
  size_t rangesPerAnswer = 64;
  std::vector<DWORD> ioControls;  // the code of every control call
  std::vector<std::pair<uint64_t, uint64_t>> rangeQueries;  // offset, length of each
  std::vector<std::string> readBack;  // the data of every read
  int corruptRead = 0;  // non-zero: the nth read returns one byte changed
  // Called just before the real SetEndOfFile.
  void (*beforeEndOfFile)(HANDLE file) = nullptr;

 private:
  struct Failure {
    SpyCall call;
    DWORD error;
    int nth;
  };
  bool Fails(SpyCall call);
  bool ListNext(LPVOID data);
  std::vector<Failure> failures;

  static DWORD WINAPI Attributes(LPCWSTR);
  static HANDLE WINAPI Create(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
  static BOOL WINAPI Information(HANDLE, LPBY_HANDLE_FILE_INFORMATION);
  static HANDLE WINAPI FirstStream(LPCWSTR, STREAM_INFO_LEVELS, LPVOID, DWORD);
  static BOOL WINAPI NextStream(HANDLE, LPVOID);
  static BOOL WINAPI CloseListing(HANDLE);
  static DWORD WINAPI Size(HANDLE, LPDWORD);
  static DWORD WINAPI Pointer(HANDLE, LONG, PLONG, DWORD);
  static BOOL WINAPI Lock(HANDLE, DWORD, DWORD, DWORD, DWORD);
  static BOOL WINAPI Write(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
  static BOOL WINAPI Unlock(HANDLE, DWORD, DWORD, DWORD, DWORD);
  static BOOL WINAPI Flush(HANDLE);
  static BOOL WINAPI Close(HANDLE);
  static BOOL WINAPI Delete(LPCWSTR);
  static void* Allocate(size_t);
  static void Release(void*);
  static BOOL WINAPI Acquire(HCRYPTPROV*, LPCSTR, LPCSTR, DWORD, DWORD);
  static BOOL WINAPI CreateHash(HCRYPTPROV, ALG_ID, HCRYPTKEY, DWORD, HCRYPTHASH*);
  static BOOL WINAPI HashData(HCRYPTHASH, const BYTE*, DWORD, DWORD);
  static BOOL WINAPI GetHashParam(HCRYPTHASH, DWORD, BYTE*, DWORD*, DWORD);
  static BOOL WINAPI GenRandom(HCRYPTPROV, DWORD, BYTE*);
  static BOOL WINAPI DestroyHash(HCRYPTHASH);
  static BOOL WINAPI ReleaseContext(HCRYPTPROV, DWORD);
  static BOOL WINAPI Cursor(LPPOINT);
  static BOOL WINAPI Caret(LPPOINT);
  static BOOL WINAPI Counter(LARGE_INTEGER*);
  static BOOL WINAPI VolumePath(LPCWSTR, LPWSTR, DWORD);
  static BOOL WINAPI DiskFree(LPCWSTR, LPDWORD, LPDWORD, LPDWORD, LPDWORD);
  static BOOL WINAPI VolumeFlags(HANDLE, LPWSTR, DWORD, LPDWORD, LPDWORD, LPDWORD, LPWSTR, DWORD);
  static BOOL WINAPI IoControl(HANDLE, DWORD, LPVOID, DWORD, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
  static BOOL WINAPI EndOfFile(HANDLE);
  static BOOL WINAPI Read(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
  BOOL AnswerRanges(LPVOID in, LPVOID out, DWORD outLength, LPDWORD returned);
  static HANDLE OpenFolder(LPCWSTR);
  static DWORD OpenAt(HANDLE, const wchar_t*, uint32_t, DWORD, DWORD, HANDLE*);
  static DWORD FileId(HANDLE, uint64_t*);
  static DWORD Rename(HANDLE, HANDLE, const wchar_t*, uint32_t);
  static BOOL WINAPI SetInformation(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
  static BOOLEAN WINAPI NameSeed(PVOID, ULONG);
  std::string ContentOf(HANDLE file);

  size_t nextStream_ = 0;
  std::vector<HANDLE> endHandles_;
  ErasePlatform saved_;
  static EraseSpy* spy_;
};

}  // namespace engine_test
