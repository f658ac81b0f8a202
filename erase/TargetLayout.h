// What the passes can reach of a file, found before the first pass: the
// volume's cluster size (for the slack), whether the bytes written land
// where the old ones lie, and where a sparse file holds data.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "erase/EraseVolumes.h"
#include "erase/WriteExtents.h"
#include "base/ErrorReturn.h"

// Asks the volume that holds `path` for its units into facts->units, and
// sets facts->unitsKnown when it answered. Not known (zeros, the failure
// traced) when the volume will not tell: the passes then end at the file's
// size.
void ReadVolumeUnits(const wchar_t* path, VolumeFacts* facts);

// Asks the volume of the open file what it says of its writes into
// facts->writesElsewhere, and sets facts->flagsKnown when it answered.
void ReadVolumeFlags(HANDLE file, VolumeFacts* facts);

// True when every write and read of the passes can go through a handle
// opened with FILE_FLAG_NO_BUFFERING: whole sectors at sector offsets.
bool AlignedForUnbuffered(const VolumeUnits& units, uint32_t chunk);

struct TargetLayout {
  // The bytes the passes write may not land on the old ones: the file is
  // (or was, before it was decompressed) compressed, encrypted or sparse,
  // or its volume writes elsewhere.
  bool notInPlace = false;
  std::vector<Extent> extents;  // where each pass writes
};

// The layout of the open file of `size` bytes with `attributes` (read from
// its handle) on a volume of which `volume` is known. A compressed file is
// decompressed here, so that the passes reach the clusters it then holds; a
// sparse file is written over its allocated ranges alone. Fails when either
// cannot be done.
Result ReadLayout(HANDLE file, DWORD attributes, uint64_t size, const VolumeFacts& volume, TargetLayout* layout);
