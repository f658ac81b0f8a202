// No C++ exception may leave a COM method: wrap every body.
#pragma once
#include <windows.h>

#include <new>

#define COM_TRY_BEGIN try {
#define COM_TRY_END                        \
  }                                        \
  catch (const std::bad_alloc&) {          \
    return E_OUTOFMEMORY;                  \
  }                                        \
  catch (...) {                            \
    return E_UNEXPECTED;                   \
  }
