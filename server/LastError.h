// Failed platform calls as result codes, for the code that reads the
// thread's last error after a call reports failure.
#pragma once
#include <windows.h>

#include "server/ErrorReturn.h"

// The code of a platform call that has just failed: from the thread's last
// error, or a general failure when the call left none behind (a failure must
// never pass for success).
inline Result LastFailure() {
  const DWORD error = ::GetLastError();
  return error == ERROR_SUCCESS ? kResultFail : ResultFromError(error);
}
