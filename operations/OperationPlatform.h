#pragma once
#include <windows.h>

// Platform calls of a run that tests must be able to fail.
struct OperationPlatform {
  HANDLE(WINAPI* createThread)(LPSECURITY_ATTRIBUTES security, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                               LPVOID parameter, DWORD flags, LPDWORD threadId);
  void*(WINAPI* heapAlloc)(HANDLE heap, DWORD flags, SIZE_T bytes);
  DWORD(WINAPI* tickCount)();
};
// The table in use; tests change entries and put the real ones back.
OperationPlatform& OperationCalls();
// The system's own functions.
const OperationPlatform& RealOperationCalls();
