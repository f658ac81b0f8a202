// Double-byte text for the native tests and the fuzzers: the Shift-JIS lead
// bytes, and a lead-byte rule installed for one test or input and taken
// away again, so that the next one starts clean.
#pragma once
#include "base/Text.h"

// Shift-JIS (code page 932) lead bytes.
inline bool ShiftJisLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

class LeadBytes {
 public:
  explicit LeadBytes(LeadBytePredicate predicate) : previous_(SetLeadBytePredicate(predicate)) {}
  ~LeadBytes() { SetLeadBytePredicate(previous_); }
  LeadBytes(const LeadBytes&) = delete;
  LeadBytes& operator=(const LeadBytes&) = delete;

 private:
  LeadBytePredicate previous_;
};
