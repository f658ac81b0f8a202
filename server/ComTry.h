// No C++ exception may leave a COM method: wrap every body.
#pragma once
#include <windows.h>

#include <new>

#include "base/ErrorReturn.h"

#define COM_TRY_BEGIN try {
#define COM_TRY_END                        \
  }                                        \
  catch (const std::bad_alloc&) {          \
    return kResultOutOfMemory;             \
  }                                        \
  catch (...) {                            \
    return E_UNEXPECTED;                   \
  }
