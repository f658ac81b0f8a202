// Sizes at a display's DPI: what a 96-DPI layout measures at another
// resolution, and which of the sizes a picture is drawn at comes nearest.
#pragma once

#include <cstddef>

// The resolution every layout of the module is designed at.
constexpr unsigned kDesignDpi = 96;

// value x dpi / 96, rounded half away from zero like MulDiv.
int ScaleToDpi(int value, unsigned dpi);

// The size of sizes[0..count) nearest to value x dpi / 96 (0 for none); of
// two equally near the larger one, since a picture drawn smaller than its
// item looks lost where one a little larger fills it.
int NearestSizeAtDpi(const int* sizes, size_t count, int value, unsigned dpi);

template <size_t Count>
int NearestSizeAtDpi(const int (&sizes)[Count], int value, unsigned dpi) {
  return NearestSizeAtDpi(sizes, Count, value, dpi);
}
