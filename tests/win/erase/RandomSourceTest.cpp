// The random source: how it finds a provider, what it feeds the provider,
// how it gives its handles back, and whether what it writes looks random.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>

#include "EraseSpy.h"
#include "TestSupport.h"
#include "erase/Eraser.h"
#include "erase/RandomSource.h"

using namespace engine_test;
using testing_support::TempFolder;

namespace {

constexpr char kHardware[] = "Intel Hardware Cryptographic Service Provider";
constexpr char kBase[] = "Microsoft Base Cryptographic Provider v1.0";

TEST(RandomAcquire, FallsBackToTheBaseProviderAndCreatesAMissingContainer) {
  // Wine has no hardware provider; remove the user's default key container
  // so that the base provider has to create it.
  HCRYPTPROV gone = 0;
  ::CryptAcquireContextA(&gone, nullptr, kBase, PROV_RSA_FULL, CRYPT_DELETEKEYSET);
  HCRYPTPROV probe = 0;
  ASSERT_FALSE(::CryptAcquireContextA(&probe, nullptr, kBase, PROV_RSA_FULL, 0));
  ASSERT_EQ(static_cast<DWORD>(NTE_BAD_KEYSET), ::GetLastError());
  EraseSpy spy;
  {
    RandomSource source;
    ASSERT_EQ(0, source.Acquire());
    using Calls = std::vector<std::pair<std::string, DWORD>>;
    EXPECT_EQ((Calls{{kHardware, 0}, {kBase, 0}, {kBase, CRYPT_NEWKEYSET}}), spy.acquired);
    uint8_t bytes[64] = {};
    EXPECT_EQ(0, source.Fill(bytes, sizeof(bytes)));
    EXPECT_EQ(0, source.Release());
    EXPECT_FALSE(source.HoldsProvider());
  }
  EXPECT_EQ(0, spy.openProviders);
}

TEST(RandomAcquire, FailuresOfTheChainEndTheAcquisition) {
  {
    // The base provider fails for another reason than a missing container.
    EraseSpy spy;
    spy.Fail(kAcquire, ERROR_FILE_NOT_FOUND, 1);
    spy.Fail(kAcquire, static_cast<DWORD>(NTE_PROV_TYPE_NOT_DEF), 2);
    RandomSource source;
    EXPECT_EQ(static_cast<Result>(NTE_PROV_TYPE_NOT_DEF), source.Acquire());
    EXPECT_EQ(2u, spy.acquired.size()) << "no container is created";
    EXPECT_FALSE(source.HoldsProvider());
  }
  {
    // The missing container cannot be created.
    EraseSpy spy;
    spy.Fail(kAcquire, ERROR_FILE_NOT_FOUND, 1);
    spy.Fail(kAcquire, static_cast<DWORD>(NTE_BAD_KEYSET), 2);
    spy.Fail(kAcquire, static_cast<DWORD>(NTE_EXISTS), 3);
    RandomSource source;
    EXPECT_EQ(static_cast<Result>(NTE_EXISTS), source.Acquire());
    EXPECT_EQ(3u, spy.acquired.size());
    EXPECT_FALSE(source.HoldsProvider());
  }
}

TEST(RandomAcquire, HashFailureLeavesTheProviderForTheTearDown) {
  EraseSpy spy;
  {
    RandomSource source;
    spy.Fail(kCreateHash, static_cast<DWORD>(NTE_BAD_ALGID));
    EXPECT_EQ(static_cast<Result>(NTE_BAD_ALGID), source.Acquire());
    EXPECT_TRUE(source.HoldsProvider());
    EXPECT_EQ(1, spy.openProviders);
  }
  EXPECT_EQ(0, spy.openProviders);
}

TEST(RandomFill, OneDrawPerFillSeededWithTheDigestAndThePreviousContent) {
  EraseSpy spy;
  RandomSource source;
  ASSERT_EQ(0, source.Acquire());
  std::string bytes(1 << 20, '\0');
  for (size_t k = 0; k < bytes.size(); ++k) bytes[k] = static_cast<char>('A' + k % 26);
  const std::string before = bytes;
  auto* data = reinterpret_cast<uint8_t*>(&bytes[0]);
  spy.generated.clear();
  ASSERT_EQ(0, source.Fill(data, 17));
  EXPECT_EQ(before.substr(17), bytes.substr(17)) << "exactly n bytes are filled";
  EXPECT_NE(before.substr(0, 17), bytes.substr(0, 17));
  const std::string afterFirst = bytes;
  ASSERT_EQ(0, source.Fill(data, 1 << 20));
  EXPECT_EQ((std::vector<DWORD>{44, 44}), spy.generated) << "one key and nonce per chunk, whatever its size";
  // The provider is handed the digest of the machine readings, then the
  // start of what the buffer held.
  ASSERT_EQ(2u, spy.seeds.size());
  EXPECT_NE(std::string(16, '\0'), spy.seeds[0].substr(0, 16));
  EXPECT_EQ(spy.seeds[0].substr(0, 16), spy.seeds[1].substr(0, 16)) << "the hash is sealed after its first read";
  EXPECT_EQ(before.substr(0, 17) + std::string(11, '\0'), spy.seeds[0].substr(16));
  EXPECT_EQ(afterFirst.substr(0, 28), spy.seeds[1].substr(16)) << "the second fill sees what the first one left";
  EXPECT_EQ(0, source.Release());
}

TEST(RandomFill, MissingSamplesAndRefusedHashingAreNoFailure) {
  EraseSpy spy;
  RandomSource source;
  ASSERT_EQ(0, source.Acquire());
  spy.Fail(kCaret, ERROR_INVALID_WINDOW_HANDLE);
  uint8_t bytes[32] = {};
  ASSERT_EQ(0, source.Fill(bytes, sizeof(bytes)));
  EXPECT_EQ(4, spy.count[kHashData]) << "cursor, counter, system time and message time are hashed; the caret is not";
  EXPECT_EQ(0, source.Fill(bytes, sizeof(bytes)));
  EXPECT_EQ(4, spy.count[kHashData]) << "the hash took its value: no samples for later fills";
  EXPECT_EQ(1, spy.count[kCaret]);
  EXPECT_EQ(0, source.Release());

  // A hash that refuses every sample does not stop the fill either.
  RandomSource refused;
  ASSERT_EQ(0, refused.Acquire());
  spy.Fail(kHashData, static_cast<DWORD>(NTE_BAD_HASH_STATE));
  EXPECT_EQ(0, refused.Fill(bytes, sizeof(bytes)));
  EXPECT_EQ(8, spy.count[kHashData]);
  EXPECT_EQ(0, refused.Release());
}

TEST(RandomRelease, FailuresAreReturnedAndTheTearDownStillFreesAll) {
  for (const SpyCall broken : {kDestroyHash, kReleaseContext}) {
    EraseSpy spy;
    {
      RandomSource source;
      ASSERT_EQ(0, source.Acquire());
      spy.Fail(broken, ERROR_INVALID_HANDLE, 1);
      EXPECT_EQ(static_cast<Result>(0x80070006), source.Release());
      EXPECT_TRUE(source.HoldsProvider());
      source.Discard();
      EXPECT_FALSE(source.HoldsProvider());
      EXPECT_FALSE(source.HoldsHash());
    }
    EXPECT_EQ(0, spy.openProviders);
    EXPECT_EQ(0, spy.openHashes);
  }
}

// The bytes a Random erasure writes over `size` bytes.
std::string RandomPassBytes(size_t size) {
  TempFolder temp;
  const std::string file = temp.MakeFile("r.bin", std::string(size, '\0'));
  EraseSpy spy;
  EXPECT_NE(0, EraseAndDelete(Wide(file).c_str(), RandomPass, nullptr, nullptr));
  std::string all;
  for (const std::string& chunk : spy.written) all += chunk;
  return all;
}

TEST(RandomQuality, ErasuresDifferAndBytesAreEvenlySpread) {
  // Two chunks and a piece of a third.
  const size_t size = (2 << 20) + 4096;
  const std::string first = RandomPassBytes(size);
  const std::string second = RandomPassBytes(size);
  ASSERT_EQ(size, first.size());
  ASSERT_EQ(size, second.size());
  EXPECT_NE(first, second);
  size_t same = 0;
  for (size_t i = 0; i < size; ++i) same += first[i] == second[i];
  EXPECT_LT(same, size / 128) << "two erasures agree on about 1 byte in 256";

  // A run of 8 zero bytes has a chance of about 2^-64 per position.
  EXPECT_EQ(std::string::npos, first.find(std::string(8, '\0')));
  // Every chunk has a key of its own: a repeated key stream would undo the
  // previous chunk and leave the buffer's first content.
  for (size_t chunk = 1; chunk < 3; ++chunk) {
    const std::string start = first.substr(chunk << 20, 4096);
    EXPECT_NE(first.substr(0, 4096), start) << chunk;
    EXPECT_NE(first.substr((chunk - 1) << 20, 4096), start) << chunk;
  }

  // Chi-square of the byte frequencies, 255 degrees of freedom: mean 255,
  // standard deviation about 22.6; 400 is more than six deviations out.
  double counts[256] = {};
  for (unsigned char c : first) counts[c] += 1;
  const double expected = size / 256.0;
  double chiSquare = 0;
  for (double count : counts) chiSquare += (count - expected) * (count - expected) / expected;
  EXPECT_LT(chiSquare, 400.0);
  EXPECT_GT(chiSquare, 150.0) << "too even to be random";
}

// The eraser runs on the operation's worker thread, whose stack the system
// need not align as the compiler's vector code would like.
TEST(RandomQuality, FillsOnAThreadOfItsOwn) {
  struct Job {
    std::string bytes;
    static DWORD WINAPI Run(LPVOID context) {
      static_cast<Job*>(context)->bytes = RandomPassBytes(1 << 20);
      return 0;
    }
  } job;
  HANDLE thread = ::CreateThread(nullptr, 0, &Job::Run, &job, 0, nullptr);
  ASSERT_NE(nullptr, thread);
  EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread, 60000));
  ::CloseHandle(thread);
  ASSERT_EQ(size_t{1} << 20, job.bytes.size());
  EXPECT_EQ(std::string::npos, job.bytes.find(std::string(8, '\0')));
}

}  // namespace
