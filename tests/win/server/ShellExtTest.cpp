// CShellExt: interface identity and the capture of the selected folders.
#include <windows.h>
#include <oleauto.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/ErrorReturn.h"
#include "server/Guids.h"
#include "base/Module.h"
#include "server/ShellExt.h"
#include "tests/win/operations/WideTree.h"

using namespace testing_support;
using wide_tree::W;

namespace {

// The module's type library is built for its own machine.
#if defined(_WIN64)
constexpr SYSKIND kModuleSysKind = SYS_WIN64;
#else
constexpr SYSKIND kModuleSysKind = SYS_WIN32;
#endif

// One object made through the class object, as the shell makes it.
struct Object {
  IShellExtInit* init = nullptr;
  Object() {
    EXPECT_EQ(S_OK, CreateShellExt(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init)));
  }
  ~Object() {
    if (init) init->Release();
  }
  CShellExt* get() const { return static_cast<CShellExt*>(init); }
  HRESULT Initialize(const std::vector<std::string>& paths, HRESULT getData = S_OK) {
    IDataObject* data = NewDropDataObject(paths, getData);
    const HRESULT hr = init->Initialize(nullptr, data, nullptr);
    data->Release();
    return hr;
  }
};

std::vector<std::tuple<Result, std::string, int>> traced;
void RecordTrace(Result code, const char* unit, int line) { traced.emplace_back(code, unit, line); }

}  // namespace

TEST(ShellExtIdentity, ContextMenuInterfacesShareOnePointerAndIUnknownIsTheInitPointer) {
  Object object;
  IUnknown* unknown = nullptr;
  IContextMenu* menu = nullptr;
  IContextMenu2* menu2 = nullptr;
  IContextMenu3* menu3 = nullptr;
  IProvideClassInfo* info = nullptr;
  ASSERT_EQ(S_OK, object.init->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
  ASSERT_EQ(S_OK, object.init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu)));
  ASSERT_EQ(S_OK, object.init->QueryInterface(IID_IContextMenu2, reinterpret_cast<void**>(&menu2)));
  ASSERT_EQ(S_OK, object.init->QueryInterface(IID_IContextMenu3, reinterpret_cast<void**>(&menu3)));
  ASSERT_EQ(S_OK, menu->QueryInterface(IID_IProvideClassInfo, reinterpret_cast<void**>(&info)));
  EXPECT_EQ(static_cast<IUnknown*>(object.init), unknown);
  EXPECT_EQ(static_cast<void*>(menu), static_cast<void*>(menu2));
  EXPECT_EQ(static_cast<void*>(menu), static_cast<void*>(menu3));
  IUnknown* fromInfo = nullptr;
  ASSERT_EQ(S_OK, info->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromInfo)));
  EXPECT_EQ(unknown, fromInfo);
  void* none = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_NOINTERFACE, menu3->QueryInterface(IID_IDataObject, &none));
  EXPECT_EQ(nullptr, none);
  EXPECT_EQ(E_POINTER, menu3->QueryInterface(IID_IUnknown, nullptr));
  for (IUnknown* p : {unknown, static_cast<IUnknown*>(menu), static_cast<IUnknown*>(menu2),
                      static_cast<IUnknown*>(menu3), static_cast<IUnknown*>(info), fromInfo})
    p->Release();
}

TEST(ShellExtIdentity, ReleasingTheLastReferenceGivesTheLockBack) {
  const LONG before = ModuleLockCount();
  {
    Object object;
    EXPECT_EQ(before + 1, ModuleLockCount());
  }
  EXPECT_EQ(before, ModuleLockCount());
}

TEST(ShellExtSelection, TwoFoldersAreKeptInDropListOrder) {
  TempFolder temp;
  const std::string b = temp.MakeFolder("b folder");
  const std::string a = temp.MakeFolder("a.folder");
  Object object;
  EXPECT_EQ(S_OK, object.Initialize({b, a}));
  EXPECT_EQ((SelectedFolders{W(b), W(a)}), object.get()->folders());
}

TEST(ShellExtSelection, AFolderNamedWithATrailingDotOrSpaceIsItselfNotItsSibling) {
  // Normalised, "proj." names "proj": a file here, so the folder would be
  // refused and a selected "proj" file would pass for a folder.
  TempFolder temp;
  temp.MakeFile("proj", "a file");
  const std::string dotted = temp.Sub("proj."), spaced = temp.Sub("proj ");
  ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + W(dotted)).c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + W(spaced)).c_str(), nullptr));
  Object object;
  EXPECT_EQ(S_OK, object.Initialize({dotted, spaced}));
  EXPECT_EQ((SelectedFolders{W(dotted), W(spaced)}), object.get()->folders());
  ::RemoveDirectoryW((L"\\\\?\\" + W(dotted)).c_str());
  ::RemoveDirectoryW((L"\\\\?\\" + W(spaced)).c_str());
}

TEST(ShellExtSelection, FilesAfterTheFirstFolderAreSkipped) {
  TempFolder temp;
  const std::string folder = temp.MakeFolder("F");
  const std::string file = temp.MakeFile("f.txt");
  const std::string second = temp.MakeFolder("G");
  Object object;
  EXPECT_EQ(S_OK, object.Initialize({folder, file, second}));
  EXPECT_EQ((SelectedFolders{W(folder), W(second)}), object.get()->folders());
}

TEST(ShellExtSelection, AFileFirstIsRefusedAndTracedAsShellExt) {
  TempFolder temp;
  const std::string folder = temp.MakeFolder("F");
  const std::string file = temp.MakeFile("f.txt");
  Object object;
  traced.clear();
  ErrorTraceHook previous = SetErrorTraceHook(&RecordTrace);
  EXPECT_EQ(E_FAIL, object.Initialize({file, folder}));
  SetErrorTraceHook(previous);
  EXPECT_TRUE(object.get()->folders().empty());
  ASSERT_EQ(1u, traced.size());
  EXPECT_EQ(E_FAIL, std::get<0>(traced[0]));
  EXPECT_EQ("ShellExt.cpp", std::get<1>(traced[0]));
  EXPECT_GT(std::get<2>(traced[0]), 0);
}

TEST(ShellExtSelection, NoDropListPassesTheGetDataErrorOnUnchanged) {
  TempFolder temp;
  Object object;
  ASSERT_EQ(S_OK, object.Initialize({temp.path()}));
  EXPECT_EQ(DV_E_FORMATETC, object.Initialize({temp.path()}, DV_E_FORMATETC));
  EXPECT_TRUE(object.get()->folders().empty());
  EXPECT_EQ(E_OUTOFMEMORY, object.Initialize({temp.path()}, E_OUTOFMEMORY));
}

TEST(ShellExtSelection, EmptyListsAndListsWithoutFoldersAreRefused) {
  TempFolder temp;
  Object object;
  EXPECT_EQ(E_FAIL, object.Initialize({}));
  EXPECT_EQ(E_FAIL, object.Initialize({temp.Sub("missing")}));
  EXPECT_TRUE(object.get()->folders().empty());
  EXPECT_EQ(E_INVALIDARG, object.init->Initialize(nullptr, nullptr, nullptr));
}

TEST(ShellExtSelection, ASecondInitializeReplacesTheFirstSelection) {
  TempFolder temp;
  const std::string a = temp.MakeFolder("A");
  const std::string b = temp.MakeFolder("B");
  const std::string c = temp.MakeFolder("C");
  Object object;
  ASSERT_EQ(S_OK, object.Initialize({a, b}));
  ASSERT_EQ(S_OK, object.Initialize({c}));
  EXPECT_EQ((SelectedFolders{W(c)}), object.get()->folders());
  // A failing second call leaves nothing of the first.
  EXPECT_EQ(E_FAIL, object.Initialize({temp.MakeFile("x.txt"), a}));
  EXPECT_TRUE(object.get()->folders().empty());
}

TEST(ShellExtSelection, FiveThousandFoldersAndPathsBeyondMaxPath) {
  TempFolder temp;
  const std::string folder = temp.MakeFolder("F");
  std::vector<std::string> paths(5000, folder);
  // Paths the platform cannot hold in MAX_PATH: taken whole, and not folders.
  paths.push_back(folder + "\\" + std::string(400, 'x'));
  paths.push_back(std::string(70000, 'y'));
  Object object;
  EXPECT_EQ(S_OK, object.Initialize(paths));
  EXPECT_EQ(5000u, object.get()->folders().size());
}

TEST(ShellExtClassInfo, NullOutPointerAndUnregisteredLibrary) {
  Object object;
  IProvideClassInfo* info = nullptr;
  ASSERT_EQ(S_OK, object.init->QueryInterface(IID_IProvideClassInfo, reinterpret_cast<void**>(&info)));
  EXPECT_EQ(E_POINTER, info->GetClassInfo(nullptr));
  ::UnRegisterTypeLib(LIBID_Varnoke, 1, 0, LOCALE_NEUTRAL, kModuleSysKind);
  ITypeInfo* type = reinterpret_cast<ITypeInfo*>(1);
  EXPECT_TRUE(FAILED(info->GetClassInfo(&type)));
  EXPECT_EQ(nullptr, type);
  info->Release();
}

TEST(ShellExtClassInfo, TheRegisteredLibraryDescribesTheClass) {
  // Register the type library that the module embeds as TYPELIB 1.
  const std::string path = ModulePath();
  std::wstring wide(path.begin(), path.end());
  ITypeLib* library = nullptr;
  ASSERT_EQ(S_OK, ::LoadTypeLibEx(wide.c_str(), REGKIND_REGISTER, &library));
  TLIBATTR* libraryAttributes = nullptr;
  ASSERT_EQ(S_OK, library->GetLibAttr(&libraryAttributes));
  EXPECT_EQ(kModuleSysKind, libraryAttributes->syskind);
  library->ReleaseTLibAttr(libraryAttributes);
  library->Release();

  Object object;
  IProvideClassInfo* info = nullptr;
  ASSERT_EQ(S_OK, object.init->QueryInterface(IID_IProvideClassInfo, reinterpret_cast<void**>(&info)));
  ITypeInfo* type = nullptr;
  ASSERT_EQ(S_OK, info->GetClassInfo(&type));
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(S_OK, type->GetTypeAttr(&attributes));
  EXPECT_TRUE(IsEqualGUID(CLSID_CShellExt, attributes->guid));
  EXPECT_EQ(TKIND_COCLASS, attributes->typekind);
  type->ReleaseTypeAttr(attributes);
  BSTR name = nullptr;
  ASSERT_EQ(S_OK, type->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr));
  EXPECT_STREQ(L"CShellExt", name);
  ::SysFreeString(name);
  // Kept: a second call hands out the same type information.
  ITypeInfo* again = nullptr;
  ASSERT_EQ(S_OK, info->GetClassInfo(&again));
  EXPECT_EQ(type, again);
  again->Release();
  type->Release();
  info->Release();
  ::UnRegisterTypeLib(LIBID_Varnoke, 1, 0, LOCALE_NEUTRAL, kModuleSysKind);
}

TEST(ShellExtLeaks, ThousandCreateInitializeReleaseCyclesLeakNothing) {
  TempFolder temp;
  const std::string a = temp.MakeFolder("A");
  const std::string b = temp.MakeFolder("B");
  auto cycle = [&](int i) {
    Object object;
    object.Initialize(i % 3 == 0 ? std::vector<std::string>{a, b}
                                 : i % 3 == 1 ? std::vector<std::string>{temp.Sub("none")}
                                              : std::vector<std::string>{a});
    object.Initialize({a}, E_FAIL);
  };
  for (int i = 0; i < 50; ++i) cycle(i);  // warm up caches of the platform
  const DWORD handles = ProcessHandleCount();
  const size_t heap = ProcessHeapBytes();
  const DWORD gdi = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  const DWORD user = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
  for (int i = 0; i < 1000; ++i) cycle(i);
  EXPECT_LE(ProcessHandleCount(), handles + 2);
  EXPECT_LE(ProcessHeapBytes(), heap + 16 * 1024);
  EXPECT_LE(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS), gdi);
  EXPECT_LE(::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS), user);
}

namespace {

// The data object the shell itself hands over for items of one folder.
IDataObject* ShellDataObject(const std::wstring& parent, const std::vector<std::wstring>& names) {
  IShellFolder* desktop = nullptr;
  if (FAILED(::SHGetDesktopFolder(&desktop))) return nullptr;
  PIDLIST_RELATIVE parentId = nullptr;
  IShellFolder* folder = nullptr;
  IDataObject* data = nullptr;
  std::vector<PITEMID_CHILD> children;
  if (SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, const_cast<LPWSTR>(parent.c_str()), nullptr, &parentId,
                                          nullptr)) &&
      SUCCEEDED(desktop->BindToObject(parentId, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder)))) {
    for (const std::wstring& name : names) {
      PIDLIST_RELATIVE child = nullptr;
      if (SUCCEEDED(folder->ParseDisplayName(nullptr, nullptr, const_cast<LPWSTR>(name.c_str()), nullptr, &child,
                                             nullptr)))
        children.push_back(reinterpret_cast<PITEMID_CHILD>(child));
    }
    if (children.size() == names.size())
      folder->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()), const_cast<PCUITEMID_CHILD_ARRAY>(children.data()),
                            IID_IDataObject, nullptr, reinterpret_cast<void**>(&data));
  }
  for (PITEMID_CHILD child : children) ::CoTaskMemFree(child);
  if (folder) folder->Release();
  ::CoTaskMemFree(parentId);
  desktop->Release();
  return data;
}

}  // namespace

TEST(ShellExtSelection, NamesOutsideTheCodePageArriveWhole) {
  ::CoInitialize(nullptr);
  wide_tree::WideTemp temp;
  const std::wstring emoji = L"\xD83D\xDCE6 \x5305\x88F9", cyrillic = L"\x041F\x0430\x043F\x043A\x0430";
  temp.Folder(emoji);
  temp.Folder(cyrillic);
  IDataObject* data = ShellDataObject(temp.path(), {emoji, cyrillic});
  ASSERT_NE(nullptr, data);
  Object object;
  EXPECT_EQ(S_OK, object.init->Initialize(nullptr, data, nullptr));
  data->Release();
  EXPECT_EQ((SelectedFolders{temp.Sub(emoji), temp.Sub(cyrillic)}), object.get()->folders());
  ::CoUninitialize();
}
