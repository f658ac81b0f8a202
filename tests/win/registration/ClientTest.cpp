// Wine's own clients of the registration: regsvr32 and COM activation.
#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include "RegistryFixture.h"
#include "server/Guids.h"

using namespace registration_tests;
using testing_support::ModulePath;
using testing_support::TempFolder;

namespace {

std::string CopyModuleInto(const TempFolder& folder) {
  const std::string copy = folder.MakeFolder("Shell Extensions") + "\\Varnoke.dll";
  return ::CopyFileA(ModulePath().c_str(), copy.c_str(), FALSE) ? copy : std::string();
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// COM unloads a library of an apartment thread only after a delay unless
// it is asked with none.
void FreeUnusedLibraries() {
  ::CoFreeUnusedLibrariesEx(0, 0);
  ::CoFreeUnusedLibrariesEx(0, 0);
}

}  // namespace

TEST_F(RegistryTest, Regsvr32RegistersAndUnregistersTheModule) {
  TempFolder folder("reg");
  const std::string copy = CopyModuleInto(folder);
  ASSERT_FALSE(copy.empty());

  EXPECT_EQ(0u, RunAndWait("regsvr32.exe /s " + Quoted(copy)));
  ExpectRegistered(copy);
  EXPECT_EQ(0u, RunAndWait("regsvr32.exe /u /s " + Quoted(copy)));
  ExpectUnregistered();
  ExpectParentKeysKept();

  const DWORD again = RunAndWait("regsvr32.exe /u /s " + Quoted(copy));
  EXPECT_NE(0u, again);
  EXPECT_NE(0xFFFFFFFFu, again);
}

TEST_F(RegistryTest, CoCreateInstanceLoadsTheRegisteredModuleUntilEveryObjectIsReleased) {
  TempFolder folder("reg");
  const std::string copy = CopyModuleInto(folder);
  ASSERT_FALSE(copy.empty());
  {
    LoadedModule module(copy);
    ASSERT_EQ(S_OK, module.Register());
  }
  ASSERT_EQ(nullptr, ::GetModuleHandleA(copy.c_str()));

  IUnknown* first = nullptr;
  IUnknown* second = nullptr;
  ASSERT_EQ(S_OK, ::CoCreateInstance(CLSID_CShellExt, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                     reinterpret_cast<void**>(&first)));
  ASSERT_EQ(S_OK, ::CoCreateInstance(CLSID_CShellExt, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                     reinterpret_cast<void**>(&second)));
  const HMODULE loaded = ::GetModuleHandleA(copy.c_str());
  ASSERT_NE(nullptr, loaded);
  char loadedPath[MAX_PATH] = {};
  ::GetModuleFileNameA(loaded, loadedPath, MAX_PATH);
  EXPECT_EQ(0, lstrcmpiA(copy.c_str(), loadedPath));
  EXPECT_EQ(nullptr, ::GetModuleHandleA(ModulePath().c_str()));

  FreeUnusedLibraries();
  EXPECT_EQ(loaded, ::GetModuleHandleA(copy.c_str()));
  first->Release();
  FreeUnusedLibraries();
  EXPECT_EQ(loaded, ::GetModuleHandleA(copy.c_str()));
  second->Release();
  FreeUnusedLibraries();
  EXPECT_EQ(nullptr, ::GetModuleHandleA(copy.c_str()));
}
