// One timed erasure through the engine, for tools/erase-bench.sh, which
// times the native tools on the same disk in the same run and prints the
// ratios. The time covers EraseAndDelete alone: open, every pass, delete.
//   erasebench <file> <method 0..3>          erase the file, print "seconds <t>"
//   erasebench fill <MiB>                     time the Random fill alone in memory
//   erasebench tree <folder> <method 0..3>    erase the folder as the Erase
//       command's worker does (walk, every file, every folder), print
//       "seconds <t>"; the time covers the worker alone
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "erase/Eraser.h"
#include "erase/PassFiller.h"
#include "operations/FolderOperation.h"
#include "operations/OperationWorker.h"
#include "tools/win/BenchClock.h"

namespace {

using bench::Now;

std::wstring WideArgument(const char* text) {
  const int length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
  wide.resize(static_cast<size_t>(length - 1));
  return wide;
}

int Fill(int mebibytes) {
  PassFiller filler;
  if (filler.SetUp(ErasePass{PassKind::Random, {0, 0, 0}, 0}) != kResultOk) {
    std::printf("the random source is not available\n");
    return 4;
  }
  void* chunk = ::HeapAlloc(::GetProcessHeap(), 0, ERASE_CHUNK);
  if (!chunk) return 5;
  const double start = Now();
  Result result = kResultOk;
  for (int i = 0; i < mebibytes && result == kResultOk; ++i)
    result = filler.Fill(static_cast<uint8_t*>(chunk), ERASE_CHUNK);
  const double seconds = Now() - start;
  ::HeapFree(::GetProcessHeap(), 0, chunk);
  if (result != kResultOk) return 6;
  std::printf("seconds %.6f\n", seconds);
  return 0;
}

// No dialog: the worker's progress messages go to no window and are dropped.
int Tree(const char* folder, uint32_t method) {
  Settings settings;
  settings.EraseMethod = method;
  const SelectedFolders folders = {WideArgument(folder)};
  FolderOperation operation(settings, folders, ModeErase);
  const double start = Now();
  WorkerMain(operation);
  const double seconds = Now() - start;
  if (operation.fileErrors || operation.folderErrors) {
    std::printf("erasure failed: %u file errors, %u folder errors\n", operation.fileErrors, operation.folderErrors);
    return 2;
  }
  if (::GetFileAttributesW(folders.front().c_str()) != INVALID_FILE_ATTRIBUTES) {
    std::printf("the folder is still there\n");
    return 3;
  }
  std::printf("files %u\nseconds %.6f\n", operation.filesDeleted, seconds);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "fill") return Fill(std::max(1, std::atoi(argv[2])));
  if (argc == 4 && std::string(argv[1]) == "tree") return Tree(argv[2], static_cast<uint32_t>(std::atoi(argv[3])));
  if (argc != 3) {
    std::printf("usage: erasebench <file> <method 0..3> | erasebench fill <MiB> | erasebench tree <folder> <method>\n");
    return 1;
  }
  const std::wstring path = WideArgument(argv[1]);
  const uint32_t method = static_cast<uint32_t>(std::atoi(argv[2]));
  const double start = Now();
  const int32_t outcome = EraseAndDelete(path.c_str(), method, nullptr, nullptr);
  const double seconds = Now() - start;
  if (outcome != EraseOverwritten) {
    std::printf("erasure failed: outcome %d, last error %lu\n", outcome, ::GetLastError());
    return 2;
  }
  if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    std::printf("the file is still there\n");
    return 3;
  }
  std::printf("seconds %.6f\n", seconds);
  return 0;
}
