// The package under this 64-bit Wine's own msiexec: what an install puts in
// place, that the shell then loads the installed module, upgrades, and what
// an uninstall leaves behind.
#include <gtest/gtest.h>
#include <windows.h>
#include <msi.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "RegistryFixture.h"
#include "TestSupport.h"
#include "server/Guids.h"

using namespace registration_tests;

namespace {

const std::string kClassesClassKey = std::string("Software\\Classes\\") + kClassKey;
const std::string kClassesServerKey = std::string("Software\\Classes\\") + kServerKey;
const std::string kClassesCommandKey = std::string("Software\\Classes\\") + kCommandClassKey;
const std::string kClassesCommandServerKey = std::string("Software\\Classes\\") + kCommandServerKey;

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// A host path given by the build, as this Wine names it.
std::string FromHost(const char* variable) {
  std::string path = "Z:" + Environment(variable);
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string FolderPath(int folder) {
  char path[MAX_PATH] = {};
  return SUCCEEDED(::SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : "";
}

std::string Installed64() { return FolderPath(CSIDL_PROGRAM_FILES) + "\\Varnoke\\Varnoke.dll"; }
std::string Installed32() { return FolderPath(CSIDL_PROGRAM_FILESX86) + "\\Varnoke\\Varnoke.dll"; }

// The machine a PE file was built for (IMAGE_FILE_MACHINE_*), 0 if unreadable.
WORD Machine(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  IMAGE_DOS_HEADER dos = {};
  if (!in.read(reinterpret_cast<char*>(&dos), sizeof(dos)) || dos.e_magic != IMAGE_DOS_SIGNATURE) return 0;
  DWORD signature = 0;
  IMAGE_FILE_HEADER file = {};
  in.seekg(dos.e_lfanew);
  if (!in.read(reinterpret_cast<char*>(&signature), sizeof(signature)) || signature != IMAGE_NT_SIGNATURE ||
      !in.read(reinterpret_cast<char*>(&file), sizeof(file)))
    return 0;
  return file.Machine;
}

DWORD Msiexec(const std::string& arguments) { return RunAndWait("msiexec " + arguments + " /qn"); }

struct Product {
  std::string code;
  std::string version;
};

// The installed products of the package's upgrade family.
std::vector<Product> InstalledProducts() {
  std::vector<Product> products;
  char code[39];
  for (DWORD i = 0; ::MsiEnumRelatedProductsA(VARNOKE_UPGRADE_CODE, 0, i, code) == ERROR_SUCCESS; ++i) {
    char version[64] = {};
    DWORD size = sizeof(version);
    ::MsiGetProductInfoA(code, INSTALLPROPERTY_VERSIONSTRING, version, &size);
    products.push_back({code, version});
  }
  return products;
}

void UninstallAll() {
  for (const Product& product : InstalledProducts()) EXPECT_EQ(0u, Msiexec("/x " + product.code)) << product.code;
}

void ExpectClassRegistered(REGSAM view, const std::string& module) {
  EXPECT_EQ("Varnoke", StringValue(HKEY_LOCAL_MACHINE, kClassesClassKey, "", nullptr, view));
  EXPECT_EQ(module, StringValue(HKEY_LOCAL_MACHINE, kClassesServerKey, "", nullptr, view));
  EXPECT_EQ("Apartment", StringValue(HKEY_LOCAL_MACHINE, kClassesServerKey, "ThreadingModel", nullptr, view));
  EXPECT_EQ(kClassId, StringValue(HKEY_LOCAL_MACHINE, std::string("Software\\Classes\\") + kHandlerKey, "", nullptr,
                                  view));
  // The Explorer command lives in the same module, in each view.
  EXPECT_EQ("Varnoke command", StringValue(HKEY_LOCAL_MACHINE, kClassesCommandKey, "", nullptr, view));
  EXPECT_EQ(module, StringValue(HKEY_LOCAL_MACHINE, kClassesCommandServerKey, "", nullptr, view));
  EXPECT_EQ("Apartment", StringValue(HKEY_LOCAL_MACHINE, kClassesCommandServerKey, "ThreadingModel", nullptr, view));
}

// Each test starts with no product installed and no registration from the
// build tree; the fixture puts back the registration and settings it found.
class Msi : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    ASSERT_FALSE(Environment("VARNOKE_MSI").empty()) << "the build gives the package's path";
    UninstallAll();
    DeleteTree(HKEY_CLASSES_ROOT, kClassKey);
    DeleteTree(HKEY_CLASSES_ROOT, kCommandClassKey);
    DeleteTree(HKEY_CLASSES_ROOT, kHandlerKey);
    // A user who has configured the extension.
    SetStringValue(HKEY_CURRENT_USER, kSettingsKey, "DosBoxParam", "/k macros.bat");
  }

  void TearDown() override {
    UninstallAll();
    RegistryTest::TearDown();
  }

  void ExpectSettingsKept() {
    EXPECT_EQ("/k macros.bat", StringValue(HKEY_CURRENT_USER, kSettingsKey, "DosBoxParam"));
  }
};

}  // namespace

TEST_F(Msi, InstallPutsEachModuleInItsFolderAndRegistersItInItsView) {
  ASSERT_EQ(0u, Msiexec("/i \"" + FromHost("VARNOKE_MSI") + "\""));

  EXPECT_EQ(IMAGE_FILE_MACHINE_AMD64, Machine(Installed64())) << Installed64();
  EXPECT_EQ(IMAGE_FILE_MACHINE_I386, Machine(Installed32())) << Installed32();
  ExpectClassRegistered(KEY_WOW64_64KEY, Installed64());
  ExpectClassRegistered(KEY_WOW64_32KEY, Installed32());
  EXPECT_EQ(1, SubkeyCount(HKEY_LOCAL_MACHINE, kClassesClassKey, KEY_WOW64_64KEY));
  EXPECT_EQ(2, ValueCount(HKEY_LOCAL_MACHINE, kClassesServerKey, KEY_WOW64_64KEY));

  const std::vector<Product> products = InstalledProducts();
  ASSERT_EQ(1u, products.size());
  EXPECT_EQ(Environment("VARNOKE_VERSION"), products[0].version);
  ExpectSettingsKept();
}

TEST_F(Msi, TheShellHostShowsTheSubmenuFromTheInstalledModule) {
  ASSERT_EQ(0u, Msiexec("/i \"" + FromHost("VARNOKE_MSI") + "\""));
  testing_support::TempFolder folder;
  const std::string listing = folder.Sub("menu.txt");
  const std::string host = testing_support::ProgramDirectory() + "\\host.exe";
  const std::string selected = folder.MakeFolder("Photos");

  ASSERT_EQ(0u, RunAndWait("cmd /c \"\"" + host + "\" list \"" + selected + "\" > \"" + listing + "\"\""));
  std::ifstream in(listing);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(std::string::npos, text.str().find("\nVarnoke/Delete\t")) << text.str();

  // COM activation in a 64-bit process loads the installed file, never the
  // build tree's.
  IUnknown* handler = nullptr;
  ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  ASSERT_EQ(S_OK, ::CoCreateInstance(CLSID_CShellExt, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                     reinterpret_cast<void**>(&handler)));
  EXPECT_NE(nullptr, ::GetModuleHandleA(Installed64().c_str()));
  EXPECT_EQ(nullptr, ::GetModuleHandleA(testing_support::ModulePath().c_str()));
  handler->Release();
  ::CoUninitialize();

  ASSERT_EQ(0u, Msiexec("/x \"" + FromHost("VARNOKE_MSI") + "\""));
  RunAndWait("cmd /c \"\"" + host + "\" list \"" + selected + "\" > \"" + listing + "\"\"");
  std::ifstream after(listing);
  std::stringstream afterText;
  afterText << after.rdbuf();
  EXPECT_EQ(std::string::npos, afterText.str().find("Varnoke")) << afterText.str();
}

TEST_F(Msi, ANewerPackageReplacesTheOlderOneAndTheOlderIsRefusedAfterwards) {
  ASSERT_EQ(0u, Msiexec("/i \"" + FromHost("VARNOKE_OLDER_MSI") + "\""));
  std::vector<Product> products = InstalledProducts();
  ASSERT_EQ(1u, products.size());
  EXPECT_EQ(Environment("VARNOKE_OLDER_VERSION"), products[0].version);

  ASSERT_EQ(0u, Msiexec("/i \"" + FromHost("VARNOKE_MSI") + "\""));
  products = InstalledProducts();
  ASSERT_EQ(1u, products.size());
  EXPECT_EQ(Environment("VARNOKE_VERSION"), products[0].version);
  ExpectClassRegistered(KEY_WOW64_64KEY, Installed64());
  ExpectClassRegistered(KEY_WOW64_32KEY, Installed32());

  EXPECT_NE(0u, Msiexec("/i \"" + FromHost("VARNOKE_OLDER_MSI") + "\""));
  products = InstalledProducts();
  ASSERT_EQ(1u, products.size());
  EXPECT_EQ(Environment("VARNOKE_VERSION"), products[0].version);
}

TEST_F(Msi, UninstallLeavesNoFileNoClassKeyAndTheUsersSettings) {
  ASSERT_EQ(0u, Msiexec("/i \"" + FromHost("VARNOKE_MSI") + "\""));
  ASSERT_TRUE(testing_support::Exists(Installed64()));
  ASSERT_EQ(0u, Msiexec("/x \"" + FromHost("VARNOKE_MSI") + "\""));

  EXPECT_TRUE(InstalledProducts().empty());
  for (const std::string& file : {Installed64(), Installed32()}) {
    EXPECT_FALSE(testing_support::Exists(file)) << file;
    EXPECT_FALSE(testing_support::Exists(file.substr(0, file.rfind('\\')))) << file;
  }
  for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kClassesClassKey, view)) << view;
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kClassesCommandKey, view)) << view;
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string("Software\\Classes\\") + kHandlerKey, view)) << view;
  }
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
  ExpectSettingsKept();
}
