#include "server/ShellExt.h"

#include <new>

#include "operations/FolderWalker.h"
#include "server/ComTry.h"
#include "server/DropList.h"
#include "base/ErrorReturn.h"
#include "base/Handles.h"
#include "server/Guids.h"
#include "base/Module.h"
#include "base/ScopeExit.h"
#include "settings/SettingsStore.h"

namespace {

// Type information of the class, loaded by the first call that succeeds and
// kept for the module's life.
UniqueCom<ITypeInfo> classTypeInfo;

// Aggregation wrapper: its own IUnknown is the non-delegating one; every
// other interface comes from the inner object, whose IUnknown calls go to
// the outer unknown.
class ShellExtAggregate : public IUnknown {
 public:
  explicit ShellExtAggregate(IUnknown* outer) : inner_(outer) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown)) {
      *out = static_cast<IUnknown*>(this);
      AddRef();
      return S_OK;
    }
    return inner_.InternalQueryInterface(iid, out);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refCount_); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG count = --refCount_;
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
  }
  virtual ~ShellExtAggregate() = default;

 private:
  LONG refCount_ = 0;
  CShellExt inner_;
};

}  // namespace

CShellExt::CShellExt(IUnknown* outer) : outer_(outer) {
  SettingsStore::Load(settings_);
  ModuleLock();
}

CShellExt::~CShellExt() { ModuleUnlock(); }

HRESULT CShellExt::InternalQueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  // The IShellExtInit pointer is the object's identity.
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellExtInit))
    *out = static_cast<IShellExtInit*>(this);
  else if (IsEqualIID(iid, IID_IContextMenu) || IsEqualIID(iid, IID_IContextMenu2) ||
           IsEqualIID(iid, IID_IContextMenu3))
    *out = static_cast<IContextMenu3*>(this);
  else if (IsEqualIID(iid, IID_IProvideClassInfo))
    *out = static_cast<IProvideClassInfo*>(this);
  else
    return E_NOINTERFACE;
  static_cast<IUnknown*>(*out)->AddRef();
  return S_OK;
}

STDMETHODIMP CShellExt::QueryInterface(REFIID iid, void** out) {
  if (outer_) return outer_->QueryInterface(iid, out);
  return InternalQueryInterface(iid, out);
}

STDMETHODIMP_(ULONG) CShellExt::AddRef() {
  if (outer_) return outer_->AddRef();
  return static_cast<ULONG>(++refCount_);
}

STDMETHODIMP_(ULONG) CShellExt::Release() {
  if (outer_) return outer_->Release();
  const LONG count = --refCount_;
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

STDMETHODIMP CShellExt::Initialize(PCIDLIST_ABSOLUTE, IDataObject* data, HKEY) {
  COM_TRY_BEGIN
  folders_.clear();
  folders_.shrink_to_fit();
  if (!data) return TRACE_FAILURE(kResultInvalidArgument);
  FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium = {};
  const HRESULT got = data->GetData(&format, &medium);
  if (FAILED(got)) return TRACE_FAILURE(got);
  const ScopeExit releaseMedium([&medium] { ::ReleaseStgMedium(&medium); });
  // The list is read in one pass: asked name by name, the shell walks it
  // from its start for every index, and a right-click on thousands of
  // folders would hold Explorer for seconds. The menu needs to know of
  // each name only whether it is a folder; what a command needs more is
  // asked when it runs.
  std::vector<std::wstring> names;
  if (medium.tymed != TYMED_HGLOBAL || !ReadDropList(medium.hGlobal, &names)) return TRACE_FAILURE(kResultFail);
  folders_.reserve(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    if (IsSelectableFolder(names[i])) {
      folders_.push_back(std::move(names[i]));
    } else if (i == 0) {
      return TRACE_FAILURE(kResultFail);
    }
  }
  if (folders_.empty()) return TRACE_FAILURE(kResultFail);
  return S_OK;
  COM_TRY_END
}

STDMETHODIMP CShellExt::GetClassInfo(ITypeInfo** typeInfo) {
  if (!typeInfo) return E_POINTER;
  *typeInfo = nullptr;
  ModuleLockScope lock;
  if (!classTypeInfo) {
    UniqueCom<ITypeLib> library;
    HRESULT hr = ::LoadRegTypeLib(LIBID_Varnoke, 1, 0, LOCALE_NEUTRAL, library.put());
    if (FAILED(hr)) return TRACE_FAILURE(hr);
    hr = library.get()->GetTypeInfoOfGuid(CLSID_CShellExt, classTypeInfo.put());
    if (FAILED(hr)) {
      classTypeInfo.release();
      return TRACE_FAILURE(hr);
    }
  }
  classTypeInfo.get()->AddRef();
  *typeInfo = classTypeInfo.get();
  return S_OK;
}

HRESULT CreateShellExt(IUnknown* outer, REFIID iid, void** out) {
  COM_TRY_BEGIN
  if (outer) {
    auto* aggregate = new (std::nothrow) ShellExtAggregate(outer);
    if (!aggregate) return kResultOutOfMemory;
    aggregate->AddRef();
    const HRESULT hr = aggregate->QueryInterface(iid, out);
    aggregate->Release();
    return hr;
  }
  auto* object = new (std::nothrow) CShellExt();
  if (!object) return kResultOutOfMemory;
  object->AddRef();
  const HRESULT hr = object->QueryInterface(iid, out);
  object->Release();
  return hr;
  COM_TRY_END
}
