// SHA-256 (FIPS 180-4) for the package's block map, on the build machine.
// Pure code.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

using Sha256Digest = std::array<uint8_t, 32>;

class Sha256 {
 public:
  Sha256();
  void Update(const void* data, size_t size);
  // The digest of everything given so far; the object is spent afterwards.
  Sha256Digest Final();

 private:
  void Compress(const uint8_t* block);

  std::array<uint32_t, 8> state_;
  std::array<uint8_t, 64> block_ = {};
  size_t used_ = 0;
  uint64_t total_ = 0;
};

Sha256Digest Sha256Of(const void* data, size_t size);
