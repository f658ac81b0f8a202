#include "erase/ChaCha20.h"

namespace {

inline uint32_t Rotate(uint32_t v, int n) { return (v << n) | (v >> (32 - n)); }

inline uint32_t Load(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

inline void Store(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

#define CHACHA_QUARTER(a, b, c, d) \
  a += b;                          \
  d = Rotate(d ^ a, 16);           \
  c += d;                          \
  b = Rotate(b ^ c, 12);           \
  a += b;                          \
  d = Rotate(d ^ a, 8);            \
  c += d;                          \
  b = Rotate(b ^ c, 7)

// The state of RFC 8439 section 2.3: constants, key, counter, nonce.
void InitialState(const uint8_t* key, const uint8_t* nonce, uint32_t counter, uint32_t* state) {
  state[0] = 0x61707865;  // "expand 32-byte k"
  state[1] = 0x3320646e;
  state[2] = 0x79622d32;
  state[3] = 0x6b206574;
  for (int i = 0; i < 8; ++i) state[4 + i] = Load(key + 4 * i);
  state[12] = counter;
  for (int i = 0; i < 3; ++i) state[13 + i] = Load(nonce + 4 * i);
}

// Twenty rounds over the state, then the state added in.
void Block(const uint32_t* state, uint32_t* out) {
  uint32_t x0 = state[0], x1 = state[1], x2 = state[2], x3 = state[3], x4 = state[4], x5 = state[5],
           x6 = state[6], x7 = state[7], x8 = state[8], x9 = state[9], x10 = state[10], x11 = state[11],
           x12 = state[12], x13 = state[13], x14 = state[14], x15 = state[15];
  for (int round = 0; round < 10; ++round) {
    CHACHA_QUARTER(x0, x4, x8, x12);
    CHACHA_QUARTER(x1, x5, x9, x13);
    CHACHA_QUARTER(x2, x6, x10, x14);
    CHACHA_QUARTER(x3, x7, x11, x15);
    CHACHA_QUARTER(x0, x5, x10, x15);
    CHACHA_QUARTER(x1, x6, x11, x12);
    CHACHA_QUARTER(x2, x7, x8, x13);
    CHACHA_QUARTER(x3, x4, x9, x14);
  }
  out[0] = x0 + state[0];
  out[1] = x1 + state[1];
  out[2] = x2 + state[2];
  out[3] = x3 + state[3];
  out[4] = x4 + state[4];
  out[5] = x5 + state[5];
  out[6] = x6 + state[6];
  out[7] = x7 + state[7];
  out[8] = x8 + state[8];
  out[9] = x9 + state[9];
  out[10] = x10 + state[10];
  out[11] = x11 + state[11];
  out[12] = x12 + state[12];
  out[13] = x13 + state[13];
  out[14] = x14 + state[14];
  out[15] = x15 + state[15];
}

#undef CHACHA_QUARTER

// A plain memset of a buffer that is never read again may be dropped.
void Wipe(void* block, size_t n) {
  volatile uint8_t* p = static_cast<volatile uint8_t*>(block);
  while (n--) *p++ = 0;
}

}  // namespace

void ChaChaBlock(const uint8_t* key, const uint8_t* nonce, uint32_t counter, uint8_t* out) {
  uint32_t state[16], words[16];
  InitialState(key, nonce, counter, state);
  Block(state, words);
  for (int i = 0; i < 16; ++i) Store(out + 4 * i, words[i]);
  Wipe(words, sizeof(words));
  Wipe(state, sizeof(state));
}

void ChaChaXor(const uint8_t* key, const uint8_t* nonce, uint32_t counter, uint8_t* data, size_t n) {
  uint32_t state[16], words[16];
  InitialState(key, nonce, counter, state);
  while (n >= kChaChaBlockBytes) {
    Block(state, words);
    for (int i = 0; i < 16; ++i) Store(data + 4 * i, Load(data + 4 * i) ^ words[i]);
    ++state[12];
    data += kChaChaBlockBytes;
    n -= kChaChaBlockBytes;
  }
  if (n > 0) {
    uint8_t tail[kChaChaBlockBytes];
    Block(state, words);
    for (int i = 0; i < 16; ++i) Store(tail + 4 * i, words[i]);
    for (size_t i = 0; i < n; ++i) data[i] ^= tail[i];
    Wipe(tail, sizeof(tail));
  }
  // The key stream is the key in all but name: leave none of it behind.
  Wipe(words, sizeof(words));
  Wipe(state, sizeof(state));
}
