// inspect.exe: loads Varnoke.dll the way the shell does, creates a CShellExt
// over the folders given on the command line and prints what it sees: the
// module's answers, the settings the object loads and the folders it keeps.
//   inspect.exe [--dll path] folder...
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "server/Guids.h"
#include "settings/SettingsStore.h"

namespace {

using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using CanUnloadNowFn = HRESULT(WINAPI*)();

// A data object holding one CF_HDROP list, as the shell hands a selection.
class DropList : public IDataObject {
 public:
  explicit DropList(const std::vector<std::string>& paths) : paths_(paths) {}
  virtual ~DropList() = default;
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) ? this : nullptr;
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override { return --refs_; }
  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (format->cfFormat != CF_HDROP) return DV_E_FORMATETC;
    size_t bytes = sizeof(DROPFILES) + 2;
    for (const std::string& p : paths_) bytes += p.size() + 1;
    HGLOBAL memory = ::GlobalAlloc(GHND, bytes);
    if (!memory) return E_OUTOFMEMORY;
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    char* out = reinterpret_cast<char*>(drop + 1);
    for (const std::string& p : paths_) {
      std::memcpy(out, p.c_str(), p.size() + 1);
      out += p.size() + 1;
    }
    ::GlobalUnlock(memory);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP DUnadvise(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

 private:
  ULONG refs_ = 1;
  std::vector<std::string> paths_;
};

void PrintSettings() {
  Settings s;
  SettingsStore::Load(s);
  std::printf("Settings (HKCU\\%s):\n", kSettingsKeyPath);
  std::printf("  Items           0x%08lX\n", static_cast<unsigned long>(s.Items));
  std::printf("  MenuBitmaps     %ld\n", static_cast<long>(s.MenuBitmaps));
  std::printf("  DosBoxParam     \"%s\"\n", s.DosBoxParam.c_str());
  std::printf("  DeleteOption    %ld\n", static_cast<long>(s.DeleteOption));
  std::printf("  EraseMethod     %lu\n", static_cast<unsigned long>(s.EraseMethod));
  std::printf("  DeleteConfirm   %ld\n", static_cast<long>(s.DeleteConfirm));
  std::printf("  DeleteReport    %ld\n", static_cast<long>(s.DeleteReport));
  std::printf("  CleanMasks      \"%s\"\n", s.CleanMasks.c_str());
  std::printf("  CleanSubfolders %ld\n", static_cast<long>(s.CleanSubfolders));
  std::printf("  CleanReport     %ld\n", static_cast<long>(s.CleanReport));
}

}  // namespace

int main(int argc, char** argv) {
  std::string dll;
  std::vector<std::string> folders;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--dll") == 0 && i + 1 < argc) {
      dll = argv[++i];
    } else {
      char full[MAX_PATH * 2] = {};
      ::GetFullPathNameA(argv[i], sizeof(full), full, nullptr);
      folders.push_back(full);
    }
  }
  if (dll.empty()) {
    char self[MAX_PATH * 2] = {};
    ::GetModuleFileNameA(nullptr, self, sizeof(self) - 16);
    ::PathRemoveFileSpecA(self);
    dll = std::string(self) + "\\Varnoke.dll";
  }
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  HMODULE module = ::LoadLibraryA(dll.c_str());
  if (!module) {
    std::printf("cannot load %s (error %lu)\n", dll.c_str(), ::GetLastError());
    return 1;
  }
  auto getClassObject = reinterpret_cast<GetClassObjectFn>(
      reinterpret_cast<void*>(::GetProcAddress(module, "DllGetClassObject")));
  auto canUnloadNow =
      reinterpret_cast<CanUnloadNowFn>(reinterpret_cast<void*>(::GetProcAddress(module, "DllCanUnloadNow")));
  std::printf("Loaded %s\n", dll.c_str());
  std::printf("DllCanUnloadNow after load: %s\n", canUnloadNow() == S_OK ? "S_OK" : "S_FALSE");
  IClassFactory* factory = nullptr;
  HRESULT hr = getClassObject(CLSID_CShellExt, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  std::printf("DllGetClassObject(CShellExt): 0x%08lX\n", static_cast<unsigned long>(hr));
  if (FAILED(hr)) return 1;
  IShellExtInit* init = nullptr;
  hr = factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init));
  factory->Release();
  std::printf("CreateInstance: 0x%08lX\n", static_cast<unsigned long>(hr));
  if (FAILED(hr)) return 1;
  PrintSettings();
  DropList selection(folders);
  hr = init->Initialize(nullptr, &selection, nullptr);
  std::printf("Initialize with %u selected item(s): 0x%08lX%s\n", static_cast<unsigned>(folders.size()),
              static_cast<unsigned long>(hr), SUCCEEDED(hr) ? "" : " (no menu for this selection)");
  for (const std::string& f : folders)
    std::printf("  %s  %s\n", ::PathIsDirectoryA(f.c_str()) ? "[folder]" : "[other] ", f.c_str());
  std::printf("DllCanUnloadNow while the object lives: %s\n", canUnloadNow() == S_OK ? "S_OK" : "S_FALSE");
  init->Release();
  std::printf("DllCanUnloadNow after Release: %s\n", canUnloadNow() == S_OK ? "S_OK" : "S_FALSE");
  ::CoUninitialize();
  return 0;
}
