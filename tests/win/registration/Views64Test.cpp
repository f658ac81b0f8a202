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

void ExpectClassInView(REGSAM view, const std::string& module) {
  EXPECT_EQ(module, StringValue(HKEY_LOCAL_MACHINE, kMachineServerKey, "", nullptr, view)) << view;
  EXPECT_EQ("Apartment", StringValue(HKEY_LOCAL_MACHINE, kMachineServerKey, "ThreadingModel", nullptr, view)) << view;
  EXPECT_EQ("Varnoke", StringValue(HKEY_LOCAL_MACHINE, kMachineClassKey, "", nullptr, view)) << view;
}

void ExpectNoClassInView(REGSAM view) { EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMachineClassKey, view)) << view; }

// The handler entry under Folder is one for both views.
void ExpectHandlerEntry() { EXPECT_EQ(kClassId, StringValue(HKEY_CLASSES_ROOT, kHandlerKey, "")); }

// What a shell of the given width shows for a folder: true when the
// Varnoke submenu is in the host's menu.
bool HostShowsTheSubmenu(const std::string& host) {
  testing_support::TempFolder folder;
  const std::string listing = folder.Sub("menu.txt");
  const std::string selected = folder.MakeFolder("Photos");
  RunAndWait("cmd /c \"\"" + host + "\" list \"" + selected + "\" > \"" + listing + "\"\"");
  return testing_support::ReadFileBytes(listing).find("\nVarnoke/Delete\t") != std::string::npos;
}

std::string Host64() { return testing_support::ProgramDirectory() + "\\host.exe"; }

std::string FromHost(const char* variable) {
  std::string path = "Z:" + Environment(variable);
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
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
    const std::string module = FromHost("VARNOKE_X86_MODULE");
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
  ExpectClassInView(KEY_WOW64_64KEY, ModulePath());
  ExpectNoClassInView(KEY_WOW64_32KEY);
  ExpectHandlerEntry();
  EXPECT_TRUE(HostShowsTheSubmenu(Host64()));
  ASSERT_EQ(S_OK, module.Unregister());
  ExpectNoClassInView(KEY_WOW64_64KEY);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kHandlerKey));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
}

TEST_F(Views, EachModuleRegistersInItsViewAndUnregisteringOneLeavesTheOtherWhole) {
  DWORD code = 0;
  if (!Run32BitRegsvr32(true, code))
    GTEST_SKIP() << "32-bit code cannot run on this machine (" << Environment("VARNOKE_X86_UNAVAILABLE")
                 << "): only the 64-bit half is tested";
  const std::string host32 = FromHost("VARNOKE_X86_HOST");
  ASSERT_EQ(0u, code);
  ExpectClassInView(KEY_WOW64_32KEY, module32_);
  ExpectNoClassInView(KEY_WOW64_64KEY);
  ExpectHandlerEntry();
  EXPECT_TRUE(HostShowsTheSubmenu(host32));

  LoadedModule module(ModulePath());
  ASSERT_EQ(S_OK, module.Register());
  // Settings made after both are registered, shared by both.
  SetStringValue(HKEY_CURRENT_USER, kSettingsKey, "DosBoxParam", "/k macros.bat");
  ExpectClassInView(KEY_WOW64_64KEY, ModulePath());
  ExpectClassInView(KEY_WOW64_32KEY, module32_);

  // The 64-bit module goes; the 32-bit shell keeps its menu and settings.
  ASSERT_EQ(S_OK, module.Unregister());
  ExpectNoClassInView(KEY_WOW64_64KEY);
  ExpectClassInView(KEY_WOW64_32KEY, module32_);
  ExpectHandlerEntry();
  EXPECT_TRUE(HostShowsTheSubmenu(host32));
  EXPECT_FALSE(HostShowsTheSubmenu(Host64()));
  EXPECT_EQ("/k macros.bat", StringValue(HKEY_CURRENT_USER, kSettingsKey, "DosBoxParam"));

  // And the other way round.
  ASSERT_EQ(S_OK, module.Register());
  ASSERT_TRUE(Run32BitRegsvr32(false, code));
  EXPECT_EQ(0u, code);
  ExpectNoClassInView(KEY_WOW64_32KEY);
  ExpectClassInView(KEY_WOW64_64KEY, ModulePath());
  ExpectHandlerEntry();
  EXPECT_TRUE(HostShowsTheSubmenu(Host64()));
  EXPECT_FALSE(HostShowsTheSubmenu(host32));

  // The last one out takes the shared entries with it.
  EXPECT_EQ(S_OK, module.Unregister());
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kHandlerKey));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
}
