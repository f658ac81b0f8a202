// The clock of the benchmarks in tools/win/: seconds from the performance
// counter.
#pragma once
#include <windows.h>

namespace bench {

inline double Now() {
  LARGE_INTEGER counter, frequency;
  ::QueryPerformanceCounter(&counter);
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace bench
