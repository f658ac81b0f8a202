// The web browser's link colours ("Anchor Color" values): "r,g,b" in decimal.
// No <windows.h>: a colour is returned in COLORREF layout (0x00BBGGRR).
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>

// Parses the text (length bytes, ending earlier at a NUL); nothing beyond
// the given length is read. Empty when the text is unusable.
std::optional<uint32_t> ParseAnchorColor(const char* text, size_t length);

// A registry value as read into the 12-byte buffer: usable only when it
// holds at least one byte, ends in NUL and parses.
constexpr size_t kAnchorColorValueSize = 12;
std::optional<uint32_t> AnchorColorFromValue(const unsigned char* data, size_t size);
