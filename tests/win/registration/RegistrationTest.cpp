// DllRegisterServer and DllUnregisterServer against the real registry, and
// the failure rows through the registration's platform table.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "RegistryFixture.h"

using namespace registration_tests;
using testing_support::ModulePath;
using testing_support::TempFolder;

namespace {

std::string ThisProgramPath() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

// The settings of a user who has already configured the extension.
void StoreSomeSettings() {
  SetStringValue(HKEY_CURRENT_USER, kSettingsKey, "DosBoxParam", "/k macros.bat");
  CreateKey(HKEY_CURRENT_USER, std::string(kSettingsKey) + "\\Extra");
}

void RemoveEntries() {
  DeleteTree(HKEY_CLASSES_ROOT, kHandlerKey);
  DeleteTree(HKEY_CLASSES_ROOT, kClassKey);
  DeleteTree(HKEY_CURRENT_USER, kSettingsKey);
}

}  // namespace

TEST_F(RegistryTest, RegisteringTwiceLeavesOneSetRecreatesTheClassKeyAndEmptiesTheSettings) {
  LoadedModule module(ModulePath());
  ASSERT_EQ(S_OK, module.Register());
  ExpectRegistered(ModulePath());
  // What a second run must clear: leftovers in the class key and the
  // user's stored settings.
  SetStringValue(HKEY_CLASSES_ROOT, kClassKey, "Stale", "x");
  CreateKey(HKEY_CLASSES_ROOT, std::string(kClassKey) + "\\Old\\Deeper");
  SetStringValue(HKEY_CLASSES_ROOT, kServerKey, "Stale", "x");
  StoreSomeSettings();

  ASSERT_EQ(S_OK, module.Register());
  ExpectRegistered(ModulePath());
  ExpectParentKeysKept();
}

TEST_F(RegistryTest, ModulePathWithBlanksIsWrittenUnquoted) {
  TempFolder folder("reg");
  const std::string copy = folder.MakeFolder("Program Files x") + "\\Varnoke.dll";
  ASSERT_TRUE(::CopyFileA(ModulePath().c_str(), copy.c_str(), FALSE));
  {
    LoadedModule module(copy);
    ASSERT_EQ(S_OK, module.Register());
  }
  ExpectRegistered(copy);
}

TEST_F(RegistryTest, UnregisteringRemovesTheEntriesKeepsTheParentsAndFailsTheSecondTime) {
  LoadedModule module(ModulePath());
  ASSERT_EQ(S_OK, module.Register());
  SetStringValue(HKEY_CURRENT_USER, kSettingsKey, "DosBoxParam", "/k macros.bat");
  ASSERT_EQ(S_OK, module.Unregister());
  ExpectUnregistered();
  ExpectParentKeysKept();

  EXPECT_EQ(kFileNotFound, module.Unregister());
  ExpectParentKeysKept();
}

TEST_F(RegistryTest, UnregisteringStopsAtTheFirstKeyItCannotTakeAway) {
  LoadedModule module(ModulePath());
  ASSERT_EQ(S_OK, module.Register());
  SetStringValue(HKEY_CURRENT_USER, kSettingsKey, "DosBoxParam", "/k macros.bat");

  // The handler key is gone already: nothing after it is visited.
  DeleteTree(HKEY_CLASSES_ROOT, kHandlerKey);
  EXPECT_EQ(kFileNotFound, module.Unregister());
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kServerKey));
  EXPECT_EQ("/k macros.bat", StringValue(HKEY_CURRENT_USER, kSettingsKey, "DosBoxParam"));

  // A subkey the script does not name keeps its parent, and the run stops
  // there with the registry's refusal.
  ASSERT_EQ(S_OK, module.Register());
  CreateKey(HKEY_CLASSES_ROOT, std::string(kServerKey) + "\\Foreign");
  SetStringValue(HKEY_CURRENT_USER, kSettingsKey, "DosBoxParam", "/k macros.bat");
  const HRESULT result = module.Unregister();
  EXPECT_TRUE(FAILED(result));
  EXPECT_NE(kFileNotFound, result);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kHandlerKey));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, std::string(kServerKey) + "\\Foreign"));
  bool modelFound = true;
  StringValue(HKEY_CLASSES_ROOT, kServerKey, "ThreadingModel", &modelFound);
  EXPECT_FALSE(modelFound);
  EXPECT_EQ("/k macros.bat", StringValue(HKEY_CURRENT_USER, kSettingsKey, "DosBoxParam"));
}

// Injected failures run this program's own copy of the registration, so the
// module path registered is this program's.
namespace {

bool userBlockEntered = false;

LSTATUS WINAPI OpenKeyNotingUserBlock(HKEY parent, LPCSTR name, DWORD options, REGSAM access, PHKEY key) {
  if (parent == HKEY_CURRENT_USER) userBlockEntered = true;
  return ::RegOpenKeyExA(parent, name, options, access, key);
}

LSTATUS WINAPI CreateKeyFailingInUserBlock(HKEY parent, LPCSTR name, DWORD reserved, LPSTR keyClass, DWORD options,
                                           REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY key,
                                           LPDWORD disposition) {
  if (userBlockEntered && lstrcmpiA(name, "Varnoke") == 0) return ERROR_ACCESS_DENIED;
  return ::RegCreateKeyExA(parent, name, reserved, keyClass, options, access, security, key, disposition);
}

LSTATUS WINAPI SetValueFailingForThreadingModel(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                                                DWORD size) {
  if (name && lstrcmpA(name, "ThreadingModel") == 0) return ERROR_NOT_ENOUGH_QUOTA;
  return ::RegSetValueExA(key, name, reserved, type, data, size);
}

}  // namespace

TEST_F(RegistryTest, FailureInTheUserBlockLeavesTheCompletedClassesBlockRegistered) {
  RemoveEntries();
  StoreSomeSettings();
  userBlockEntered = false;
  calls->openKey = OpenKeyNotingUserBlock;
  calls->createKey = CreateKeyFailingInUserBlock;

  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), RegisterModule(true));
  EXPECT_EQ(kClassId, StringValue(HKEY_CLASSES_ROOT, kHandlerKey, ""));
  EXPECT_EQ("Varnoke", StringValue(HKEY_CLASSES_ROOT, kClassKey, ""));
  EXPECT_EQ(ThisProgramPath(), StringValue(HKEY_CLASSES_ROOT, kServerKey, ""));
  EXPECT_EQ("Apartment", StringValue(HKEY_CLASSES_ROOT, kServerKey, "ThreadingModel"));
  // The forced removal of the settings key had happened before the failure.
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
  ExpectParentKeysKept();
}

TEST_F(RegistryTest, FailureInTheClassesBlockIsTakenBackAndTheUserBlockNotRun) {
  LoadedModule module(ModulePath());
  ASSERT_EQ(S_OK, module.Register());
  StoreSomeSettings();
  calls->setValue = SetValueFailingForThreadingModel;

  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_NOT_ENOUGH_QUOTA), RegisterModule(true));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kHandlerKey));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
  EXPECT_EQ("/k macros.bat", StringValue(HKEY_CURRENT_USER, kSettingsKey, "DosBoxParam"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, std::string(kSettingsKey) + "\\Extra"));
  ExpectParentKeysKept();
}

namespace {

DWORD failingError = 0;
DWORD WINAPI GetModuleFileNameFailing(HMODULE, LPSTR, DWORD) {
  ::SetLastError(failingError);
  return 0;
}

std::string fakePath;
DWORD WINAPI GetModuleFileNameFake(HMODULE, LPSTR buffer, DWORD size) {
  // As the platform does: a path that does not fit is cut to the buffer.
  const DWORD length = static_cast<DWORD>(std::min<size_t>(fakePath.size(), size));
  fakePath.copy(buffer, length);
  if (length < size) buffer[length] = '\0';
  return length;
}

HRSRC WINAPI FindResourceFailing(HMODULE, LPCSTR, LPCSTR) {
  ::SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
  return nullptr;
}

}  // namespace

TEST_F(RegistryTest, FailuresBeforeTheScriptRunsTouchNothing) {
  RemoveEntries();
  RegistrationPlatform& platform = *calls;

  platform.getModuleFileName = GetModuleFileNameFailing;
  failingError = ERROR_ACCESS_DENIED;
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), RegisterModule(true));
  failingError = 0;
  EXPECT_EQ(E_FAIL, RegisterModule(true));

  platform.getModuleFileName = GetModuleFileNameFake;
  fakePath = "C:\\" + std::string(MAX_PATH - 3, 'p');
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER), RegisterModule(true));
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER), RegisterModule(false));

  platform = RealRegistrationCalls();
  platform.findResource = FindResourceFailing;
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_RESOURCE_TYPE_NOT_FOUND), RegisterModule(true));

  ExpectUnregistered();

  // One character less fits, and is registered as it is.
  platform = RealRegistrationCalls();
  platform.getModuleFileName = GetModuleFileNameFake;
  fakePath = "C:\\" + std::string(MAX_PATH - 4, 'p');
  EXPECT_EQ(S_OK, RegisterModule(true));
  EXPECT_EQ(fakePath, StringValue(HKEY_CLASSES_ROOT, kServerKey, ""));
}

TEST_F(RegistryTest, ASubkeyTheAnsiCodePageCannotNameFailsRegistrationInsteadOfHanging) {
  LoadedModule module(ModulePath());
  ASSERT_EQ(S_OK, module.Register());
  const std::wstring foreign = L"CLSID\\{5B1E7C2A-9D34-4F6E-A812-3C7D0E4B9F61}\\\x4E2D\x6587";
  UniqueKey created;
  ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CLASSES_ROOT, foreign.c_str(), 0, nullptr, 0, KEY_READ, nullptr,
                                             created.put(), nullptr));
  created.reset();
  struct RemoveForeign {
    const std::wstring& path;
    ~RemoveForeign() { ::RegDeleteKeyW(HKEY_CLASSES_ROOT, path.c_str()); }
  } removeForeign{foreign};
  // Only meaningful where the ANSI listing gives a name that opens nothing.
  UniqueKey classKey;
  ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_CLASSES_ROOT, kClassKey, 0, KEY_READ, classKey.put()));
  bool unreachable = false;
  char name[512];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof(name);
    if (::RegEnumKeyExA(classKey.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    UniqueKey child;
    unreachable = unreachable || ::RegOpenKeyExA(classKey.get(), name, 0, KEY_READ, child.put()) != ERROR_SUCCESS;
  }
  classKey.reset();
  if (!unreachable) GTEST_SKIP() << "the ANSI code page spells the name";

  EXPECT_EQ(kFileNotFound, module.Register());
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
}
