// Where one pass writes over a file: its data (only the allocated ranges of
// a sparse file), each range carried on to the end of its last cluster so
// that the slack behind the file's end is written too, and the chunks a
// range is written in.
#pragma once
#include <cstdint>
#include <vector>

struct Extent {
  uint64_t offset = 0;
  uint64_t length = 0;
  uint64_t end() const { return offset + length; }
  bool operator==(const Extent& other) const { return offset == other.offset && length == other.length; }
};

// `size` rounded up to whole clusters; a cluster of 0 or 1 (not known)
// leaves it as it is.
uint64_t AllocationEnd(uint64_t size, uint32_t cluster);

// The ranges a pass writes for a file of `size` bytes whose data lies in
// `allocated` (in the file system's order: ascending, apart): each cut to
// the file's size, then rounded out to whole clusters, and ranges that then
// meet merged. Empty ranges are dropped.
std::vector<Extent> WriteExtents(const std::vector<Extent>& allocated, uint64_t size, uint32_t cluster);

// The whole file as one range, with its slack.
std::vector<Extent> WholeFile(uint64_t size, uint32_t cluster);

// The length of the chunk that starts `done` bytes into `extent`: at most
// `chunk` bytes, so that every chunk but a range's last one is a full one.
uint32_t ChunkLength(const Extent& extent, uint64_t done, uint32_t chunk);

// The largest chunk any of the ranges needs: the size of a buffer that
// holds each of their chunks and nothing more.
uint32_t LargestChunk(const std::vector<Extent>& extents, uint32_t chunk);
