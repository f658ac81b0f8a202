// The Working state's figures and texts: how far a run has come against
// what its count found, how fast it goes, and how long it will still take.
// No Windows API, so that the arithmetic is tested natively.
#pragma once
#include <cstdint>
#include <string>

#include "operations/OperationTexts.h"

struct ProgressFigures {
  bool counting = true;  // the count before the work is still going on
  bool items = false;    // recycling: items, since the bin gives no bytes
  uint32_t done = 0;     // files, or items
  uint32_t total = 0;
  uint64_t bytesDone = 0;  // for Erase, bytes times passes
  uint64_t bytesTotal = 0;
  uint32_t activeMs = 0;  // time worked since the count, pauses left out
};

// The bar runs from 0 to kBarRange: a byte count does not fit its 32 bits.
constexpr uint32_t kBarRange = 1000;
// Before this much time has been worked, the rate is too young to promise
// a time left.
constexpr uint32_t kRateWarmupMs = 3000;

// By bytes where the count found any, else by files or items; never past
// the end, whatever the run met that the count had not.
uint32_t BarPosition(const ProgressFigures& figures);
// "n of m files — x of y", or "n of m items".
std::string CountsText(const ProgressFigures& figures, const StringLoader& load);
// Bytes or items per second; "" before a second has been worked.
std::string RateText(const ProgressFigures& figures, const StringLoader& load);
// "About N minutes left" (whole minutes, rounded up; "About 1 minute left"); "" before
// kRateWarmupMs, while nothing has been done, or once nothing is left.
std::string TimeLeftText(const ProgressFigures& figures, const StringLoader& load);
