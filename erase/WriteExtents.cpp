#include "erase/WriteExtents.h"

namespace {

uint64_t RoundDown(uint64_t value, uint32_t cluster) { return cluster > 1 ? value - value % cluster : value; }

}  // namespace

uint64_t AllocationEnd(uint64_t size, uint32_t cluster) {
  if (cluster <= 1 || size % cluster == 0) return size;
  return size - size % cluster + cluster;
}

std::vector<Extent> WriteExtents(const std::vector<Extent>& allocated, uint64_t size, uint32_t cluster) {
  std::vector<Extent> extents;
  for (const Extent& range : allocated) {
    if (range.offset >= size || range.length == 0) continue;
    const uint64_t end = range.length > size - range.offset ? size : range.end();
    const uint64_t start = RoundDown(range.offset, cluster);
    const uint64_t stop = AllocationEnd(end, cluster);
    if (!extents.empty() && start <= extents.back().end()) {
      if (stop > extents.back().end()) extents.back().length = stop - extents.back().offset;
      continue;
    }
    extents.push_back({start, stop - start});
  }
  return extents;
}

std::vector<Extent> WholeFile(uint64_t size, uint32_t cluster) {
  if (size == 0) return {};
  return {Extent{0, AllocationEnd(size, cluster)}};
}

uint32_t ChunkLength(const Extent& extent, uint64_t done, uint32_t chunk) {
  const uint64_t left = extent.length - done;
  return left < chunk ? static_cast<uint32_t>(left) : chunk;
}

uint32_t LargestChunk(const std::vector<Extent>& extents, uint32_t chunk) {
  uint32_t largest = 0;
  for (const Extent& extent : extents) {
    const uint32_t first = ChunkLength(extent, 0, chunk);
    largest = first > largest ? first : largest;
  }
  return largest;
}
