#include "erase/ChaCha20.h"

namespace {

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

// The rounds work on one block in 32-bit words, or on four blocks in
// vector lanes; always inlined, so that the vector form is compiled for the
// instruction set of its caller.
#define CHACHA_INLINE __attribute__((always_inline)) inline

// d = (d ^ a) rotated left by n. By reference: a vector passed or returned
// by value would need SSE in the 32-bit calling convention.
template <typename Word>
CHACHA_INLINE void XorRotate(Word& d, const Word& a, int n) {
  d ^= a;
  d = (d << n) | (d >> (32 - n));
}

template <typename Word>
CHACHA_INLINE void Quarter(Word& a, Word& b, Word& c, Word& d) {
  a += b;
  XorRotate(d, a, 16);
  c += d;
  XorRotate(b, c, 12);
  a += b;
  XorRotate(d, a, 8);
  c += d;
  XorRotate(b, c, 7);
}

// Ten column rounds, each followed by a diagonal round.
template <typename Word>
CHACHA_INLINE void TwentyRounds(Word* x) {
  for (int round = 0; round < 10; ++round) {
    Quarter(x[0], x[4], x[8], x[12]);
    Quarter(x[1], x[5], x[9], x[13]);
    Quarter(x[2], x[6], x[10], x[14]);
    Quarter(x[3], x[7], x[11], x[15]);
    Quarter(x[0], x[5], x[10], x[15]);
    Quarter(x[1], x[6], x[11], x[12]);
    Quarter(x[2], x[7], x[8], x[13]);
    Quarter(x[3], x[4], x[9], x[14]);
  }
}

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
  uint32_t x[16];
  for (int i = 0; i < 16; ++i) x[i] = state[i];
  TwentyRounds(x);
  for (int i = 0; i < 16; ++i) out[i] = x[i] + state[i];
}

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

namespace {

// One block at a time: the tail of every stream, and every stream on a
// processor without SSE2.
void XorBlocks(uint32_t* state, uint8_t* data, size_t n) {
  uint32_t words[16];
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
}

#if defined(__i386__) || defined(__x86_64__)
#define CHACHA_WIDE 1
// Four blocks side by side, lane j of every vector belonging to block
// counter + j; the compiler maps the vectors onto SSE2 registers.
typedef uint32_t Lanes __attribute__((vector_size(16)));

#if defined(__i386__)
// 32-bit Windows keeps stacks 4-byte aligned, threads it starts included;
// the vectors on this function's stack need 16.
#define CHACHA_WIDE_TARGET __attribute__((target("sse2"), force_align_arg_pointer))
#else
#define CHACHA_WIDE_TARGET
#endif

// Whole groups of four blocks; returns the bytes done. The counter in
// state[12] moves on past them.
CHACHA_WIDE_TARGET size_t XorFourBlocksAtATime(uint32_t* state, uint8_t* data, size_t n) {
  constexpr size_t kGroup = 4 * kChaChaBlockBytes;
  size_t done = 0;
  for (; n - done >= kGroup; done += kGroup) {
    Lanes start[16];
    for (int i = 0; i < 16; ++i) start[i] = Lanes{state[i], state[i], state[i], state[i]};
    start[12] += Lanes{0, 1, 2, 3};
    Lanes x[16];
    for (int i = 0; i < 16; ++i) x[i] = start[i];
    TwentyRounds(x);
    uint8_t* group = data + done;
    for (int i = 0; i < 16; ++i) {
      const Lanes word = x[i] + start[i];
      for (int lane = 0; lane < 4; ++lane) {
        uint8_t* at = group + lane * kChaChaBlockBytes + 4 * i;
        Store(at, Load(at) ^ word[lane]);
      }
    }
    state[12] += 4;
    Wipe(x, sizeof(x));
    Wipe(start, sizeof(start));
  }
  return done;
}

bool WideLanesAvailable() {
#if defined(__i386__)
  static const bool sse2 = __builtin_cpu_supports("sse2");
  return sse2;
#else
  return true;
#endif
}
#endif

}  // namespace

void ChaChaXor(const uint8_t* key, const uint8_t* nonce, uint32_t counter, uint8_t* data, size_t n) {
  uint32_t state[16];
  InitialState(key, nonce, counter, state);
  size_t done = 0;
#if defined(CHACHA_WIDE)
  if (WideLanesAvailable()) done = XorFourBlocksAtATime(state, data, n);
#endif
  XorBlocks(state, data + done, n - done);
  Wipe(state, sizeof(state));
}
