// What recycling a folder whole saves: the same tree of small files sent to
// the bin by the worker as one item, and item by item (the bin refusing the
// folder whole once, as it does one too large for it). Runs the variants in
// turns and prints medians, best runs and the ratio, with the bin's entries.
//   recyclebench.exe [files per folder = 100] [folders = 20] [rounds = 5]
// Run with HOME and XDG_DATA_HOME pointing at a scratch folder that holds
// Trash/ (Wine deletes for good where the bin's folder is missing).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "operations/FolderOperation.h"
#include "operations/OperationWorker.h"
#include "operations/RecyclePath.h"
#include "tools/win/BenchClock.h"

namespace {

using bench::Now;

std::string MakeTree(const std::string& name, int folders, int files) {
  char base[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, base);
  const std::string root = std::string(base) + name;
  ::CreateDirectoryA(root.c_str(), nullptr);
  for (int f = 0; f < folders; ++f) {
    const std::string folder = root + "\\d" + std::to_string(f);
    ::CreateDirectoryA(folder.c_str(), nullptr);
    for (int i = 0; i < files; ++i) {
      const std::string path = folder + "\\file" + std::to_string(i) + ".txt";
      HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      DWORD written = 0;
      ::WriteFile(file, "small", 5, &written, nullptr);
      ::CloseHandle(file);
    }
  }
  return root;
}

std::wstring refusedOnce;
int WINAPI RefuseOnce(LPSHFILEOPSTRUCTW request) {
  if (!refusedOnce.empty() && refusedOnce == request->pFrom) {
    refusedOnce.clear();
    return ERROR_ACCESS_DENIED;
  }
  return RealRecycleCalls().fileOperation(request);
}

// The bin's entries whose original path holds `token`.
int TrashEntries(const std::string& token) {
  char data[MAX_PATH] = {};
  ::GetEnvironmentVariableA("XDG_DATA_HOME", data, MAX_PATH);
  std::string info = std::string("Z:") + data + "/Trash/info";
  for (char& c : info)
    if (c == '/') c = '\\';
  int found = 0;
  WIN32_FIND_DATAA entry;
  HANDLE listing = ::FindFirstFileA((info + "\\*.trashinfo").c_str(), &entry);
  if (listing == INVALID_HANDLE_VALUE) return 0;
  do {
    HANDLE file = ::CreateFileA((info + "\\" + entry.cFileName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    char text[2048] = {};
    DWORD read = 0;
    ::ReadFile(file, text, sizeof(text) - 1, &read, nullptr);
    ::CloseHandle(file);
    if (std::string(text, read).find(token) != std::string::npos) ++found;
  } while (::FindNextFileA(listing, &entry));
  ::FindClose(listing);
  return found;
}

// Seconds of the worker's run, counted and reported entries, bin entries.
double Recycle(const std::string& root, bool whole, int expected, const std::string& token) {
  Settings settings;
  const std::wstring wide(root.begin(), root.end());
  SelectedFolders folders{wide};
  FolderOperation operation(settings, folders, ModeRecycle);
  if (!whole) refusedOnce = wide;
  RecycleCalls().fileOperation = &RefuseOnce;
  const double start = Now();
  WorkerMain(operation);
  const double seconds = Now() - start;
  RecycleCalls() = RealRecycleCalls();
  const int removed = static_cast<int>(operation.filesDeleted + operation.foldersRemoved);
  if (removed != expected) std::printf("%s: %d of %d entries\n", whole ? "whole" : "items", removed, expected);
  std::printf("  %s: %.3f s, %d bin entries\n", whole ? "whole" : "items", seconds, TrashEntries(token));
  return seconds;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Best(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

}  // namespace

int main(int argc, char** argv) {
  const int files = argc > 1 ? std::atoi(argv[1]) : 100;
  const int folders = argc > 2 ? std::atoi(argv[2]) : 20;
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 5;
  const int entries = folders * files + folders + 1;
  std::vector<double> whole, items;
  for (int round = 0; round < rounds; ++round) {
    // Each variant gets a fresh tree; the order turns from round to round.
    for (int turn = 0; turn < 2; ++turn) {
      const bool isWhole = (turn + round) % 2 == 0;
      const std::string token = "recyclebench_" + std::to_string(::GetCurrentProcessId()) + "_" +
                                std::to_string(round) + (isWhole ? "w" : "i");
      const std::string tree = MakeTree(token, folders, files);
      (isWhole ? whole : items).push_back(Recycle(tree, isWhole, entries, token));
    }
  }
  const double w = Median(whole), i = Median(items), bw = Best(whole), bi = Best(items);
  std::printf("%d files in %d folders, %d rounds: median (best)\n", folders * files, folders, rounds);
  std::printf("whole         %.4f s (%.4f s)\n", w, bw);
  std::printf("item by item  %.4f s (%.4f s)  ratio %.0f (%.0f)\n", i, bi, i / w, bi / bw);
  return 0;
}
