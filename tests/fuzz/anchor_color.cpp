// ParseAnchorColor and the registry-value check on arbitrary bytes, with
// Shift-JIS lead bytes active for inputs of odd length. The input is copied
// into a heap block of exactly its size (and, for the value check, at most
// the 12 bytes the registry read allows), so that the sanitizers catch any
// read beyond it.
#include <cstdint>
#include <cstring>
#include <memory>

#include "config/AnchorColor.h"
#include "tests/shared/LeadBytes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const LeadBytes dbcs(size % 2 != 0 ? ShiftJisLead : nullptr);
  std::unique_ptr<char[]> text(new char[size ? size : 1]);
  if (size) std::memcpy(text.get(), data, size);
  const auto parsed = ParseAnchorColor(text.get(), size);
  if (parsed && (*parsed >> 24) != 0) __builtin_trap();

  const size_t valueSize = size < kAnchorColorValueSize ? size : kAnchorColorValueSize;
  std::unique_ptr<unsigned char[]> value(new unsigned char[valueSize ? valueSize : 1]);
  if (valueSize) std::memcpy(value.get(), data, valueSize);
  const auto fromValue = AnchorColorFromValue(value.get(), valueSize);
  // A usable value is exactly what parsing its text gives.
  if (fromValue && fromValue != ParseAnchorColor(text.get(), valueSize)) __builtin_trap();
  return 0;
}
