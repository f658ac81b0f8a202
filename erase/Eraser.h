// The per-file overwrite procedure of secure erasure.
#pragma once
#include <cstdint>

#include "erase/EraseEnd.h"
#include "erase/ErasePasses.h"
#include "erase/EraseVolumes.h"
#include "erase/FileIdentity.h"
#include "base/ErrorReturn.h"

// Called before every pass: (pass number from 1, pass count, user data)
// -> 0 to go on, non-zero to stop (a positive value is a Win32 error code).
using PassCallback = int32_t (*)(int32_t pass, int32_t passCount, void* userData);

// Called after each chunk is written: (that chunk's length, slack included,
// user data) -> 0 to go on, non-zero to stop within the pass (a positive
// value is a Win32 error code). A file stopped so is partly overwritten.
using ChunkCallback = int32_t (*)(uint64_t bytesWritten, void* userData);

// Largest write, and the size of the write buffer of an erasure (smaller
// only when the file and its streams are all smaller).
constexpr uint32_t ERASE_CHUNK = 1 << 20;

// What EraseAndDelete did with the name it was given.
enum EraseOutcome : int32_t {
  // Nothing removed; the thread's last error says why.
  EraseFailed = 0,
  // Every pass written over the file's data, then the file truncated, its
  // times made old, its name scrambled, and the file deleted.
  EraseOverwritten = 1,
  // The name alone removed, nothing written: the entry is a link, or a file
  // with other hard links whose data belongs to those names as much as to
  // this one. Not an error, but nothing was overwritten.
  EraseNameOnly = 2,
  // Every pass written through the platform, then the file ended as above;
  // but the file was compressed, encrypted or sparse, or its volume writes
  // elsewhere, so its old clusters may hold what the passes did not reach.
  EraseNotInPlace = 3,
};

// How to erase: the method (0 zero, 1 random, 2 DoD 3-pass, 3 Gutmann
// 35-pass; any other value as 0), whether every chunk of the last pass is
// read back and compared with what was written, the callbacks, and the
// run's record of its volumes.
struct EraseRequest {
  uint32_t method = 0;
  bool verify = false;
  PassCallback onPass = nullptr;
  ChunkCallback onChunk = nullptr;
  void* userData = nullptr;
  // Non-null: a file erased with its listing (EraseListedFile) takes what
  // is known of the listed volume from here and adds what it found out,
  // once its handle proved to be the listed file. Other erasures ask their
  // volume for every file.
  EraseVolumes* volumes = nullptr;
};

// OverwriteFile's answer for a file with more than one hard link: nothing
// written. Not a failure (non-negative); the trace sees it too.
constexpr Result kResultOtherNames = static_cast<Result>(0x00040001);
// OverwriteFile's answer for a file written in full whose old clusters the
// passes may not have reached (EraseNotInPlace). Not a failure either.
constexpr Result kResultNotInPlace = static_cast<Result>(0x00040002);
// A chunk of the last pass read back differently from what was written.
constexpr Result kResultReadBackDiffers = ResultFromError(23);  // ERROR_CRC

// Overwrites the file with every pass of the request's method, then ends
// it as FinishErasedFile does, renamed within the folder the path names,
// which is opened by its path. On failure (a stop included) EraseFailed
// with the thread's last error set and the file left in place under its
// name. Erasure never writes through another name: a link, or a file with
// more than one hard link, is never written; its name alone is deleted
// (EraseNameOnly).
// The path is a wide name and may be a \\?\ path of any length.
int32_t EraseAndDelete(const wchar_t* path, const EraseRequest& request);
// The same without verification or chunk callback.
inline int32_t EraseAndDelete(const wchar_t* path, uint32_t eraseMethod, PassCallback callback, void* userData) {
  EraseRequest request;
  request.method = eraseMethod;
  request.onPass = callback;
  request.userData = userData;
  return EraseAndDelete(path, request);
}

// EraseAndDelete for a file that a listing of the folder open at `place`
// showed as `listed`: the passes are written only through a handle that is
// that very file, else EraseFailed with ERROR_FILE_INVALID and nothing
// written; its renames go relative to that folder's handle. EraseOverwritten
// and EraseNotInPlace: the file is gone. EraseNameOnly (nothing written)
// leaves the name in place for the caller to remove where it was listed.
int32_t EraseListedFile(const wchar_t* path, const FileIdentity& listed, const ErasedPlace& place,
                        const EraseRequest& request);
inline int32_t EraseListedFile(const wchar_t* path, const FileIdentity& listed, const ErasedPlace& place,
                               uint32_t eraseMethod, PassCallback callback, void* userData) {
  EraseRequest request;
  request.method = eraseMethod;
  request.onPass = callback;
  request.userData = userData;
  return EraseListedFile(path, listed, place, request);
}

// The pass loop: every pass of the list over the bytes the file and each of
// its named data streams held when they were opened, each chunk of up to
// ERASE_CHUNK bytes positioned, locked, written, unlocked and flushed (and
// with `verify`, in the last pass, read back); one buffer for all passes.
// The file's own data is written on to the end of its last cluster and cut
// back to its size after each pass; a sparse file only where it holds data.
// 0 on success, a negative code on failure or a callback's stop,
// kResultOtherNames (nothing written) for a file with other hard links,
// kResultNotInPlace for a file that could not be overwritten in place.
Result OverwriteFile(const wchar_t* path, const ErasePass* passes, const EraseRequest& request);
inline Result OverwriteFile(const wchar_t* path, const ErasePass* passes, PassCallback callback, void* userData) {
  EraseRequest request;
  request.onPass = callback;
  request.userData = userData;
  return OverwriteFile(path, passes, request);
}
