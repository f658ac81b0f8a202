// Double-byte text for the fuzzers: the Shift-JIS lead bytes, installed for
// one input and taken away again, so that the next input starts clean.
#pragma once
#include "server/Text.h"

// Shift-JIS (code page 932) lead bytes.
inline bool ShiftJisLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

class ShiftJisWhile {
 public:
  explicit ShiftJisWhile(bool active) : previous_(SetLeadBytePredicate(active ? ShiftJisLead : nullptr)) {}
  ~ShiftJisWhile() { SetLeadBytePredicate(previous_); }
  ShiftJisWhile(const ShiftJisWhile&) = delete;
  ShiftJisWhile& operator=(const ShiftJisWhile&) = delete;

 private:
  LeadBytePredicate previous_;
};
