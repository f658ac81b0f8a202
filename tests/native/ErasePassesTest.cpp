// Pass lists of the erase methods and the pattern rule across chunk cuts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "erase/ErasePasses.h"
#include "tests/shared/EraseCycles.h"

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

TEST(ErasePasses, ValuesOutsideTheEnumerationEraseAsZeroPass) {
  for (uint32_t other : {kEraseMethodCount, 7u, 0xFFFFFFFFu}) EXPECT_EQ(PassList(ZeroPass), PassList(other)) << other;
}

TEST(ErasePasses, EveryMethodHasThePublishedPassesInTheirOrder) {
  const auto& methods = erase_cycles::MethodCycles();
  ASSERT_EQ(kEraseMethodCount, methods.size());
  for (uint32_t method = 0; method < kEraseMethodCount; ++method) {
    const ErasePass* passes = PassList(method);
    const std::vector<std::string>& cycles = methods[method];
    ASSERT_EQ(static_cast<int32_t>(cycles.size()), PassCount(passes)) << "method " << method;
    for (size_t i = 0; i < cycles.size(); ++i) {
      const ErasePass& pass = passes[i];
      const std::string where = "method " + std::to_string(method) + " pass " + std::to_string(i + 1);
      if (cycles[i].empty()) {
        EXPECT_EQ(PassKind::Random, pass.kind) << where;
      } else if (cycles[i] == std::string(1, '\0')) {
        EXPECT_EQ(PassKind::Zero, pass.kind) << where << ": zeros are a Zero pass, not a pattern";
        EXPECT_EQ(0u, pass.patternLength) << where;
      } else {
        EXPECT_EQ(PassKind::Pattern, pass.kind) << where;
        EXPECT_EQ(Bytes(cycles[i].begin(), cycles[i].end()), Bytes(pass.pattern, pass.pattern + pass.patternLength))
            << where;
      }
    }
    EXPECT_EQ(PassKind::End, passes[cycles.size()].kind);
  }
}

TEST(ErasePasses, ThreeBytePatternRunsOnAcrossChunks) {
  for (const erase_cycles::PhaseCase& c : erase_cycles::kPhaseCases) {
    const ErasePass& pass = PassList(Gutmann35Pass)[c.pass - 1];
    const std::string cycle = erase_cycles::MethodCycles()[Gutmann35Pass][c.pass - 1];
    ASSERT_EQ(3u, cycle.size()) << "pass " << c.pass;
    for (size_t chunk : {size_t{4096}, size_t{1000}, size_t{1}}) {
      const size_t size = c.chunks * 4096 + c.extra;
      const std::string expected = erase_cycles::Repeated(cycle, size);
      const Bytes written = WritePass(pass, size, chunk);
      EXPECT_EQ(Bytes(expected.begin(), expected.end()), written) << "pass " << c.pass << ", chunks of " << chunk;
    }
  }
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
