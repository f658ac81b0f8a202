// The names an erased file or folder passes through before it goes: random
// letters and digits, as many as its own name has, so that neither the name
// nor its length survives in the folder's free entries.
#pragma once
#include <cstddef>
#include <cstdint>

#include "erase/ChaCha20.h"

// Renames of each erased entry, one after the other, before its removal.
constexpr uint32_t kEraseRenames = 7;

// A ChaCha20 key and nonce: the only draw from the system generator that
// the names of one entry need.
constexpr size_t kRandomNameSeedBytes = kChaChaKeyBytes + kChaChaNonceBytes;

class RandomNames {
 public:
  explicit RandomNames(const uint8_t* seed);
  ~RandomNames();
  RandomNames(const RandomNames&) = delete;
  RandomNames& operator=(const RandomNames&) = delete;

  // Writes `length` letters and digits to name[0..length), each of the 62
  // equally likely, never one of the device names the system reserves.
  void Next(wchar_t* name, size_t length);

 private:
  uint8_t NextByte();

  uint8_t seed_[kRandomNameSeedBytes];
  uint8_t block_[kChaChaBlockBytes];
  size_t used_ = kChaChaBlockBytes;
  uint32_t counter_ = 0;
};

// Whether `name` (length characters, no extension) is a name the system
// keeps for a device (CON, PRN, AUX, NUL, COM0-9, LPT0-9, any case): opening
// or renaming to it would reach the device, not a file.
bool IsReservedDeviceName(const wchar_t* name, size_t length);
