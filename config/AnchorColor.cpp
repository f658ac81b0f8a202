#include "config/AnchorColor.h"

#include <climits>
#include <string>

#include "base/Text.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Decimal integer the way the C library reads one: leading blanks, an
// optional sign, digits up to the first other character; no digits give 0.
// Out-of-range values are held at the limits of a 32-bit int.
long ReadDecimal(const std::string& text, size_t begin, size_t end) {
  size_t i = begin;
  while (i < end && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < end && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < end && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  if (value < INT_MIN) value = INT_MIN;
  return static_cast<long>(value);
}

// The next comma at or after `from`, stepping per character of the active
// code page, so that a trail byte is never taken for a comma.
size_t FindComma(const std::string& text, size_t from) {
  for (size_t i = from; i < text.size(); i = NextCharIndex(text, i))
    if (text[i] == ',') return i;
  return std::string::npos;
}

}  // namespace

std::optional<uint32_t> ParseAnchorColor(const char* text, size_t length) {
  size_t used = 0;
  while (used < length && text[used] != '\0') ++used;
  const std::string value(text, used);

  long components[3] = {};
  size_t position = 0;
  for (int k = 0; k < 2; ++k) {
    const size_t comma = FindComma(value, position);
    if (comma == std::string::npos) return std::nullopt;
    components[k] = ReadDecimal(value, position, comma);
    if (components[k] == -1) return std::nullopt;
    position = comma + 1;
  }
  if (position >= value.size()) return std::nullopt;
  // The blue component ends at any character that is not part of a number,
  // a further comma included.
  components[2] = ReadDecimal(value, position, value.size());
  return static_cast<uint32_t>(components[0] & 0xFF) | static_cast<uint32_t>(components[1] & 0xFF) << 8 |
         static_cast<uint32_t>(components[2] & 0xFF) << 16;
}

std::optional<uint32_t> AnchorColorFromValue(const unsigned char* data, size_t size) {
  if (size == 0 || size > kAnchorColorValueSize || data[size - 1] != 0) return std::nullopt;
  return ParseAnchorColor(reinterpret_cast<const char*>(data), size);
}
