// What one rename of an erased entry costs against the size of its folder:
// Wine looks for a new name through the whole folder, case-insensitively,
// before it takes it. For each folder size, one file in a folder of that
// many is renamed again and again relative to the folder's handle, to random
// names of 5 letters and digits (which could be a short 8.3 name, which Wine
// also compares) and of 12 (which cannot); medians and best of the rounds,
// in microseconds per rename.
//   renamebench [rounds = 5] [renames per round = 70]
#include <windows.h>
#include <ntsecapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/OpenAt.h"
#include "erase/RandomName.h"
#include "tools/win/BenchClock.h"

namespace {

using bench::Now;

std::string MakeFolder(int entries) {
  char base[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, base);
  const std::string root = std::string(base) + "renamebench_" + std::to_string(::GetCurrentProcessId()) + "_" +
                           std::to_string(entries);
  ::CreateDirectoryA(root.c_str(), nullptr);
  for (int i = 0; i < entries; ++i) {
    char name[16];
    std::snprintf(name, sizeof(name), "\\f%05d", i);
    HANDLE file = ::CreateFileA((root + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ::CloseHandle(file);
  }
  return root;
}

void RemoveFolder(const std::string& root) {
  WIN32_FIND_DATAA entry;
  const HANDLE listing = ::FindFirstFileA((root + "\\*").c_str(), &entry);
  if (listing != INVALID_HANDLE_VALUE) {
    do {
      if (entry.cFileName[0] != '.') ::DeleteFileA((root + "\\" + entry.cFileName).c_str());
    } while (::FindNextFileA(listing, &entry));
    ::FindClose(listing);
  }
  ::RemoveDirectoryA(root.c_str());
}

// Microseconds per rename of the folder's first file, over `count` renames
// to names of `length`.
double TimeRenames(const std::string& root, size_t length, int count, RandomNames& names) {
  const HANDLE folder = ::CreateFileA(root.c_str(), FILE_LIST_DIRECTORY | SYNCHRONIZE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  HANDLE file = ::CreateFileA((root + "\\f00000").c_str(), DELETE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  std::vector<wchar_t> name(length);
  int failed = 0;
  const double start = Now();
  for (int i = 0; i < count; ++i) {
    names.Next(name.data(), length);
    if (RenameAt(file, folder, name.data(), static_cast<uint32_t>(length)) != ERROR_SUCCESS) ++failed;
  }
  const double seconds = Now() - start;
  // The first name back, for the next round.
  RenameAt(file, folder, L"f00000", 6);
  ::CloseHandle(file);
  ::CloseHandle(folder);
  if (failed) std::printf("%d renames failed\n", failed);
  return seconds * 1e6 / count;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 70;
  uint8_t seed[kRandomNameSeedBytes] = {};
  if (!::RtlGenRandom(seed, sizeof(seed))) return 1;
  RandomNames names(seed);
  std::printf("%8s  %22s  %22s   (us per rename: median, best)\n", "entries", "5 letters (8.3)", "12 letters");
  for (const int entries : {1, 100, 1000, 5000, 10000}) {
    const std::string root = MakeFolder(entries);
    std::vector<double> shortNames, longNames;
    for (int round = 0; round < rounds; ++round) {
      // Alternating which goes first.
      if (round % 2) shortNames.push_back(TimeRenames(root, 5, count, names));
      longNames.push_back(TimeRenames(root, 12, count, names));
      if (!(round % 2)) shortNames.push_back(TimeRenames(root, 5, count, names));
    }
    std::printf("%8d  %10.0f %10.0f  %10.0f %10.0f\n", entries, Median(shortNames),
                *std::min_element(shortNames.begin(), shortNames.end()), Median(longNames),
                *std::min_element(longNames.begin(), longNames.end()));
    RemoveFolder(root);
  }
  return 0;
}
