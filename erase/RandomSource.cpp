#include "erase/RandomSource.h"

#include <cstring>

#include "erase/ChaCha20.h"
#include "erase/ErasePlatform.h"

namespace {

constexpr char kHardwareProvider[] = "Intel Hardware Cryptographic Service Provider";
constexpr DWORD kProvIntelSec = 22;  // PROV_INTEL_SEC
constexpr DWORD kDigestBytes = 16;   // MD5

static_assert(RandomSource::kSeedBytes == kChaChaKeyBytes + kChaChaNonceBytes, "the draw is one key and nonce");

}  // namespace

Result RandomSource::Acquire() {
  ErasePlatform& calls = EraseCalls();
  if (calls.cryptAcquireContext(&provider_, nullptr, kHardwareProvider, kProvIntelSec, 0)) {
    // Present on few machines; the base provider below is the usual one.
  } else if (!calls.cryptAcquireContext(&provider_, nullptr, MS_DEF_PROV_A, PROV_RSA_FULL, 0)) {
    const Result failure = LastFailure();
    provider_ = 0;
    if (failure != static_cast<Result>(NTE_BAD_KEYSET)) return TRACE_FAILURE(failure);
    // The user's default key container does not exist yet.
    if (!calls.cryptAcquireContext(&provider_, nullptr, MS_DEF_PROV_A, PROV_RSA_FULL, CRYPT_NEWKEYSET)) {
      provider_ = 0;
      return TRACE_LAST_FAILURE();
    }
  }
  digestRead_ = false;
  if (!calls.cryptCreateHash(provider_, CALG_MD5, 0, 0, &hash_)) {
    hash_ = 0;
    return TRACE_LAST_FAILURE();
  }
  return kResultOk;
}

void RandomSource::HashSamples() {
  ErasePlatform& calls = EraseCalls();
  auto hash = [&](const void* data, DWORD length) {
    // Once the digest has been read the object takes no more data; the
    // provider's own state and the buffer carry the seed from then on.
    if (!calls.cryptHashData(hash_, static_cast<const BYTE*>(data), length, 0)) TRACE_LAST_FAILURE();
  };
  POINT point;
  if (calls.getCursorPos(&point)) hash(&point, sizeof(point));
  if (calls.getCaretPos(&point)) hash(&point, sizeof(point));
  LARGE_INTEGER counter;
  if (calls.queryPerformanceCounter(&counter)) hash(&counter, sizeof(counter));
  SYSTEMTIME time;
  calls.getSystemTime(&time);
  hash(&time, sizeof(time));
  const LONG messageTime = calls.getMessageTime();
  hash(&messageTime, sizeof(messageTime));
}

Result RandomSource::Fill(uint8_t* buffer, uint32_t n) {
  ErasePlatform& calls = EraseCalls();
  // A hash object whose value has been read takes no more data, so the
  // samples (each a round trip to the window system) are only taken while
  // they can still count; later fills are seeded by the buffer's previous
  // content and the provider's own state.
  if (!digestRead_) HashSamples();
  // The provider takes what the seed block holds as extra seed: the digest,
  // then the start of the buffer's previous content.
  BYTE seed[kSeedBytes] = {};
  DWORD digestSize = kDigestBytes;
  RETURN_LAST_ERROR_IF(!calls.cryptGetHashParam(hash_, HP_HASHVAL, seed, &digestSize, 0));
  if (digestSize == 0 || digestSize > kDigestBytes) return TRACE_FAILURE(kResultFail);
  digestRead_ = true;
  const uint32_t carried = n < kSeedBytes - kDigestBytes ? n : kSeedBytes - kDigestBytes;
  std::memcpy(seed + kDigestBytes, buffer, carried);
  if (!calls.cryptGenRandom(provider_, sizeof(seed), seed)) {
    SecureZeroMemory(seed, sizeof(seed));
    return TRACE_LAST_FAILURE();
  }
  // Exclusive-or rather than overwrite: the previous content stays an input
  // of every byte, and a uniform key stream keeps the result uniform.
  ChaChaXor(seed, seed + kChaChaKeyBytes, 0, buffer, n);
  SecureZeroMemory(seed, sizeof(seed));
  return kResultOk;
}

Result RandomSource::Release() {
  ErasePlatform& calls = EraseCalls();
  if (hash_ != 0) {
    RETURN_LAST_ERROR_IF(!calls.cryptDestroyHash(hash_));
    hash_ = 0;
    digestRead_ = false;
  }
  if (provider_ != 0) {
    RETURN_LAST_ERROR_IF(!calls.cryptReleaseContext(provider_, 0));
    provider_ = 0;
  }
  return kResultOk;
}

void RandomSource::Discard() {
  ErasePlatform& calls = EraseCalls();
  if (hash_ != 0) calls.cryptDestroyHash(hash_);
  if (provider_ != 0) calls.cryptReleaseContext(provider_, 0);
  hash_ = 0;
  provider_ = 0;
  digestRead_ = false;
}
