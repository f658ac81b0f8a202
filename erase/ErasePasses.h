// The erase methods, their pass lists and the rule by which a pass fills its
// write buffer so that a pattern runs on unbroken from the file's first byte.
#pragma once
#include <cstddef>
#include <cstdint>

#include "settings/Settings.h"

enum class PassKind : uint32_t { End = 0, Zero = 1, Random = 2, Pattern = 3 };

struct ErasePass {
  PassKind kind;
  uint8_t pattern[3];  // laid down from file offset 0; Pattern passes only
  uint32_t patternLength;  // 1 or 3 for Pattern, 0 otherwise
};

// The constant pass list of a stored EraseMethod value, ended by a
// PassKind::End entry; a value outside the enumeration gets ZeroPass's.
const ErasePass* PassList(uint32_t eraseMethod);
// Entries before the first End entry.
int32_t PassCount(const ErasePass* passes);

// Writes n bytes of the repeating pattern, continuing from `produced` bytes
// already laid down: byte i becomes pattern[(produced + i) % length].
void FillPattern(uint8_t* buffer, size_t n, const uint8_t* pattern, uint32_t length, uint64_t produced);
