#include "operations/ProgressLines.h"

#include <windows.h>

#include "operations/OperationPlatform.h"

namespace {

// Shared by every operation dialog of the process: each progress line
// repaints at most once per 100 ms.
// Written by dialog threads, read by workers.
volatile LONG lineStamps[3] = {0, 0, 0};
constexpr DWORD kRepaintInterval = 100;

}  // namespace

bool ProgressLineDueAt(ProgressLine line, uint32_t now) {
  // Unsigned difference: the tick counter's wrap-around does no harm.
  const DWORD stamp = static_cast<DWORD>(::InterlockedCompareExchange(&lineStamps[line], 0, 0));
  return now - stamp > kRepaintInterval;
}

void StampProgressLine(ProgressLine line, uint32_t now) {
  ::InterlockedExchange(&lineStamps[line], static_cast<LONG>(now));
}

bool ProgressLineDue(ProgressLine line) { return ProgressLineDueAt(line, OperationCalls().tickCount()); }

void ResetProgressLines() {
  for (volatile LONG& stamp : lineStamps) ::InterlockedExchange(&stamp, 0);
}
