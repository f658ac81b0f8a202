// What tells one file or folder from every other: its volume's serial number
// and its file id there. Names can be swapped under a running operation;
// this pair cannot.
#pragma once
#include <cstdint>

struct FileIdentity {
  uint32_t volumeSerial = 0;
  uint64_t fileId = 0;
  bool operator==(const FileIdentity& other) const {
    return volumeSerial == other.volumeSerial && fileId == other.fileId;
  }
  bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};
