#include "TestSupport.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>

namespace testing_support {

std::string ProgramDirectory() {
  char path[MAX_PATH * 4] = {};
  ::GetModuleFileNameA(nullptr, path, sizeof(path) - 1);
  ::PathRemoveFileSpecA(path);
  return path;
}

std::string ModulePath() { return ProgramDirectory() + "\\Varnoke.dll"; }

TempFolder::TempFolder(const std::string& tag) {
  char base[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, base);
  static LONG counter = 0;
  for (;;) {
    char name[MAX_PATH * 2];
    wsprintfA(name, "%svk_%s_%lu_%ld", base, tag.c_str(), ::GetCurrentProcessId(), ::InterlockedIncrement(&counter));
    if (::CreateDirectoryA(name, nullptr)) {
      path_ = name;
      break;
    }
    if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
}

TempFolder::~TempFolder() {
  if (!path_.empty()) RemoveTree(path_);
}

std::string TempFolder::MakeFolder(const std::string& relative) const {
  std::string full = Sub(relative);
  for (size_t i = path_.size() + 1; i <= full.size(); ++i) {
    if (i == full.size() || full[i] == '\\') ::CreateDirectoryA(full.substr(0, i).c_str(), nullptr);
  }
  return full;
}

std::string TempFolder::MakeFile(const std::string& relative, const std::string& content) const {
  const std::string full = Sub(relative);
  const size_t slash = relative.rfind('\\');
  if (slash != std::string::npos) MakeFolder(relative.substr(0, slash));
  HANDLE file = ::CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    if (!content.empty()) ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    ::CloseHandle(file);
  }
  return full;
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadFileBytes(const std::string& path) {
  std::string data;
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return data;
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) data.append(buffer, got);
  ::CloseHandle(file);
  return data;
}

void RemoveTree(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!::DeleteFileA(path.c_str())) ::RemoveDirectoryA(path.c_str());
    return;
  }
  WIN32_FIND_DATAA entry;
  HANDLE find = ::FindFirstFileA((path + "\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (std::strcmp(entry.cFileName, ".") == 0 || std::strcmp(entry.cFileName, "..") == 0) continue;
      RemoveTree(path + "\\" + entry.cFileName);
    } while (::FindNextFileA(find, &entry));
    ::FindClose(find);
  }
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::RemoveDirectoryA(path.c_str());
}

HGLOBAL MakeDropList(const std::vector<std::string>& paths) {
  size_t bytes = sizeof(DROPFILES) + 1;
  for (const std::string& p : paths) bytes += p.size() + 1;
  HGLOBAL memory = ::GlobalAlloc(GHND, bytes + 1);
  if (!memory) return nullptr;
  auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = FALSE;
  char* out = reinterpret_cast<char*>(drop) + sizeof(DROPFILES);
  for (const std::string& p : paths) {
    std::memcpy(out, p.c_str(), p.size() + 1);
    out += p.size() + 1;
  }
  *out = '\0';
  ::GlobalUnlock(memory);
  return memory;
}

namespace {

class DropDataObject : public IDataObject {
 public:
  DropDataObject(const std::vector<std::string>& paths, HRESULT result) : paths_(paths), result_(result) {}
  virtual ~DropDataObject() = default;
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDataObject)) return E_NOINTERFACE;
    *out = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG count = --refs_;
    if (count == 0) delete this;
    return count;
  }
  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (FAILED(result_)) return result_;
    if (format->cfFormat != CF_HDROP || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = MakeDropList(paths_);
    medium->pUnkForRelease = nullptr;
    return medium->hGlobal ? S_OK : E_OUTOFMEMORY;
  }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC* format) override { return format->cfFormat == CF_HDROP ? S_OK : DV_E_FORMATETC; }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  ULONG refs_ = 1;
  std::vector<std::string> paths_;
  HRESULT result_;
};

}  // namespace

IDataObject* NewDropDataObject(const std::vector<std::string>& paths, HRESULT getDataResult) {
  return new DropDataObject(paths, getDataResult);
}

void DeleteSettingsKey() { ::SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Thandrel\\Varnoke"); }

DWORD ProcessHandleCount() {
  DWORD count = 0;
  ::GetProcessHandleCount(::GetCurrentProcess(), &count);
  return count;
}

size_t ProcessHeapBytes() {
  size_t total = 0;
  HANDLE heap = ::GetProcessHeap();
  PROCESS_HEAP_ENTRY entry = {};
  ::HeapLock(heap);
  while (::HeapWalk(heap, &entry)) {
    if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
  }
  ::HeapUnlock(heap);
  return total;
}

}  // namespace testing_support
