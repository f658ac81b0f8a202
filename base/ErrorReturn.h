// Result codes and the failure trace hook shared by every unit of the module.
// No <windows.h> here: the same code runs in the native build.
#pragma once
#include <cstdint>

// 32-bit result code in HRESULT layout: 0 success, negative failure.
using Result = int32_t;

constexpr Result kResultOk = 0;
constexpr Result kResultFail = static_cast<Result>(0x80004005);             // E_FAIL
constexpr Result kResultOutOfMemory = static_cast<Result>(0x8007000E);      // E_OUTOFMEMORY
constexpr Result kResultInvalidArgument = static_cast<Result>(0x80070057);  // E_INVALIDARG

// Every internal failure passes through here with the source file and line
// that report it before it is returned or dropped. Returns the code unchanged.
Result ErrorReturn(Result code, const char* source, int line);

// Tests may watch the failures that pass through ErrorReturn.
using ErrorTraceHook = void (*)(Result code, const char* source, int line);
ErrorTraceHook SetErrorTraceHook(ErrorTraceHook hook);

// A thread's last error as a result code: a positive error e becomes
// 0x80070000 | (e & 0xFFFF); a code that is already negative passes
// unchanged; 0 means success.
constexpr Result ResultFromError(uint32_t error) {
  return static_cast<int32_t>(error) <= 0
             ? static_cast<Result>(error)
             : static_cast<Result>(0x80070000u | (error & 0xFFFFu));
}

constexpr bool Failed(Result r) { return r < 0; }

// The file name of a source path, without its folders.
constexpr const char* SourceFileName(const char* path) {
  const char* name = path;
  for (const char* at = path; *at != '\0'; ++at)
    if (*at == '/' || *at == '\\') name = at + 1;
  return name;
}

// The trace names the file that reports, found at compile time, so that no
// hand-kept unit name can go stale when code moves.
#define TRACE_SOURCE_FILE ([] { constexpr const char* name_ = SourceFileName(__FILE__); return name_; }())
#define TRACE_FAILURE(code) ErrorReturn((code), TRACE_SOURCE_FILE, __LINE__)
#define RETURN_IF_FAILED(expr)                      \
  do {                                              \
    const Result result_ = (expr);                  \
    if (result_ < 0) return TRACE_FAILURE(result_); \
  } while (0)
