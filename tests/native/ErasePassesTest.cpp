// Pass lists of the erase methods and the pattern rule across chunk cuts.
#include <gtest/gtest.h>

#include <vector>

#include "erase/ErasePasses.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Lays down `size` bytes of one pass in chunks of `chunk`, as the overwrite
// loop does, continuing the count from chunk to chunk.
Bytes WritePass(const ErasePass& pass, size_t size, size_t chunk = 4096) {
  Bytes file;
  Bytes buffer(chunk);
  for (uint64_t produced = 0; produced < size; produced += chunk) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(chunk, size - produced));
    FillPattern(buffer.data(), n, pass.pattern, pass.patternLength, produced);
    file.insert(file.end(), buffer.begin(), buffer.begin() + n);
  }
  return file;
}

TEST(ErasePasses, MethodsHaveTheirPassCountsAndOthersActAsZero) {
  EXPECT_EQ(1, PassCount(PassList(ZeroPass)));
  EXPECT_EQ(1, PassCount(PassList(RandomPass)));
  EXPECT_EQ(3, PassCount(PassList(DoD3Pass)));
  EXPECT_EQ(35, PassCount(PassList(Gutmann35Pass)));
  for (uint32_t other : {4u, 7u, 0xFFFFFFFFu}) {
    EXPECT_EQ(PassList(ZeroPass), PassList(other)) << other;
    EXPECT_EQ(440u, MethodTextId(other)) << other;
  }
  EXPECT_EQ(PassKind::Zero, PassList(ZeroPass)[0].kind);
  EXPECT_EQ(PassKind::Random, PassList(RandomPass)[0].kind);
  for (uint32_t m = 0; m < 4; ++m) EXPECT_EQ(440u + m, MethodTextId(m));
}

TEST(ErasePasses, DoDWritesZerosOnesRandom) {
  const ErasePass* dod = PassList(DoD3Pass);
  EXPECT_EQ(PassKind::Zero, dod[0].kind);
  EXPECT_EQ(0u, dod[0].patternLength);
  EXPECT_EQ(PassKind::Pattern, dod[1].kind);
  EXPECT_EQ(Bytes(5, 0xFF), WritePass(dod[1], 5));
  EXPECT_EQ(PassKind::Random, dod[2].kind);
}

TEST(ErasePasses, GutmannSequenceInItsFixedOrder) {
  // What each pass lays down from offset 0: nothing for Random, 00 for Zero.
  const std::vector<Bytes> expected = {
      {}, {}, {}, {}, {0x55}, {0xAA}, {0x92, 0x49, 0x24}, {0x49, 0x24, 0x92}, {0x24, 0x92, 0x49},
      {0x00}, {0x11}, {0x22}, {0x33}, {0x44}, {0x55}, {0x66}, {0x77}, {0x88}, {0x99}, {0xAA}, {0xBB}, {0xCC},
      {0xDD}, {0xEE}, {0xFF}, {0x92, 0x49, 0x24}, {0x49, 0x24, 0x92}, {0x24, 0x92, 0x49},
      {0x6D, 0xB6, 0xDB}, {0xB6, 0xDB, 0x6D}, {0xDB, 0x6D, 0xB6}, {}, {}, {}, {}};
  const ErasePass* gutmann = PassList(Gutmann35Pass);
  ASSERT_EQ(35u, expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const ErasePass& pass = gutmann[i];
    const int number = static_cast<int>(i) + 1;
    if (expected[i].empty()) {
      EXPECT_EQ(PassKind::Random, pass.kind) << "pass " << number;
    } else if (number == 10) {
      EXPECT_EQ(PassKind::Zero, pass.kind) << "pass 10 is a Zero pass, not a pattern";
      EXPECT_EQ(0u, pass.patternLength);
    } else {
      EXPECT_EQ(PassKind::Pattern, pass.kind) << "pass " << number;
      EXPECT_EQ(Bytes(pass.pattern, pass.pattern + pass.patternLength), expected[i]) << "pass " << number;
    }
  }
  EXPECT_EQ(PassKind::End, gutmann[35].kind);
}

TEST(ErasePasses, ThreeBytePatternRunsOnAcrossChunks) {
  const ErasePass& pass7 = PassList(Gutmann35Pass)[6];
  EXPECT_EQ(Bytes({0x92}), WritePass(pass7, 1));
  EXPECT_EQ(Bytes({0x92, 0x49}), WritePass(pass7, 2));
  const Bytes file = WritePass(pass7, 4097);
  EXPECT_EQ(0x92, file[4095]);
  EXPECT_EQ(0x49, file[4096]) << "4096 mod 3 is 1";

  const ErasePass& pass29 = PassList(Gutmann35Pass)[28];
  const Bytes chunks = WritePass(pass29, 12288);
  const uint8_t cycle[3] = {0x6D, 0xB6, 0xDB};
  for (size_t k = 0; k < chunks.size(); ++k) ASSERT_EQ(cycle[k % 3], chunks[k]) << "offset " << k;
  EXPECT_EQ(0x6D, chunks[0]);
  EXPECT_EQ(0xB6, chunks[4096]);
  EXPECT_EQ(0xDB, chunks[8192]);
  // Odd chunk cuts give the same bytes.
  EXPECT_EQ(chunks, WritePass(pass29, 12288, 1000));
  EXPECT_EQ(chunks, WritePass(pass29, 12288, 1));
}

TEST(ErasePasses, PhaseUsesTheWhole64BitCount) {
  const uint8_t p[3] = {1, 2, 3};
  uint8_t out[4];
  // 2^32 mod 3 = 1: a count cut to 32 bits would start at phase 0.
  FillPattern(out, 4, p, 3, uint64_t{1} << 32);
  EXPECT_EQ(Bytes({2, 3, 1, 2}), Bytes(out, out + 4));
  FillPattern(out, 4, p, 3, 0xFFFFFFFFFFFFFFFFull);  // mod 3 = 0
  EXPECT_EQ(Bytes({1, 2, 3, 1}), Bytes(out, out + 4));
}

}  // namespace
