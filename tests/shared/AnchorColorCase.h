// A browser link colour as the registry holds it and as a COLORREF, for the
// tests of the parser (native) and of the label that paints it (Windows).
#pragma once
#include <cstdint>

namespace anchor_color_case {

constexpr char kNavyText[] = "0,0,128";
constexpr uint32_t kNavy = 0x800000;  // COLORREF: red in the low byte, blue in the third

}  // namespace anchor_color_case
