#pragma once
#include <windows.h>

#include <cstdint>

struct FolderOperation;

// The worker: thread procedure, its body, and the callbacks of the walker
// and the eraser.
DWORD WINAPI OperationWorker(void* operation);
void WorkerMain(FolderOperation& operation);
int32_t VisitEntry(const wchar_t* path, int32_t kind, void* operation);
int32_t ReportPass(int32_t pass, int32_t passCount, void* operation);
// The eraser's word after each chunk: a cancellation stops within the pass.
int32_t ReportChunk(uint64_t bytesWritten, void* operation);
// Counts what a run that ended early left undone: `undone` errors, among the
// files for Clean (whose report counts files alone), else among the folders.
void CountUnfinished(FolderOperation& operation, uint32_t undone);
