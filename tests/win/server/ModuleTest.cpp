// The module as the host process sees it: class object, lock count, objects.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "server/Guids.h"

using namespace testing_support;

namespace {

using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using CanUnloadNowFn = HRESULT(WINAPI*)();

struct Module {
  HMODULE handle = ::LoadLibraryA(ModulePath().c_str());
  GetClassObjectFn getClassObject =
      reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(::GetProcAddress(handle, "DllGetClassObject")));
  CanUnloadNowFn canUnloadNow =
      reinterpret_cast<CanUnloadNowFn>(reinterpret_cast<void*>(::GetProcAddress(handle, "DllCanUnloadNow")));
  ~Module() {
    if (handle) ::FreeLibrary(handle);
  }
  IClassFactory* Factory() {
    IClassFactory* factory = nullptr;
    EXPECT_EQ(S_OK, getClassObject(CLSID_CShellExt, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
    return factory;
  }
};

class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(nullptr, module.handle) << ModulePath();
    ASSERT_NE(nullptr, module.getClassObject);
    ASSERT_NE(nullptr, module.canUnloadNow);
  }
  Module module;
};

// A controlling unknown for aggregation.
class Outer : public IUnknown {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown)) {
      *out = this;
      AddRef();
      return S_OK;
    }
    return inner ? inner->QueryInterface(iid, out) : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  virtual ~Outer() = default;
  ULONG refs = 1;
  IUnknown* inner = nullptr;
};

}  // namespace

TEST_F(ModuleTest, CanUnloadRightAfterLoad) { EXPECT_EQ(S_OK, module.canUnloadNow()); }

TEST_F(ModuleTest, ClassObjectHoldsTheModuleOnlyWhileTheHostHoldsIt) {
  IClassFactory* factory = module.Factory();
  ASSERT_NE(nullptr, factory);
  EXPECT_EQ(S_FALSE, module.canUnloadNow());
  IClassFactory* again = module.Factory();
  EXPECT_EQ(factory, again);  // the same cached class object
  again->Release();
  EXPECT_EQ(S_FALSE, module.canUnloadNow());
  factory->Release();
  // Only the module's own cached reference remains.
  EXPECT_EQ(S_OK, module.canUnloadNow());
  IClassFactory* third = module.Factory();
  EXPECT_EQ(factory, third);
  third->Release();
}

TEST_F(ModuleTest, UnknownClassIdIsRefusedWithNullOutPointer) {
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, module.getClassObject(IID_IUnknown, IID_IClassFactory, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(E_POINTER, module.getClassObject(CLSID_CShellExt, IID_IClassFactory, nullptr));
  out = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_NOINTERFACE, module.getClassObject(CLSID_CShellExt, IID_IShellExtInit, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(S_OK, module.canUnloadNow());
}

TEST_F(ModuleTest, EveryLiveObjectHoldsTheModule) {
  IClassFactory* factory = module.Factory();
  IUnknown* first = nullptr;
  IUnknown* second = nullptr;
  ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&first)));
  ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(&second)));
  factory->Release();
  EXPECT_EQ(S_FALSE, module.canUnloadNow());
  first->Release();
  EXPECT_EQ(S_FALSE, module.canUnloadNow());
  second->Release();
  EXPECT_EQ(S_OK, module.canUnloadNow());
}

TEST_F(ModuleTest, LockServerHoldsTheModuleUntilUnlocked) {
  IClassFactory* factory = module.Factory();
  factory->Release();
  ASSERT_EQ(S_OK, module.canUnloadNow());
  ASSERT_EQ(S_OK, factory->LockServer(TRUE));
  EXPECT_EQ(S_FALSE, module.canUnloadNow());
  ASSERT_EQ(S_OK, factory->LockServer(FALSE));
  EXPECT_EQ(S_OK, module.canUnloadNow());
}

TEST_F(ModuleTest, UnsupportedInterfaceLeavesNoObjectAndNoLock) {
  IClassFactory* factory = module.Factory();
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IDataObject, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_IUnknown, nullptr));
  factory->Release();
  EXPECT_EQ(S_OK, module.canUnloadNow());
}

TEST_F(ModuleTest, AggregationNeedsIUnknownAndDelegatesToTheOuterObject) {
  IClassFactory* factory = module.Factory();
  Outer outer;
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(&outer, IID_IShellExtInit, &out));
  EXPECT_EQ(nullptr, out);

  IUnknown* inner = nullptr;
  ASSERT_EQ(S_OK, factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner)));
  factory->Release();
  outer.inner = inner;
  EXPECT_EQ(S_FALSE, module.canUnloadNow());

  // The inner IUnknown answers IUnknown with itself.
  IUnknown* self = nullptr;
  ASSERT_EQ(S_OK, inner->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&self)));
  EXPECT_EQ(inner, self);
  self->Release();

  // Other interfaces come from the object, and their IUnknown goes to the outer.
  IContextMenu* menu = nullptr;
  const ULONG before = outer.refs;
  ASSERT_EQ(S_OK, inner->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu)));
  EXPECT_EQ(before + 1, outer.refs);
  IUnknown* identity = nullptr;
  ASSERT_EQ(S_OK, menu->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
  EXPECT_EQ(static_cast<IUnknown*>(&outer), identity);
  identity->Release();
  menu->Release();
  EXPECT_EQ(before, outer.refs);

  inner->Release();
  EXPECT_EQ(S_OK, module.canUnloadNow());
}

TEST_F(ModuleTest, TheExplorerCommandAndItsSubCommandsHoldTheModuleUntilReleased) {
  IClassFactory* factory = nullptr;
  ASSERT_EQ(S_OK, module.getClassObject(CLSID_VarnokeCommand, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
  IExplorerCommand* root = nullptr;
  ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IExplorerCommand, reinterpret_cast<void**>(&root)));
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(root, IID_IUnknown, &out));
  EXPECT_EQ(nullptr, out);
  factory->Release();
  IEnumExplorerCommand* children = nullptr;
  ASSERT_EQ(S_OK, root->EnumSubCommands(&children));
  IExplorerCommand* first = nullptr;
  ASSERT_EQ(S_OK, children->Next(1, &first, nullptr));
  // The sub-command and the enumerator keep what they need of the root.
  root->Release();
  EXPECT_EQ(S_FALSE, module.canUnloadNow());
  EXPECT_EQ(0u, children->Release());
  EXPECT_EQ(S_FALSE, module.canUnloadNow());
  EXPECT_EQ(0u, first->Release());
  EXPECT_EQ(S_OK, module.canUnloadNow());
}
