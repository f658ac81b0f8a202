#pragma once
#include <windows.h>

// Platform calls of a run that tests must be able to fail.
struct OperationPlatform {
  HANDLE(WINAPI* createThread)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD);
  void*(WINAPI* heapAlloc)(HANDLE, DWORD, SIZE_T);
  DWORD(WINAPI* tickCount)();
};
// The table in use; tests change entries and put the real ones back.
OperationPlatform& OperationCalls();
// The system's own functions.
const OperationPlatform& RealOperationCalls();
