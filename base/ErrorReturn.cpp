#include "base/ErrorReturn.h"

#include <atomic>

namespace {
std::atomic<ErrorTraceHook> traceHook{nullptr};
}

Result ErrorReturn(Result code, const char* source, int line) {
  if (ErrorTraceHook hook = traceHook.load()) hook(code, source, line);
  return code;
}

ErrorTraceHook SetErrorTraceHook(ErrorTraceHook hook) { return traceHook.exchange(hook); }
