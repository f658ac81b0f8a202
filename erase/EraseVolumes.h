// What the passes need to know of the volume a file lies on, and the record
// a run keeps of it: every file of a folder, and of a volume, gets the same
// answers, and under Wine each question is a round trip to the wineserver
// or to the mount manager. A run erases many files on few volumes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The volume's allocation unit and sector, in bytes; 0 where not known.
struct VolumeUnits {
  uint32_t cluster = 0;
  uint32_t sector = 0;
};

// The volume's answers, each with whether the volume gave it. An answer not
// given stands at its default (no units: the passes end at the file's size;
// writing in place), as for a single file.
struct VolumeFacts {
  bool unitsKnown = false;
  VolumeUnits units;
  bool flagsKnown = false;
  bool writesElsewhere = false;
};

// The facts of each volume a run met, by volume serial number. Only what a
// file found out after its handle proved to lie on that volume is kept, and
// only answers the volume gave: a question that failed is asked again for
// the next file.
class EraseVolumes {
 public:
  // What is known of the volume; all unknown before its first file.
  VolumeFacts Find(uint32_t serial) const;
  // Adds what was found out on the volume to what was known; an answer
  // already known stays as it was.
  void Keep(uint32_t serial, const VolumeFacts& found);
  // How many volumes have a record.
  size_t size() const { return volumes_.size(); }

 private:
  struct Volume {
    uint32_t serial;
    VolumeFacts facts;
  };
  // A run meets a handful of volumes: a list is the quickest to search.
  std::vector<Volume> volumes_;
};
