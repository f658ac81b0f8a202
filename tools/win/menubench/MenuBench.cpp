// menubench.exe: the cost of one right-click on a folder, as the shell pays
// it (class object CreateInstance + Initialize + QueryContextMenu + Release),
// beside the cost of the registry reads alone (SettingsStore::Load), medians
// over many rounds in one run.
//
// Usage: menubench.exe [rounds] [path of Varnoke.dll]
//   default: 1000 rounds, Varnoke.dll next to this program
//
//        menubench.exe sizes [rounds at 30,000] [path of Varnoke.dll]
//   a selection of 1, 1,000, 10,000 and 30,000 folders: Initialize +
//   QueryContextMenu + Release of one object against one bare pass over the
//   same drop list asking each path's attributes (default 3 rounds at
//   30,000 folders, more at the smaller sizes), side by side, alternating
//   which goes first.
//
// The settings key is given all ten values first (the values it already
// yields), as after the configuration sheet was saved once.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "DropData.h"
#include "server/Guids.h"
#include "settings/SettingsStore.h"

namespace {

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  const size_t n = samples.size();
  return n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

std::string ProgramDirectory() {
  char path[MAX_PATH * 2] = {};
  GetModuleFileNameA(nullptr, path, sizeof(path) - 1);
  std::string directory = path;
  return directory.substr(0, directory.rfind('\\'));
}

// The shell's own data object for one folder, made once: the shell makes it
// whether or not a handler is registered.
HRESULT FolderDataObject(const std::string& folder, IDataObject** data, PIDLIST_ABSOLUTE* parentId) {
  WCHAR wide[MAX_PATH * 2] = {};
  MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wide, MAX_PATH * 2 - 1);
  PIDLIST_ABSOLUTE id = nullptr;
  HRESULT hr = SHParseDisplayName(wide, nullptr, &id, 0, nullptr);
  if (FAILED(hr)) return hr;
  IShellFolder* parent = nullptr;
  PCUITEMID_CHILD child = nullptr;
  hr = SHBindToParent(id, IID_IShellFolder, reinterpret_cast<void**>(&parent), &child);
  if (SUCCEEDED(hr)) {
    hr = parent->GetUIObjectOf(nullptr, 1, &child, IID_IDataObject, nullptr, reinterpret_cast<void**>(data));
    parent->Release();
  }
  *parentId = ILClone(id);
  ILRemoveLastID(*parentId);
  ILFree(id);
  return hr;
}

double Best(const std::vector<double>& samples) { return *std::min_element(samples.begin(), samples.end()); }

// One right-click on the selection, without the object's creation: the
// part that grows with the number of selected folders.
bool TimeClick(IClassFactory* factory, IDataObject* data, double* elapsed) {
  IShellExtInit* init = nullptr;
  if (FAILED(factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init)))) return false;
  HMENU host = CreatePopupMenu();
  const double start = Now();
  IContextMenu* menu = nullptr;
  HRESULT hr = init->Initialize(nullptr, data, nullptr);
  if (SUCCEEDED(hr)) hr = init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu));
  if (SUCCEEDED(hr)) hr = menu->QueryContextMenu(host, 0, 100, 0x7FFF, CMF_NORMAL);
  if (menu) menu->Release();
  init->Release();
  *elapsed = Now() - start;
  RemoveMenu(host, 0, MF_BYPOSITION);
  DestroyMenu(host);
  return SUCCEEDED(hr);
}

std::vector<std::wstring> MakeFolders(size_t count) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring root = std::wstring(temp) + L"menubench_selection";
  CreateDirectoryW(root.c_str(), nullptr);
  std::vector<std::wstring> folders;
  for (size_t i = 0; i < count; ++i) {
    wchar_t name[32];
    wsprintfW(name, L"\\folder %05u", static_cast<unsigned>(i));
    folders.push_back(root + name);
    CreateDirectoryW(folders.back().c_str(), nullptr);
  }
  return folders;
}

void RemoveFolders(const std::vector<std::wstring>& folders) {
  for (const std::wstring& folder : folders) RemoveDirectoryW(folder.c_str());
  if (folders.empty()) return;
  const std::wstring& last = folders.back();
  RemoveDirectoryW(last.substr(0, last.rfind(L'\\')).c_str());
}

int RunSizes(IClassFactory* factory, int largestRounds) {
  static const size_t kSizes[] = {1, 1000, 10000, 30000};
  const std::vector<std::wstring> all = MakeFolders(30000);
  int failures = 0;
  printf("Initialize + QueryContextMenu + Release against one bare pass (medians, best runs, us)\n");
  printf("%8s %6s %12s %12s %12s %12s %8s %8s\n", "folders", "rounds", "click med", "bare med", "click best",
         "bare best", "med x", "best x");
  for (const size_t size : kSizes) {
    const int rounds = size == 1 ? 200 : std::max(largestRounds, static_cast<int>(largestRounds * 30000 / size / 10));
    const std::vector<std::wstring> selection(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(size));
    IDataObject* data = NewSharedDropData(MakeWideDropList(selection));
    std::vector<double> clicks, bares;
    for (int round = size == 1 ? -20 : -1; round < rounds; ++round) {
      double click = 0, bare = 0;
      for (int turn = 0; turn < 2; ++turn) {
        if ((turn == 0) == (round % 2 == 0)) {
          if (!TimeClick(factory, data, &click)) ++failures;
        } else {
          const double start = Now();
          FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
          STGMEDIUM medium = {};
          if (SUCCEEDED(data->GetData(&format, &medium))) {
            if (BareFolderPass(medium.hGlobal) != size) ++failures;
            ReleaseStgMedium(&medium);
          }
          bare = Now() - start;
        }
      }
      if (round < 0) continue;
      clicks.push_back(click);
      bares.push_back(bare);
    }
    data->Release();
    printf("%8u %6d %12.1f %12.1f %12.1f %12.1f %8.2f %8.2f\n", static_cast<unsigned>(size), rounds, Median(clicks),
           Median(bares), Best(clicks), Best(bares), Median(clicks) / Median(bares), Best(clicks) / Best(bares));
    fflush(stdout);
  }
  RemoveFolders(all);
  if (failures) printf("  failed rounds: %d\n", failures);
  return failures ? 2 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const bool sizes = argc > 1 && lstrcmpA(argv[1], "sizes") == 0;
  if (sizes) {
    --argc;
    ++argv;
  }
  const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : sizes ? 3 : 1000;
  const std::string module = argc > 2 ? argv[2] : ProgramDirectory() + "\\Varnoke.dll";
  if (FAILED(OleInitialize(nullptr))) return 2;

  HMODULE library = LoadLibraryA(module.c_str());
  if (!library) {
    fprintf(stderr, "menubench: cannot load %s (%lu)\n", module.c_str(), GetLastError());
    return 2;
  }
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  const auto get = reinterpret_cast<GetClassObject>(
      reinterpret_cast<void (*)()>(GetProcAddress(library, "DllGetClassObject")));
  IClassFactory* factory = nullptr;
  if (!get || FAILED(get(CLSID_CShellExt, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) {
    fprintf(stderr, "menubench: no class object\n");
    return 2;
  }
  if (sizes) {
    const int result = RunSizes(factory, rounds);
    factory->Release();
    FreeLibrary(library);
    OleUninitialize();
    return result;
  }

  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "menubench_folder";
  CreateDirectoryA(folder.c_str(), nullptr);
  IDataObject* data = nullptr;
  PIDLIST_ABSOLUTE parentId = nullptr;
  if (FAILED(FolderDataObject(folder, &data, &parentId))) {
    fprintf(stderr, "menubench: no data object for %s\n", folder.c_str());
    return 2;
  }

  Settings stored;
  SettingsStore::Load(stored);
  SettingsStore::Save(stored);

  std::vector<double> clicks, loads;
  int failures = 0;
  for (int round = -50; round < rounds; ++round) {
    HMENU host = CreatePopupMenu();
    const double start = Now();
    IShellExtInit* init = nullptr;
    IContextMenu* menu = nullptr;
    HRESULT hr = factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init));
    if (SUCCEEDED(hr)) hr = init->Initialize(parentId, data, nullptr);
    if (SUCCEEDED(hr)) hr = init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu));
    if (SUCCEEDED(hr)) hr = menu->QueryContextMenu(host, 0, 100, 0x7FFF, CMF_NORMAL);
    if (menu) menu->Release();
    if (init) init->Release();
    const double end = Now();
    // The submenu went with the handler; the shell's menu is its own.
    RemoveMenu(host, 0, MF_BYPOSITION);
    DestroyMenu(host);
    if (FAILED(hr)) ++failures;
    if (round >= 0) clicks.push_back(end - start);
  }
  for (int round = -50; round < rounds; ++round) {
    Settings settings;
    const double start = Now();
    SettingsStore::Load(settings);
    const double end = Now();
    if (round >= 0) loads.push_back(end - start);
  }

  const double click = Median(clicks);
  const double load = Median(loads);
  printf("medians over %d rounds\n", rounds);
  printf("  right-click: CreateInstance + Initialize + QueryContextMenu + Release  %8.1f us\n", click);
  printf("  registry reads alone: SettingsStore::Load                              %8.1f us\n", load);
  printf("  registry reads / right-click                                           %8.2f\n", load / click);
  if (failures) printf("  failed rounds: %d\n", failures);

  data->Release();
  ILFree(parentId);
  factory->Release();
  FreeLibrary(library);
  RemoveDirectoryA(folder.c_str());
  OleUninitialize();
  return failures ? 2 : 0;
}
