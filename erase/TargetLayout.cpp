#include "erase/TargetLayout.h"

#include <winioctl.h>

#include "erase/ErasePlatform.h"

namespace {

// Not in every SDK's headers: a volume whose files can share clusters
// (block cloning), where a write to a shared cluster goes to a new one.
constexpr DWORD kSupportsBlockRefcounting = 0x08000000;

// Volumes (ReFS) that may put a write anywhere but over the bytes it
// replaces: blocks shared by clones, and files with integrity streams,
// are written to new clusters. Which files that touches cannot be told
// from here, so no file of such a volume is claimed as overwritten.
constexpr DWORD kWritesElsewhere = kSupportsBlockRefcounting | FILE_SUPPORTS_INTEGRITY_STREAMS;

constexpr DWORD kOutOfPlaceAttributes = FILE_ATTRIBUTE_COMPRESSED | FILE_ATTRIBUTE_ENCRYPTED | FILE_ATTRIBUTE_SPARSE_FILE;

Result Decompress(HANDLE file) {
  USHORT format = COMPRESSION_FORMAT_NONE;
  DWORD returned = 0;
  if (!EraseCalls().deviceIoControl(file, FSCTL_SET_COMPRESSION, &format, sizeof(format), nullptr, 0, &returned,
                                    nullptr))
    return TRACE_LAST_FAILURE();
  return kResultOk;
}

// The allocated ranges of the first `size` bytes, asked for again from the
// end of the last one while the answer does not fit.
Result AllocatedRanges(HANDLE file, uint64_t size, std::vector<Extent>* ranges) {
  FILE_ALLOCATED_RANGE_BUFFER query;
  query.FileOffset.QuadPart = 0;
  query.Length.QuadPart = static_cast<LONGLONG>(size);
  FILE_ALLOCATED_RANGE_BUFFER found[64];
  for (;;) {
    DWORD returned = 0;
    const BOOL complete = EraseCalls().deviceIoControl(file, FSCTL_QUERY_ALLOCATED_RANGES, &query, sizeof(query),
                                                       found, sizeof(found), &returned, nullptr);
    RETURN_LAST_ERROR_IF(!complete && ::GetLastError() != ERROR_MORE_DATA);
    const DWORD count = returned / sizeof(found[0]);
    for (DWORD i = 0; i < count && i < sizeof(found) / sizeof(found[0]); ++i)
      ranges->push_back({static_cast<uint64_t>(found[i].FileOffset.QuadPart),
                         static_cast<uint64_t>(found[i].Length.QuadPart)});
    if (complete) return kResultOk;
    // More to come, but nothing came: asking again would never end.
    if (count == 0) return TRACE_FAILURE(ResultFromError(ERROR_MORE_DATA));
    const uint64_t next = ranges->back().end();
    if (next >= size) return kResultOk;
    query.FileOffset.QuadPart = static_cast<LONGLONG>(next);
    query.Length.QuadPart = static_cast<LONGLONG>(size - next);
  }
}

}  // namespace

void ReadVolumeUnits(const wchar_t* path, VolumeFacts* facts) {
  ErasePlatform& calls = EraseCalls();
  // A volume root is at most as long as the path that lies on it.
  std::vector<wchar_t> root(static_cast<size_t>(lstrlenW(path)) + 2);
  if (!calls.getVolumePathName(path, root.data(), static_cast<DWORD>(root.size()))) {
    TRACE_FAILURE(LastFailure());
    return;
  }
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  if (!calls.getDiskFreeSpace(root.data(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
    TRACE_FAILURE(LastFailure());
    return;
  }
  facts->unitsKnown = true;
  facts->units = VolumeUnits();
  // Both are powers of two on every file system; a product that does not
  // fit is no answer.
  const uint64_t cluster = static_cast<uint64_t>(sectorsPerCluster) * bytesPerSector;
  if (cluster == 0 || cluster > 0x80000000u) return;
  facts->units.cluster = static_cast<uint32_t>(cluster);
  facts->units.sector = bytesPerSector;
}

// A system without the call (before Vista) has none of the volumes that
// write elsewhere, which is an answer too; any other failure is traced and
// the volume taken at its word of old for this file.
void ReadVolumeFlags(HANDLE file, VolumeFacts* facts) {
  DWORD flags = 0;
  if (EraseCalls().getVolumeInformationByHandle(file, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) {
    facts->flagsKnown = true;
    facts->writesElsewhere = (flags & kWritesElsewhere) != 0;
    return;
  }
  facts->writesElsewhere = false;
  if (::GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
    facts->flagsKnown = true;
    return;
  }
  TRACE_FAILURE(LastFailure());
}

bool AlignedForUnbuffered(const VolumeUnits& units, uint32_t chunk) {
  const uint32_t sector = units.sector;
  // The buffers are whole pages (4096 bytes) from the allocation's start.
  return sector != 0 && sector <= 4096 && (sector & (sector - 1)) == 0 && units.cluster % sector == 0 &&
         chunk % sector == 0;
}

Result ReadLayout(HANDLE file, DWORD attributes, uint64_t size, const VolumeFacts& volume, TargetLayout* layout) {
  const VolumeUnits& units = volume.units;
  layout->notInPlace = (attributes & kOutOfPlaceAttributes) != 0 || volume.writesElsewhere;
  if (attributes & FILE_ATTRIBUTE_COMPRESSED) RETURN_IF_FAILED(Decompress(file));
  if (!(attributes & FILE_ATTRIBUTE_SPARSE_FILE)) {
    layout->extents = WholeFile(size, units.cluster);
    return kResultOk;
  }
  std::vector<Extent> ranges;
  RETURN_IF_FAILED(AllocatedRanges(file, size, &ranges));
  layout->extents = WriteExtents(ranges, size, units.cluster);
  return kResultOk;
}
