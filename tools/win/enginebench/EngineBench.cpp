// Side-by-side timings of the deletion engine against bare loops of the same
// platform calls, printed as ratios (absolute figures move between runs on a
// shared machine; ratios from one run do not).
//   enginebench [rounds]
//   enginebench tree [rounds] [files]   (the dependency-tree Delete alone)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/win/support/DependencyTree.h"
#include "erase/ErasePlatform.h"
#include "erase/Eraser.h"
#include "erase/PassFiller.h"
#include "operations/FolderOperation.h"
#include "operations/OperationWorker.h"
#include "tools/win/BenchClock.h"

namespace {

using bench::Now;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Best(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

std::string TempRoot() {
  char base[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, base);
  // Process ids come round again; a run that was stopped leaves its trees.
  std::string root = std::string(base) + "vk_enginebench_" + std::to_string(::GetCurrentProcessId()) + "_" +
                     std::to_string(::GetTickCount());
  ::CreateDirectoryA(root.c_str(), nullptr);
  return root;
}

bool MakeFile(const std::string& path, size_t size) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::vector<char> block(65536, 'x');
  for (size_t done = 0; done < size; done += block.size()) {
    DWORD written = 0;
    ::WriteFile(file, block.data(), static_cast<DWORD>(std::min(block.size(), size - done)), &written, nullptr);
  }
  ::CloseHandle(file);
  return true;
}

// One pass of zeros the way the overwrite does it, without the engine.
bool BarePass(const std::string& path) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD high = 0;
  const DWORD low = ::GetFileSize(file, &high);
  const uint64_t size = (static_cast<uint64_t>(high) << 32) | low;
  ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  static char buffer[4096];
  bool ok = true;
  for (uint64_t done = 0; ok && done < size; done += 4096) {
    const DWORD length = static_cast<DWORD>(std::min<uint64_t>(4096, size - done));
    memset(buffer, 0, length);
    LONG positionHigh = 0;
    const DWORD position = ::SetFilePointer(file, 0, &positionHigh, FILE_CURRENT);
    DWORD written = 0;
    ok = ::LockFile(file, position, positionHigh, length, 0) && ::WriteFile(file, buffer, length, &written, nullptr) &&
         ::UnlockFile(file, position, positionHigh, length, 0) && ::FlushFileBuffers(file);
  }
  ::CloseHandle(file);
  return ok;
}

bool EnginePass(const std::string& path, uint32_t method) {
  return OverwriteFile(std::wstring(path.begin(), path.end()).c_str(), PassList(method), nullptr, nullptr) == 0;
}

void MakeTree(const std::string& root, int folders, int filesPerFolder) {
  ::CreateDirectoryA(root.c_str(), nullptr);
  for (int f = 0; f < folders; ++f) {
    const std::string folder = root + "\\d" + std::to_string(f);
    ::CreateDirectoryA(folder.c_str(), nullptr);
    for (int i = 0; i < filesPerFolder; ++i) MakeFile(folder + "\\f" + std::to_string(i) + ".dat", 0);
  }
}

// Depth first, files then the folder, with nothing but the platform calls.
void BareDelete(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  HANDLE listing = ::FindFirstFileA((folder + "\\*.*").c_str(), &entry);
  if (listing != INVALID_HANDLE_VALUE) {
    do {
      if (!strcmp(entry.cFileName, ".") || !strcmp(entry.cFileName, "..")) continue;
      const std::string path = folder + "\\" + entry.cFileName;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) BareDelete(path);
      else ::DeleteFileA(path.c_str());
    } while (::FindNextFileA(listing, &entry));
    ::FindClose(listing);
  }
  ::RemoveDirectoryA(folder.c_str());
}

bool Gone(const std::string& path) { return ::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; }
bool GoneW(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES; }

// The same wide calls as a Delete run, with nothing around them: one listing
// per folder, files and subfolders as they come, then the folder.
void BareDeleteW(const std::wstring& folder, uint32_t* files) {
  WIN32_FIND_DATAW entry;
  HANDLE listing = ::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                      nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (listing != INVALID_HANDLE_VALUE) {
    do {
      if (!wcscmp(entry.cFileName, L".") || !wcscmp(entry.cFileName, L"..")) continue;
      const std::wstring path = folder + L"\\" + entry.cFileName;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) BareDeleteW(path, files);
      else if (::DeleteFileW(path.c_str())) ++*files;
    } while (::FindNextFileW(listing, &entry));
    ::FindClose(listing);
  }
  ::RemoveDirectoryW(folder.c_str());
}

LRESULT CALLBACK Sink(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcW(window, message, wParam, lParam);
}

// A message-only window that takes the worker's progress messages.
HWND MakeSinkWindow() {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = &Sink;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"EngineBenchSink";
  ::RegisterClassW(&windowClass);
  return ::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           windowClass.hInstance, nullptr);
}

// A whole Delete run as the dialog's worker does it, progress messages and
// report counts included, against a window that takes the messages.
OperationCounts WorkerDelete(const std::wstring& folder, HWND window) {
  Settings settings;
  SelectedFolders folders{folder};
  FolderOperation operation(settings, folders, ModeDelete);
  operation.window = window;
  WorkerMain(operation);
  return operation.Counts();
}

// (d) Delete of a dependency-like tree of `files` files: the worker against
// the bare loop, each on its own copy, the order alternating per round.
int DependencyTreeDelete(const std::string& rootAnsi, int rounds, uint32_t files) {
  const std::wstring root = L"\\\\?\\" + std::wstring(rootAnsi.begin(), rootAnsi.end());
  const HWND window = MakeSinkWindow();
  std::vector<double> bare, worker, made;
  for (int r = 0; r < rounds; ++r) {
    const std::wstring a = root + L"\\bare", b = root + L"\\worker";
    double t = Now();
    const DependencyTreeShape shapeA = MakeDependencyTree(a, files), shapeB = MakeDependencyTree(b, files);
    made.push_back((Now() - t) / 2);
    if (shapeA.files != files || shapeB.files != files) {
      std::printf("cannot make the dependency trees\n");
      return 6;
    }
    uint32_t bareFiles = 0;
    OperationCounts counts;
    for (int turn = 0; turn < 2; ++turn) {
      t = Now();
      if ((turn + r) % 2 == 0) {
        BareDeleteW(a, &bareFiles);
        bare.push_back(Now() - t);
      } else {
        counts = WorkerDelete(b, window);
        worker.push_back(Now() - t);
      }
    }
    if (!GoneW(a) || !GoneW(b) || bareFiles != files || counts.filesDeleted != files ||
        counts.foldersRemoved != shapeB.folders || counts.fileErrors + counts.folderErrors != 0) {
      std::printf("tree not fully deleted (bare %u files; worker %u files, %u folders, %u + %u errors)\n", bareFiles,
                  counts.filesDeleted, counts.foldersRemoved, counts.fileErrors, counts.folderErrors);
      return 7;
    }
    std::printf("    round %d: bare %.0f ms, worker %.0f ms\n", r + 1, bare.back() * 1e3, worker.back() * 1e3);
    std::fflush(stdout);
  }
  ::DestroyWindow(window);
  std::printf("(d) Delete of a dependency-like tree of %u files (made in %.0f ms each):\n", files, Median(made) * 1e3);
  std::printf("    bare loop of the wide calls %.0f ms (%.0f files/s), worker %.0f ms (%.0f files/s)\n",
              Median(bare) * 1e3, files / Median(bare), Median(worker) * 1e3, files / Median(worker));
  std::printf("    best runs: bare %.0f ms, worker %.0f ms\n", Best(bare) * 1e3, Best(worker) * 1e3);
  std::printf("    ratio worker/bare throughput %.2f by medians, %.2f by best runs (target >= 0.80)\n",
              Median(bare) / Median(worker), Best(bare) / Best(worker));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // "tree [rounds] [files]": the dependency-tree Delete alone.
  if (argc > 1 && std::string(argv[1]) == "tree") {
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 5;
    const uint32_t files = argc > 3 ? static_cast<uint32_t>(std::max(25, atoi(argv[3]))) : 20000;
    const std::string root = TempRoot();
    const int result = DependencyTreeDelete(root, rounds, files / kDependencyFilesPerPackage * kDependencyFilesPerPackage);
    ::RemoveDirectoryA(root.c_str());
    return result;
  }
  const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
  const std::string root = TempRoot();
  const size_t kPassBytes = 16u << 20;
  const std::string file = root + "\\pass.bin";
  if (!MakeFile(file, kPassBytes)) {
    std::printf("cannot create %s\n", file.c_str());
    return 1;
  }

  // (a) one erase pass of 16 MiB, engine against the bare call loop.
  std::vector<double> bare, engine;
  for (int r = 0; r < rounds; ++r) {
    // Alternate which goes first, so that neither always meets a warm file.
    for (int turn = 0; turn < 2; ++turn) {
      const double t = Now();
      if ((turn + r) % 2 == 0) {
        if (!BarePass(file)) return 2;
        bare.push_back(Now() - t);
      } else {
        if (!EnginePass(file, ZeroPass)) return 3;
        engine.push_back(Now() - t);
      }
    }
  }
  const double bareMs = Median(bare) * 1e3, engineMs = Median(engine) * 1e3;
  std::printf("(a) one pass over 16 MiB: bare loop %.0f ms (%.1f MB/s), engine %.0f ms (%.1f MB/s)\n", bareMs,
              16.0 * 1.048576 / Median(bare), engineMs, 16.0 * 1.048576 / Median(engine));
  std::printf("    ratio engine/bare throughput %.2f by medians, %.2f by best runs (target >= 0.90)\n",
              bareMs / engineMs, Best(bare) / Best(engine));

  // (b) the Random pass against the Zero pass: the fill alone, per MiB, and
  // whole passes over the same file.
  std::vector<double> zeroFill, randomFill, zeroPass, randomPass;
  static uint8_t chunk[4096];
  for (int r = 0; r < rounds; ++r) {
    for (PassKind kind : {PassKind::Zero, PassKind::Random}) {
      PassFiller filler;
      const ErasePass pass{kind, {0, 0, 0}, 0};
      if (filler.SetUp(pass) != 0) {
        std::printf("the random source is not available\n");
        return 4;
      }
      const double t = Now();
      for (int i = 0; i < 256; ++i) filler.Fill(chunk, sizeof(chunk));
      (kind == PassKind::Zero ? zeroFill : randomFill).push_back(Now() - t);
    }
    double t = Now();
    EnginePass(file, ZeroPass);
    zeroPass.push_back(Now() - t);
    t = Now();
    EnginePass(file, RandomPass);
    randomPass.push_back(Now() - t);
  }
  // Where the Random fill's time goes: the same fills with the entropy
  // samples answered at once, and the bare generator calls alone.
  std::vector<double> noSamples, generatorOnly;
  for (int r = 0; r < rounds; ++r) {
    ErasePlatform saved = EraseCalls();
    EraseCalls().getCursorPos = [](LPPOINT) -> BOOL WINAPI { return FALSE; };
    EraseCalls().getCaretPos = [](LPPOINT) -> BOOL WINAPI { return FALSE; };
    PassFiller filler;
    filler.SetUp(ErasePass{PassKind::Random, {0, 0, 0}, 0});
    double t = Now();
    for (int i = 0; i < 256; ++i) filler.Fill(chunk, sizeof(chunk));
    noSamples.push_back(Now() - t);
    filler.TearDown();
    EraseCalls() = saved;
    HCRYPTPROV provider = 0;
    ::CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT);
    t = Now();
    for (int i = 0; i < 256; ++i) {
      for (int b = 0; b < 256; ++b) ::CryptGenRandom(provider, 16, chunk + 16 * b);
      ::CryptGenRandom(provider, sizeof(chunk), chunk);
    }
    generatorOnly.push_back(Now() - t);
    ::CryptReleaseContext(provider, 0);
  }
  std::printf("(b) fill per MiB: zero %.3f ms, random %.1f ms; whole 16 MiB pass: zero %.0f ms, random %.0f ms\n",
              Median(zeroFill) * 1e3, Median(randomFill) * 1e3, Median(zeroPass) * 1e3, Median(randomPass) * 1e3);
  std::printf("    Random pass takes %.2f times a Zero pass (throughput ratio %.2f)\n",
              Median(randomPass) / Median(zeroPass), Median(zeroPass) / Median(randomPass));
  std::printf("    random fill per MiB with the cursor/caret samples answered at once %.1f ms; 257 generator calls per 4 KiB alone %.1f ms\n",
              Median(noSamples) * 1e3, Median(generatorOnly) * 1e3);

  // (c) deleting 10,000 files in 100 folders: the worker's walk against a
  // bare loop.
  const HWND window = MakeSinkWindow();
  std::vector<double> bareTree, walkerTree;
  for (int r = 0; r < rounds; ++r) {
    const std::string a = root + "\\bare", b = root + "\\walk";
    MakeTree(a, 100, 100);
    MakeTree(b, 100, 100);
    OperationCounts counts;
    for (int turn = 0; turn < 2; ++turn) {
      const double t = Now();
      if ((turn + r) % 2 == 0) {
        BareDelete(a);
        bareTree.push_back(Now() - t);
      } else {
        counts = WorkerDelete(std::wstring(b.begin(), b.end()), window);
        walkerTree.push_back(Now() - t);
      }
    }
    if (!Gone(a) || !Gone(b) || counts.filesDeleted != 10000 || counts.foldersRemoved != 101) {
      std::printf("tree not fully deleted (%u files, %u folders)\n", counts.filesDeleted, counts.foldersRemoved);
      return 5;
    }
  }
  ::DestroyWindow(window);
  std::printf("(c) 10,000 files in 100 folders: bare loop %.0f ms (%.0f files/s), walker %.0f ms (%.0f files/s)\n",
              Median(bareTree) * 1e3, 10000 / Median(bareTree), Median(walkerTree) * 1e3, 10000 / Median(walkerTree));
  std::printf("    ratio walker/bare throughput %.2f by medians, %.2f by best runs (target >= 0.80)\n",
              Median(bareTree) / Median(walkerTree), Best(bareTree) / Best(walkerTree));

  const int tree = DependencyTreeDelete(root, rounds, 20000);
  ::DeleteFileA(file.c_str());
  ::RemoveDirectoryA(root.c_str());
  return tree;
}
