#include "erase/ErasePasses.h"

#include <cstring>

namespace {

constexpr ErasePass Zero{PassKind::Zero, {0, 0, 0}, 0};
constexpr ErasePass Random{PassKind::Random, {0, 0, 0}, 0};
constexpr ErasePass End{PassKind::End, {0, 0, 0}, 0};
constexpr ErasePass Byte(uint8_t b) { return {PassKind::Pattern, {b, 0, 0}, 1}; }
constexpr ErasePass Triple(uint8_t a, uint8_t b, uint8_t c) { return {PassKind::Pattern, {a, b, c}, 3}; }

constexpr ErasePass kZeroPass[] = {Zero, End};
constexpr ErasePass kRandomPass[] = {Random, End};
// DoD 5220.22-M (January 1995): zeros, ones, random.
constexpr ErasePass kDoD3Pass[] = {Zero, Byte(0xFF), Random, End};
// Gutmann's 35 passes, always in this order.
constexpr ErasePass kGutmann35Pass[] = {
    Random, Random, Random, Random,
    Byte(0x55), Byte(0xAA),
    Triple(0x92, 0x49, 0x24), Triple(0x49, 0x24, 0x92), Triple(0x24, 0x92, 0x49),
    Zero, Byte(0x11), Byte(0x22), Byte(0x33), Byte(0x44), Byte(0x55), Byte(0x66), Byte(0x77),
    Byte(0x88), Byte(0x99), Byte(0xAA), Byte(0xBB), Byte(0xCC), Byte(0xDD), Byte(0xEE), Byte(0xFF),
    Triple(0x92, 0x49, 0x24), Triple(0x49, 0x24, 0x92), Triple(0x24, 0x92, 0x49),
    Triple(0x6D, 0xB6, 0xDB), Triple(0xB6, 0xDB, 0x6D), Triple(0xDB, 0x6D, 0xB6),
    Random, Random, Random, Random,
    End};

}  // namespace

const ErasePass* PassList(uint32_t eraseMethod) {
  switch (eraseMethod) {
    case RandomPass: return kRandomPass;
    case DoD3Pass: return kDoD3Pass;
    case Gutmann35Pass: return kGutmann35Pass;
    default: return kZeroPass;
  }
}

int32_t PassCount(const ErasePass* passes) {
  int32_t count = 0;
  while (passes[count].kind != PassKind::End) ++count;
  return count;
}

void FillPattern(uint8_t* buffer, size_t n, const uint8_t* pattern, uint32_t length, uint64_t produced) {
  if (length == 1) {
    std::memset(buffer, pattern[0], n);
    return;
  }
  uint32_t phase = static_cast<uint32_t>(produced % length);
  for (size_t i = 0; i < n; ++i) {
    buffer[i] = pattern[phase];
    if (++phase == length) phase = 0;
  }
}
