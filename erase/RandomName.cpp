#include "erase/RandomName.h"

#include <cstring>

namespace {

constexpr const char* kDevices[] = {"CON", "PRN", "AUX", "NUL"};
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr unsigned kAlphabetSize = sizeof(kAlphabet) - 1;
// Bytes at or above the largest multiple of the alphabet's size are drawn
// again: taking them modulo the size would favour the first letters.
constexpr unsigned kFairBytes = 256 / kAlphabetSize * kAlphabetSize;

wchar_t Upper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool SameLetters(const wchar_t* name, const char* upper, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (Upper(name[i]) != static_cast<wchar_t>(upper[i])) return false;
  return true;
}

}  // namespace

RandomNames::RandomNames(const uint8_t* seed) { std::memcpy(seed_, seed, sizeof(seed_)); }

RandomNames::~RandomNames() {
  // The key would let anyone who finds it replay the names.
  volatile uint8_t* wipe = seed_;
  for (size_t i = 0; i < sizeof(seed_); ++i) wipe[i] = 0;
  wipe = block_;
  for (size_t i = 0; i < sizeof(block_); ++i) wipe[i] = 0;
}

uint8_t RandomNames::NextByte() {
  if (used_ == sizeof(block_)) {
    ChaChaBlock(seed_, seed_ + kChaChaKeyBytes, counter_++, block_);
    used_ = 0;
  }
  return block_[used_++];
}

void RandomNames::Next(wchar_t* name, size_t length) {
  do {
    for (size_t i = 0; i < length; ++i) {
      unsigned byte = NextByte();
      while (byte >= kFairBytes) byte = NextByte();
      name[i] = static_cast<wchar_t>(kAlphabet[byte % kAlphabetSize]);
    }
  } while (IsReservedDeviceName(name, length));
}

bool IsReservedDeviceName(const wchar_t* name, size_t length) {
  if (length == 3) {
    for (const char* device : kDevices)
      if (SameLetters(name, device, 3)) return true;
    return false;
  }
  if (length != 4 || name[3] < L'0' || name[3] > L'9') return false;
  return SameLetters(name, "COM", 3) || SameLetters(name, "LPT", 3);
}
