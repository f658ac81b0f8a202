#include "erase/PassFiller.h"

#include <cstring>

Result PassFiller::SetUp(const ErasePass& pass) {
  TearDown();
  if (pass.kind == PassKind::Pattern && (pass.patternLength == 0 || pass.patternLength > sizeof(pass.pattern)))
    return TRACE_FAILURE(kResultInvalidArgument);
  kind_ = pass.kind;
  pattern_ = pass.kind == PassKind::Pattern ? pass.pattern : nullptr;
  patternLength_ = pass.kind == PassKind::Pattern ? pass.patternLength : 0;
  if (kind_ == PassKind::Random) RETURN_IF_FAILED(random_.Acquire());
  return kResultOk;
}

Result PassFiller::Fill(uint8_t* buffer, uint32_t n) {
  switch (kind_) {
    case PassKind::Random:
      RETURN_IF_FAILED(random_.Fill(buffer, n));
      break;
    case PassKind::Pattern:
      FillPattern(buffer, n, pattern_, patternLength_, produced_);
      break;
    default:
      std::memset(buffer, 0, n);
      break;
  }
  produced_ += n;
  return kResultOk;
}

void PassFiller::TearDown() {
  if (kind_ == PassKind::Random) {
    const Result released = random_.Release();
    if (Failed(released)) TRACE_FAILURE(released);
    random_.Discard();
  }
  kind_ = PassKind::Zero;
  pattern_ = nullptr;
  patternLength_ = 0;
  produced_ = 0;
}
