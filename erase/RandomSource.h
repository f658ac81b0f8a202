// Random bytes for the Random erase passes. Each fill takes one draw from
// the platform's cryptographic provider, with a digest of volatile machine
// readings and the buffer's previous content mixed in as extra seed, and
// expands it into the chunk with ChaCha20: a fresh key and nonce for every
// chunk, so no key stream is ever reused. No weaker fallback: when no
// provider can be had or a draw fails, the pass fails.
#pragma once
#include <windows.h>
#include <wincrypt.h>

#include <cstdint>

#include "base/ErrorReturn.h"

class RandomSource {
 public:
  RandomSource() = default;
  ~RandomSource() { Discard(); }
  RandomSource(const RandomSource&) = delete;
  RandomSource& operator=(const RandomSource&) = delete;

  // Opens a provider (hardware provider first, then the base provider,
  // creating the user's default key container when it is missing) and an
  // MD5 hash object for the entropy samples.
  Result Acquire();
  // Replaces the first n bytes of buffer with random bytes; the previous
  // content is used as extra seed. The machine readings are hashed on the
  // first fill after Acquire, while the hash object still takes data. One
  // generator draw of kSeedBytes per fill, whatever n.
  Result Fill(uint8_t* buffer, uint32_t n);

  // A ChaCha20 key and nonce.
  static constexpr uint32_t kSeedBytes = 44;
  // Destroys the hash object, then releases the provider.
  Result Release();
  // Frees whatever handle Release left behind; never fails.
  void Discard();

  bool HoldsProvider() const { return provider_ != 0; }
  bool HoldsHash() const { return hash_ != 0; }

 private:
  void HashSamples();

  HCRYPTPROV provider_ = 0;
  HCRYPTHASH hash_ = 0;
  bool digestRead_ = false;  // the hash object is sealed from then on
};
