// The per-file overwrite procedure of secure erasure.
#pragma once
#include <cstdint>

#include "erase/ErasePasses.h"
#include "server/ErrorReturn.h"

// Called before every pass: (pass number from 1, pass count, user data)
// -> 0 to go on, non-zero to stop (a positive value is a Win32 error code).
using PassCallback = int32_t (*)(int32_t pass, int32_t passCount, void* userData);

// Size of the write buffer and of every write but the last of a pass.
constexpr uint32_t ERASE_CHUNK = 4096;

// Overwrites the file with every pass of the method (0 zero, 1 random,
// 2 DoD 3-pass, 3 Gutmann 35-pass; any other value as 0), then deletes it.
// Non-zero on success; on failure 0 with the thread's last error set and the
// file left in place. A link is never opened: the link alone is deleted.
// The path is a wide name and may be a \\?\ path of any length.
int32_t EraseAndDelete(const wchar_t* path, uint32_t eraseMethod, PassCallback callback, void* userData);

// The pass loop: every pass of the list over the bytes the file held when it
// was opened, each 4096-byte chunk positioned, locked, written, unlocked and
// flushed. 0 on success, a negative code on failure or the callback's stop.
Result OverwriteFile(const wchar_t* path, const ErasePass* passes, PassCallback callback, void* userData);
