// Produces the bytes of one erase pass, chunk after chunk, so that a pattern
// runs on across chunks and a Random pass draws from its own source.
#pragma once
#include <cstdint>

#include "erase/ErasePasses.h"
#include "erase/RandomSource.h"
#include "base/ErrorReturn.h"

class PassFiller {
 public:
  PassFiller() = default;
  ~PassFiller() { TearDown(); }
  PassFiller(const PassFiller&) = delete;
  PassFiller& operator=(const PassFiller&) = delete;

  // Starts a pass with a count of 0; a Random pass acquires a fresh source.
  Result SetUp(const ErasePass& pass);
  // Starts the pass over again on the next stream of the same file: the
  // count returns to 0, a random source is kept.
  void Rewind() { produced_ = 0; }
  // Goes on as if `offset` bytes had been produced: a pattern keeps its
  // phase to the target's first byte across ranges that are skipped.
  void SkipTo(uint64_t offset) { produced_ = offset; }
  // Writes exactly n bytes at the start of buffer.
  Result Fill(uint8_t* buffer, uint32_t n);
  // Releases the random source (and any handle Release leaves) and returns
  // to the not-set-up state.
  void TearDown();

  uint64_t produced() const { return produced_; }

 private:
  PassKind kind_ = PassKind::Zero;
  const uint8_t* pattern_ = nullptr;
  uint32_t patternLength_ = 0;
  uint64_t produced_ = 0;
  RandomSource random_;
};
