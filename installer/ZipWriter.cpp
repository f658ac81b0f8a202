#include "installer/ZipWriter.h"

#include <array>
#include <limits>

namespace {

constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint16_t kVersionNeeded = 20;
constexpr uint16_t kMadeByFat = 20;
constexpr uint16_t kFixedDate = (0 << 9) | (1 << 5) | 1;  // 1980-01-01
constexpr size_t kLocalFixedSize = 30;

void Put16(Bytes& out, uint32_t value) {
  out.push_back(uint8_t(value));
  out.push_back(uint8_t(value >> 8));
}

void Put32(Bytes& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

void PutText(Bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

// The fields that the local header and the central record share, from
// "version needed" to the name's length.
void PutCommon(Bytes& out, uint32_t crc, uint32_t size, const std::string& name) {
  Put16(out, kVersionNeeded);
  Put16(out, 0);  // flags
  Put16(out, 0);  // stored
  Put16(out, 0);  // time
  Put16(out, kFixedDate);
  Put32(out, crc);
  Put32(out, size);  // compressed
  Put32(out, size);
  Put16(out, uint32_t(name.size()));
}

const std::array<uint32_t, 256>& CrcTable() {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  return table;
}

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) crc = CrcTable()[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

size_t ZipWriter::LocalHeaderSize(const std::string& name) { return kLocalFixedSize + name.size(); }

bool ZipWriter::Add(const std::string& name, const Bytes& content) {
  constexpr uint64_t kMax32 = std::numeric_limits<uint32_t>::max();
  if (name.empty() || name.size() > 0xFFFF || content.size() >= kMax32 || entries_.size() >= 0xFFFF) return false;
  if (data_.size() + LocalHeaderSize(name) + content.size() >= kMax32) return false;
  const Entry entry{name, Crc32(content.data(), content.size()), uint32_t(content.size()), uint32_t(data_.size())};
  Put32(data_, kLocalSignature);
  PutCommon(data_, entry.crc, entry.size, name);
  Put16(data_, 0);  // extra field
  PutText(data_, name);
  data_.insert(data_.end(), content.begin(), content.end());
  entries_.push_back(entry);
  return true;
}

Bytes ZipWriter::Finish() const {
  Bytes out = data_;
  const uint32_t directoryStart = uint32_t(out.size());
  for (const Entry& entry : entries_) {
    Put32(out, kCentralSignature);
    Put16(out, kMadeByFat);
    PutCommon(out, entry.crc, entry.size, entry.name);
    Put16(out, 0);  // extra field
    Put16(out, 0);  // comment
    Put16(out, 0);  // disk
    Put16(out, 0);  // internal attributes
    Put32(out, 0);  // external attributes
    Put32(out, entry.offset);
    PutText(out, entry.name);
  }
  const uint32_t directorySize = uint32_t(out.size()) - directoryStart;
  Put32(out, kEndSignature);
  Put16(out, 0);  // this disk
  Put16(out, 0);  // disk of the directory
  Put16(out, uint32_t(entries_.size()));
  Put16(out, uint32_t(entries_.size()));
  Put32(out, directorySize);
  Put32(out, directoryStart);
  Put16(out, 0);  // comment
  return out;
}
