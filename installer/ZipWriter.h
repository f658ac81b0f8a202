// A zip archive of stored (uncompressed) entries, as the package format
// (OPC) takes them. Pure code. Entries carry a fixed time (1980-01-01), so
// that one input always gives the same archive; sizes are known before each
// entry is written, so no data descriptors and no zip64 records.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

uint32_t Crc32(const uint8_t* data, size_t size);

class ZipWriter {
 public:
  // Appends an entry; `name` uses '/' between folders. Returns false for a
  // name or content the format cannot hold (empty name, over 64 KiB of name,
  // 4 GiB of content, 65535 entries).
  bool Add(const std::string& name, const Bytes& content);
  // The size of the entry's local file header, as the block map states it.
  static size_t LocalHeaderSize(const std::string& name);
  // The archive: the entries, the central directory and its end record.
  Bytes Finish() const;

 private:
  struct Entry {
    std::string name;
    uint32_t crc;
    uint32_t size;
    uint32_t offset;
  };
  std::vector<Entry> entries_;
  Bytes data_;
};
