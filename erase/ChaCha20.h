// The ChaCha20 stream cipher of RFC 8439 (20 rounds, 256-bit key, 96-bit
// nonce, 32-bit block counter). The eraser expands each short draw of the
// system generator into a chunk of key stream with it: the system generator
// alone is too slow to fill a disk at its speed.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr size_t kChaChaKeyBytes = 32;
constexpr size_t kChaChaNonceBytes = 12;
constexpr size_t kChaChaBlockBytes = 64;

// The 64 bytes of key stream of block `counter`.
void ChaChaBlock(const uint8_t* key, const uint8_t* nonce, uint32_t counter, uint8_t* out);

// Exclusive-ors the key stream, from block `counter` on, into data[0..n):
// encryption and decryption alike. At most 2^32 blocks (256 GiB) per key and
// nonce; the counter wraps beyond.
void ChaChaXor(const uint8_t* key, const uint8_t* nonce, uint32_t counter, uint8_t* data, size_t n);
