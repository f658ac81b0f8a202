// Where a pass writes: slack to the end of the last cluster, a sparse
// file's ranges rounded out to clusters, and the chunks of a range.
#include <gtest/gtest.h>

#include <vector>

#include "erase/WriteExtents.h"

namespace {

using Extents = std::vector<Extent>;

TEST(WriteExtents, SlackRunsToTheEndOfTheLastCluster) {
  EXPECT_EQ(0u, AllocationEnd(0, 4096));
  EXPECT_EQ(4096u, AllocationEnd(1, 4096));
  EXPECT_EQ(4096u, AllocationEnd(4096, 4096));
  EXPECT_EQ(8192u, AllocationEnd(4097, 4096));
  EXPECT_EQ((uint64_t{1} << 32) + 65536, AllocationEnd((uint64_t{1} << 32) + 16, 65536)) << "64-bit sizes";
  // Not known: the file's own end.
  EXPECT_EQ(4097u, AllocationEnd(4097, 0));
  EXPECT_EQ(4097u, AllocationEnd(4097, 1));
  EXPECT_EQ(Extents{}, WholeFile(0, 4096)) << "an empty file has no slack to write";
  EXPECT_EQ((Extents{{0, 8192}}), WholeFile(5000, 4096));
}

TEST(WriteExtents, SparseRangesAreCutToTheSizeRoundedOutAndMerged) {
  const uint32_t cluster = 4096;
  // Rounded out on both sides; the last one cut at the size, then given
  // its slack.
  EXPECT_EQ((Extents{{0, 4096}, {65536, 8192}, {1 << 20, 8192}}),
            WriteExtents({{100, 200}, {65536 + 10, 5000}, {1 << 20, 100000}}, (1 << 20) + 5000, cluster));
  // Ranges that meet once rounded become one; empty ones and those past
  // the end are dropped.
  EXPECT_EQ((Extents{{0, 12288}}), WriteExtents({{0, 5000}, {6000, 10}, {8192, 0}, {9000, 100}}, 20000, cluster));
  EXPECT_EQ((Extents{{4096, 4096}}), WriteExtents({{4096, 4096}, {20000, 4096}}, 20000, cluster));
  EXPECT_EQ(Extents{}, WriteExtents({}, 20000, cluster)) << "all holes: nothing to write";
  // A cluster not known: the ranges as given, cut to the size.
  EXPECT_EQ((Extents{{100, 200}, {1000, 500}}), WriteExtents({{100, 200}, {1000, 900}}, 1500, 0));
}

TEST(WriteExtents, ChunksAreFullButTheLastOfARange) {
  const Extent extent{1 << 20, 3 * (1 << 20) + 4096};
  std::vector<uint32_t> lengths;
  for (uint64_t done = 0; done < extent.length; done += lengths.back())
    lengths.push_back(ChunkLength(extent, done, 1 << 20));
  EXPECT_EQ((std::vector<uint32_t>{1 << 20, 1 << 20, 1 << 20, 4096}), lengths);
  EXPECT_EQ(uint32_t{1} << 20, LargestChunk({{0, 4096}, extent}, 1 << 20));
  EXPECT_EQ(8192u, LargestChunk({{0, 4096}, {65536, 8192}}, 1 << 20)) << "the buffer holds what the ranges need";
  EXPECT_EQ(0u, LargestChunk({}, 1 << 20));
}

}  // namespace
