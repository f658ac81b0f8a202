#include "server/ClassFactory.h"

#include <new>

#include "server/ComTry.h"
#include "server/ExplorerCommand.h"
#include "server/Guids.h"
#include "base/Module.h"
#include "server/ShellExt.h"

namespace {

using CreateFunction = HRESULT (*)(IUnknown* outer, REFIID iid, void** out);

// The class object. The module's cached reference alone never holds the
// module: LockCount follows the references beyond the first.
class CShellExtFactory : public IClassFactory {
 public:
  explicit CShellExtFactory(CreateFunction create) : create_(create) {
    ::InitializeCriticalSection(&section_);
  }
  virtual ~CShellExtFactory() { ::DeleteCriticalSection(&section_); }
  CShellExtFactory(const CShellExtFactory&) = delete;
  CShellExtFactory& operator=(const CShellExtFactory&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
    *out = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override {
    ::EnterCriticalSection(&section_);
    const LONG count = ++refCount_;
    if (count == 2) ModuleLock();
    ::LeaveCriticalSection(&section_);
    return static_cast<ULONG>(count);
  }
  STDMETHODIMP_(ULONG) Release() override {
    ::EnterCriticalSection(&section_);
    const LONG count = --refCount_;
    if (count == 1) ModuleUnlock();
    ::LeaveCriticalSection(&section_);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
  }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer && !IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    return create_(outer, iid, out);
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock)
      ModuleLock();
    else
      ModuleUnlock();
    return S_OK;
  }

 private:
  CRITICAL_SECTION section_;
  LONG refCount_ = 0;
  CreateFunction create_;
};

struct ObjectMapEntry {
  const CLSID* clsid;
  CreateFunction create;
  IUnknown* classObject;  // cached; this reference belongs to the module
};

// One entry per creatable class.
struct ObjectMap {
  ObjectMapEntry entries[2] = {
      {&CLSID_CShellExt, &CreateShellExt, nullptr},
      {&CLSID_VarnokeCommand, &CreateExplorerCommand, nullptr},
  };
  CRITICAL_SECTION classObjectLock;
  ObjectMap() { ::InitializeCriticalSection(&classObjectLock); }
  ~ObjectMap() {
    for (ObjectMapEntry& entry : entries) {
      if (entry.classObject) entry.classObject->Release();
      entry.classObject = nullptr;
    }
    ::DeleteCriticalSection(&classObjectLock);
  }
} objectMap;

HRESULT CreateClassObject(ObjectMapEntry& entry) {
  auto* factory = new (std::nothrow) CShellExtFactory(entry.create);
  if (!factory) return kResultOutOfMemory;
  factory->AddRef();
  entry.classObject = factory;
  return S_OK;
}

}  // namespace

HRESULT GetModuleClassObject(REFCLSID clsid, REFIID iid, void** out) {
  COM_TRY_BEGIN
  if (ModuleTornDown()) return E_UNEXPECTED;
  if (!out) return E_POINTER;
  *out = nullptr;
  for (ObjectMapEntry& entry : objectMap.entries) {
    if (!IsEqualCLSID(clsid, *entry.clsid)) continue;
    if (!entry.classObject) {
      ::EnterCriticalSection(&objectMap.classObjectLock);
      HRESULT created = S_OK;
      if (!entry.classObject) created = CreateClassObject(entry);
      ::LeaveCriticalSection(&objectMap.classObjectLock);
      if (FAILED(created)) return created;
    }
    const HRESULT hr = entry.classObject->QueryInterface(iid, out);
    if (SUCCEEDED(hr) && !*out) return CLASS_E_CLASSNOTAVAILABLE;
    return hr;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
  COM_TRY_END
}
