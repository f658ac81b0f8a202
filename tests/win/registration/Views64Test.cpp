// Registration in a 64-bit prefix: each module writes its own registry view
// (the 32-bit one through the platform's redirection), and taking one away
// leaves the other whole.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "RegistryFixture.h"

using namespace registration_tests;
using testing_support::ModulePath;

namespace {

const std::string kMachineClassKey = std::string("Software\\Classes\\") + kClassKey;
const std::string kMachineServerKey = std::string("Software\\Classes\\") + kServerKey;
const std::string kMachineHandlerKey = std::string("Software\\Classes\\") + kHandlerKey;

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

void ExpectViewRegistered(REGSAM view, const std::string& module) {
  EXPECT_EQ(module, StringValue(HKEY_LOCAL_MACHINE, kMachineServerKey, "", nullptr, view)) << view;
  EXPECT_EQ("Apartment", StringValue(HKEY_LOCAL_MACHINE, kMachineServerKey, "ThreadingModel", nullptr, view)) << view;
  EXPECT_EQ("Varnoke", StringValue(HKEY_LOCAL_MACHINE, kMachineClassKey, "", nullptr, view)) << view;
  EXPECT_EQ(kClassId, StringValue(HKEY_LOCAL_MACHINE, kMachineHandlerKey, "", nullptr, view)) << view;
}

void ExpectViewEmpty(REGSAM view) {
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMachineClassKey, view)) << view;
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMachineHandlerKey, view)) << view;
}

// The 32-bit view holds nothing but what these tests and the package tests
// write; it is emptied before and after each test.
class Views : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    DeleteTree32(kMachineClassKey);
    DeleteTree32(kMachineHandlerKey);
    DeleteTree(HKEY_CLASSES_ROOT, kClassKey);
    DeleteTree(HKEY_CLASSES_ROOT, kHandlerKey);
  }

  void TearDown() override {
    DeleteTree32(kMachineClassKey);
    DeleteTree32(kMachineHandlerKey);
    RegistryTest::TearDown();
  }

  // The 32-bit module, registered or unregistered by the 32-bit regsvr32
  // as on 64-bit Windows; false where this machine cannot run 32-bit code.
  bool Run32BitRegsvr32(bool registering, DWORD& exitCode) {
    if (!Environment("VARNOKE_X86_UNAVAILABLE").empty()) return false;
    std::string module = "Z:" + Environment("VARNOKE_X86_MODULE");
    for (char& c : module)
      if (c == '/') c = '\\';
    char system[MAX_PATH] = {};
    EXPECT_NE(0u, ::GetSystemWow64DirectoryA(system, MAX_PATH)) << "a 64-bit prefix has a 32-bit system folder";
    exitCode = RunAndWait(std::string("\"") + system + "\\regsvr32.exe\" /s " + (registering ? "" : "/u ") + "\"" +
                          module + "\"");
    module32_ = module;
    return true;
  }

  std::string module32_;

 private:
  static void DeleteTree32(const std::string& path) {
    UniqueKey parent;
    const size_t slash = path.rfind('\\');
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.substr(0, slash).c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                        parent.put()) == ERROR_SUCCESS)
      ::RegDeleteTreeA(parent.get(), path.substr(slash + 1).c_str());
  }
};

}  // namespace

TEST_F(Views, TheSixtyFourBitModuleWritesTheSixtyFourBitViewOnly) {
  LoadedModule module(ModulePath());
  ASSERT_EQ(S_OK, module.Register());
  ExpectViewRegistered(KEY_WOW64_64KEY, ModulePath());
  ExpectViewEmpty(KEY_WOW64_32KEY);
  ASSERT_EQ(S_OK, module.Unregister());
  ExpectViewEmpty(KEY_WOW64_64KEY);
}

TEST_F(Views, EachModuleRegistersInItsViewAndUnregisteringOneLeavesTheOtherWhole) {
  DWORD code = 0;
  if (!Run32BitRegsvr32(true, code))
    GTEST_SKIP() << "32-bit code cannot run on this machine (" << Environment("VARNOKE_X86_UNAVAILABLE")
                 << "): only the 64-bit half is tested";
  ASSERT_EQ(0u, code);
  ExpectViewRegistered(KEY_WOW64_32KEY, module32_);
  ExpectViewEmpty(KEY_WOW64_64KEY);

  LoadedModule module(ModulePath());
  ASSERT_EQ(S_OK, module.Register());
  ExpectViewRegistered(KEY_WOW64_64KEY, ModulePath());
  ExpectViewRegistered(KEY_WOW64_32KEY, module32_);

  ASSERT_EQ(S_OK, module.Unregister());
  ExpectViewEmpty(KEY_WOW64_64KEY);
  ExpectViewRegistered(KEY_WOW64_32KEY, module32_);

  ASSERT_EQ(S_OK, module.Register());
  ASSERT_TRUE(Run32BitRegsvr32(false, code));
  EXPECT_EQ(0u, code);
  ExpectViewEmpty(KEY_WOW64_32KEY);
  ExpectViewRegistered(KEY_WOW64_64KEY, ModulePath());
  EXPECT_EQ(S_OK, module.Unregister());
}
