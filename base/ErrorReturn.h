// Result codes and the failure trace hook shared by every unit of the module.
// No <windows.h> here: the same code runs in the native build.
#pragma once
#include <cstdint>

// 32-bit result code in HRESULT layout: 0 success, negative failure.
using Result = int32_t;

constexpr Result kResultOk = 0;
constexpr Result kResultFail = static_cast<Result>(0x80004005);         // E_FAIL
constexpr Result kResultOutOfMemory = static_cast<Result>(0x8007000E);  // E_OUTOFMEMORY

// Source unit names given to ErrorReturn.
constexpr const char kUnitShellExt[] = "ShellExt";
constexpr const char kUnitDeleteDlg[] = "DeleteDlg";
constexpr const char kUnitErase[] = "Erase";

// Every internal failure passes through here with its source unit and line
// before it is returned or dropped. Returns the code unchanged.
Result ErrorReturn(Result code, const char* unit, int line);

// Tests may watch the failures that pass through ErrorReturn.
using ErrorTraceHook = void (*)(Result code, const char* unit, int line);
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

// Each .cpp that reports failures defines `static constexpr const char* kUnit`.
#define TRACE_FAILURE(code) ErrorReturn((code), kUnit, __LINE__)
#define RETURN_IF_FAILED(expr)                                   \
  do {                                                           \
    const Result result_ = (expr);                               \
    if (result_ < 0) return ErrorReturn(result_, kUnit, __LINE__); \
  } while (0)
