#include "base/DisplayScale.h"

#include <cstdint>

int ScaleToDpi(int value, unsigned dpi) {
  const int64_t product = static_cast<int64_t>(value) * dpi;
  const int64_t half = kDesignDpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / kDesignDpi : (product - half) / kDesignDpi);
}

int NearestSizeAtDpi(const int* sizes, size_t count, int value, unsigned dpi) {
  // Compared on the 96-DPI scale times dpi, so no rounding decides a tie.
  const int64_t wanted = static_cast<int64_t>(value) * dpi;
  int best = 0;
  int64_t bestDistance = 0;
  for (size_t i = 0; i < count; ++i) {
    const int64_t scaled = static_cast<int64_t>(sizes[i]) * kDesignDpi;
    const int64_t distance = scaled > wanted ? scaled - wanted : wanted - scaled;
    if (i == 0 || distance < bestDistance || (distance == bestDistance && sizes[i] > best)) {
      best = sizes[i];
      bestDistance = distance;
    }
  }
  return best;
}
