// What the operation dialog costs a Delete: the same tree of small files
// removed by the real dialog and worker, and by the walker alone with a bare
// delete callback, and the count the worker makes before its work, alone.
// Runs the variants in turns and prints medians and ratios.
//   opbench.exe [files per folder = 100] [folders = 100] [rounds = 5]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "operations/FolderOperation.h"
#include "operations/OperationDialog.h"
#include "operations/RunCount.h"
#include "operations/FolderWalker.h"
#include "resources/ResourceIds.h"
#include "tools/win/BenchClock.h"

namespace {

using bench::Now;

std::string MakeTree(int round, int folders, int files) {
  char base[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, base);
  // Wine hands out the same process ids run after run: the start time keeps
  // a tree left by a stopped run from being counted into this one's.
  static const DWORD started = ::GetTickCount();
  const std::string root = std::string(base) + "opbench_" + std::to_string(::GetCurrentProcessId()) + "_" +
                           std::to_string(started) + "_" +
                           std::to_string(round);
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

int32_t BareDelete(const wchar_t* path, int32_t kind, void* count) {
  if (kind == EntryUnlisted) return 0;
  if (kind == EntryLink ? RemoveLinkEntry(path) : kind == EntryFolderDone ? ::RemoveDirectoryW(path) : ::DeleteFileW(path))
    ++*static_cast<int*>(count);
  return 0;
}

double EngineAlone(const std::string& root, int expected) {
  int removed = 0;
  WalkOptions options{1, 1, "*", &BareDelete, &removed};
  const double start = Now();
  WalkFolder(ExtendedPath(std::wstring(root.begin(), root.end())).c_str(), options);
  const double seconds = Now() - start;
  if (expected >= 0 && removed != expected) std::printf("engine removed %d of %d entries\n", removed, expected);
  return seconds;
}

// The count a Delete makes before its work, alone: what it adds to the run
// at most (the run then reads the listings the count kept). The tree is
// removed afterwards, untimed.
double CountAlone(const std::string& root, int expected) {
  Settings settings;
  SelectedFolders folders{std::wstring(root.begin(), root.end())};
  FolderOperation operation(settings, folders, ModeDelete);
  WalkOptions options{1, 1, "*", nullptr, nullptr};
  const double start = Now();
  CountSelection(operation, options);
  const double seconds = Now() - start;
  const uint32_t counted = operation.counted.empty() ? 0 : operation.counted[0].files;
  if (counted != static_cast<uint32_t>(expected)) std::printf("count found %u of %d files\n", counted, expected);
  EngineAlone(root, -1);
  return seconds;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
  char name[16] = {};
  ::GetClassNameA(window, name, sizeof(name));
  if (lstrcmpA(name, "#32770") == 0 && ::IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

// From the click on "Yes" to the dialog's return.
double ThroughDialog(const std::string& root, int expected, int32_t report) {
  Settings settings;
  settings.DeleteReport = report;
  SelectedFolders folders{std::wstring(root.begin(), root.end())};
  FolderOperation operation(settings, folders, ModeDelete);
  const DWORD thread = ::GetCurrentThreadId();
  double clicked = 0;
  std::thread user([thread, report, &clicked] {
    HWND dialog = nullptr;
    for (int i = 0; i < 12000 && !dialog; ++i) {  // a minute: Wine's first window is slow under load
      ::EnumThreadWindows(thread, &FindDialog, reinterpret_cast<LPARAM>(&dialog));
      if (!dialog) ::Sleep(5);
    }
    if (!dialog) {
      std::printf("no dialog came within a minute: this round's dialog figures mean nothing\n");
      return;
    }
    clicked = Now();
    ::PostMessageA(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    if (report) {
      // Leave the report as soon as it shows. Style bits are read without a
      // message to the dialog thread, so watching costs the run nothing.
      const HWND icon = ::GetDlgItem(dialog, IDC_MODEICON);
      while (::IsWindow(dialog) && ::IsWindowVisible(icon)) ::Sleep(5);   // Working
      while (::IsWindow(dialog) && !::IsWindowVisible(icon)) ::Sleep(5);  // Reporting
      ::PostMessageA(::GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    }
  });
  RunOperationDialog(operation, nullptr);
  const double seconds = Now() - clicked;
  user.join();
  const int removed = static_cast<int>(operation.filesDeleted + operation.foldersRemoved);
  if (removed != expected) std::printf("dialog removed %d of %d entries\n", removed, expected);
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
  const int folders = argc > 2 ? std::atoi(argv[2]) : 100;
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 5;
  const int entries = folders * files + folders + 1;
  std::vector<double> engine, quiet, reported, counting;
  for (int round = 0; round < rounds; ++round) {
    // Each variant gets a fresh tree, made just before it runs; the order
    // turns from round to round so that no variant always goes first.
    for (int turn = 0; turn < 4; ++turn) {
      const int variant = (turn + round) % 4;
      const std::string tree = MakeTree(4 * round + variant, folders, files);
      if (variant == 0) engine.push_back(EngineAlone(tree, entries));
      if (variant == 1) quiet.push_back(ThroughDialog(tree, entries, 0));
      if (variant == 2) reported.push_back(ThroughDialog(tree, entries, 1));
      if (variant == 3) counting.push_back(CountAlone(tree, folders * files));
    }
    std::printf("round %d: engine %.3f s, dialog %.3f s, dialog with report %.3f s, count %.3f s\n", round + 1,
                engine.back(), quiet.back(), reported.back(), counting.back());
  }
  // Other programs on a shared machine slow single runs down by several
  // times; the best runs show the cost of the variants themselves.
  const double e = Median(engine), q = Median(quiet), r = Median(reported);
  const double be = Best(engine), bq = Best(quiet), br = Best(reported);
  std::printf("%d files in %d folders, %d rounds: median (best)\n", folders * files, folders, rounds);
  std::printf("engine alone         %.3f s (%.3f s)\n", e, be);
  std::printf("dialog, no report    %.3f s (%.3f s)  ratio %.2f (%.2f)\n", q, bq, e / q, be / bq);
  std::printf("dialog, with report  %.3f s (%.3f s)  ratio %.2f (%.2f)\n", r, br, e / r, be / br);
  const double c = Median(counting), bc = Best(counting);
  std::printf("count alone          %.3f s (%.3f s)  share of the dialog's run %.2f (%.2f)\n", c, bc, c / q, bc / bq);
  return 0;
}
