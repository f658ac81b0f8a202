// Failed platform calls as result codes, for the code that reads the
// thread's last error after a call reports failure.
#pragma once
#include <windows.h>

#include "base/ErrorReturn.h"

// The Win32 code of a platform call that has just failed, for code that
// reports Win32 codes: ERROR_GEN_FAILURE when the call left none behind.
inline DWORD LastErrorOrFailure() {
  const DWORD error = ::GetLastError();
  return error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : error;
}

// The code of a platform call that has just failed: from the thread's last
// error, or a general failure when the call left none behind (a failure must
// never pass for success).
inline Result LastFailure() {
  const DWORD error = ::GetLastError();
  return error == ERROR_SUCCESS ? kResultFail : ResultFromError(error);
}

// The failure of a platform call that has just failed, traced with its code.
#define TRACE_LAST_FAILURE() TRACE_FAILURE(LastFailure())
// Returns the traced failure of the call that has just failed when it did.
#define RETURN_LAST_ERROR_IF(failed)         \
  do {                                       \
    if (failed) return TRACE_LAST_FAILURE(); \
  } while (0)
