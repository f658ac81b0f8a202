#include "DropData.h"

#include <shlobj.h>

#include <cstring>

namespace {

// Keeps the block alive for as long as a medium handed out refers to it:
// ReleaseStgMedium releases this object instead of freeing the block.
class Keeper : public IUnknown {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = IsEqualIID(iid, IID_IUnknown) ? static_cast<IUnknown*>(this) : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  virtual ~Keeper() = default;
};

class SharedDropData : public IDataObject {
 public:
  explicit SharedDropData(HGLOBAL drop) : drop_(drop) {}
  virtual ~SharedDropData() { ::GlobalFree(drop_); }
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDataObject)) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
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
    if (format->cfFormat != CF_HDROP || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = drop_;
    medium->pUnkForRelease = &keeper_;
    return S_OK;
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
  HGLOBAL drop_;
  Keeper keeper_;
};

}  // namespace

HGLOBAL MakeWideDropList(const std::vector<std::wstring>& paths) {
  size_t units = 1;
  for (const std::wstring& p : paths) units += p.size() + 1;
  HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + units * sizeof(wchar_t));
  if (!memory) return nullptr;
  auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  auto* out = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(drop) + sizeof(DROPFILES));
  for (const std::wstring& p : paths) {
    std::memcpy(out, p.c_str(), (p.size() + 1) * sizeof(wchar_t));
    out += p.size() + 1;
  }
  *out = L'\0';
  ::GlobalUnlock(memory);
  return memory;
}

IDataObject* NewSharedDropData(HGLOBAL drop) { return new SharedDropData(drop); }

size_t BareFolderPass(HGLOBAL drop) {
  const auto* block = static_cast<const char*>(::GlobalLock(drop));
  if (!block) return 0;
  const auto* name = reinterpret_cast<const wchar_t*>(block + reinterpret_cast<const DROPFILES*>(block)->pFiles);
  size_t folders = 0;
  while (*name) {
    const DWORD attributes = ::GetFileAttributesW(name);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) ++folders;
    name += lstrlenW(name) + 1;
  }
  ::GlobalUnlock(drop);
  return folders;
}
