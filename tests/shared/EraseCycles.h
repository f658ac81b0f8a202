// The published pass tables of the erase methods, for the tests of the pass
// lists (native) and of the bytes the engine writes (Windows).
#pragma once
#include <string>
#include <vector>

namespace erase_cycles {

// Per method (indexed by the EraseMethod value), per pass: the bytes the
// pass repeats from the file's first byte. One NUL for a Zero pass, "" for
// a Random pass.
inline const std::vector<std::vector<std::string>>& MethodCycles() {
  static const std::vector<std::vector<std::string>> cycles = {
      {std::string(1, '\0')},
      {""},
      {std::string(1, '\0'), "\xFF", ""},
      {"", "", "", "", "\x55", "\xAA", "\x92\x49\x24", "\x49\x24\x92", "\x24\x92\x49", std::string(1, '\0'),
       "\x11", "\x22", "\x33", "\x44", "\x55", "\x66", "\x77", "\x88", "\x99", "\xAA", "\xBB", "\xCC", "\xDD",
       "\xEE", "\xFF", "\x92\x49\x24", "\x49\x24\x92", "\x24\x92\x49", "\x6D\xB6\xDB", "\xB6\xDB\x6D",
       "\xDB\x6D\xB6", "", "", "", ""},
  };
  return cycles;
}

// Three-byte Gutmann passes written across chunk cuts: a file of
// `chunks` whole chunks and `extra` bytes must hold the pass's cycle
// unbroken from offset 0, whatever the chunk size.
struct PhaseCase {
  int pass;  // 1-based
  size_t chunks;
  size_t extra;
};
constexpr PhaseCase kPhaseCases[] = {
    {7, 1, 1},   // the cut falls one byte into the second chunk
    {29, 2, 5},  // three chunks, each starting at another step of the cycle
};

// The bytes a pass with this cycle leaves in a file of `size` bytes.
inline std::string Repeated(const std::string& cycle, size_t size) {
  std::string bytes;
  bytes.reserve(size);
  for (size_t i = 0; i < size; ++i) bytes += cycle[i % cycle.size()];
  return bytes;
}

}  // namespace erase_cycles
