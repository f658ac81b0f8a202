// What the registration tests share: reading keys and values, the module's
// exports, and a fixture that puts the registration entries (and the
// settings key) back the way it found them, so that other test programs
// see the registry unchanged.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "base/Handles.h"
#include "server/Registration.h"
#include "tests/shared/SeamOverride.h"

namespace registration_tests {

constexpr char kClassId[] = "{5B1E7C2A-9D34-4F6E-A812-3C7D0E4B9F61}";
constexpr char kHandlerKey[] = "Folder\\shellex\\ContextMenuHandlers\\Varnoke";
constexpr char kClassKey[] = "CLSID\\{5B1E7C2A-9D34-4F6E-A812-3C7D0E4B9F61}";
constexpr char kServerKey[] = "CLSID\\{5B1E7C2A-9D34-4F6E-A812-3C7D0E4B9F61}\\InprocServer32";
// The Explorer command's class, registered beside the handler's.
constexpr char kCommandClassId[] = "{549D3B83-64E9-4B7E-9F70-D764B10A48A4}";
constexpr char kCommandClassKey[] = "CLSID\\{549D3B83-64E9-4B7E-9F70-D764B10A48A4}";
constexpr char kCommandServerKey[] = "CLSID\\{549D3B83-64E9-4B7E-9F70-D764B10A48A4}\\InprocServer32";
constexpr char kSettingsKey[] = "Software\\Thandrel\\Varnoke";
constexpr HRESULT kFileNotFound = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);

// `view` picks a registry view (KEY_WOW64_64KEY, KEY_WOW64_32KEY); 0 is the
// program's own.
bool KeyExists(HKEY root, const std::string& path, REGSAM view = 0);
// Number of subkeys and values of a key; -1 when it cannot be opened.
int SubkeyCount(HKEY root, const std::string& path, REGSAM view = 0);
int ValueCount(HKEY root, const std::string& path, REGSAM view = 0);
// A REG_SZ value ("" names the default value); `found` tells whether it is
// there with that type.
std::string StringValue(HKEY root, const std::string& path, const std::string& name, bool* found = nullptr,
                        REGSAM view = 0);
void SetStringValue(HKEY root, const std::string& path, const std::string& name, const std::string& data);
void CreateKey(HKEY root, const std::string& path);
void DeleteTree(HKEY root, const std::string& path);

// The parents that unregistration keeps.
void ExpectParentKeysKept();
// The complete set of entries of one registration from `modulePath`.
void ExpectRegistered(const std::string& modulePath);
// None of the entries is left.
void ExpectUnregistered();

// A copy of Varnoke.dll (or the built one), loaded, with its two
// registration exports.
class LoadedModule {
 public:
  explicit LoadedModule(const std::string& path);
  HRESULT Register() const;
  HRESULT Unregister() const;
  const std::string& path() const { return path_; }
  void Free() { library_.reset(); }

 private:
  std::string path_;
  UniqueLibrary library_;
  HRESULT(WINAPI* register_)() = nullptr;
  HRESULT(WINAPI* unregister_)() = nullptr;
};

// Runs a program inside this Wine and waits for it; returns its exit code
// (or 0xFFFFFFFF when it could not be started or did not end in time).
DWORD RunAndWait(const std::string& commandLine);

// A key tree with its values, to put back after a test.
struct KeyTree {
  struct Value {
    std::string name;
    DWORD type = 0;
    std::vector<BYTE> data;
  };
  bool exists = false;
  std::vector<Value> values;
  std::vector<std::pair<std::string, KeyTree>> subkeys;
};
KeyTree ReadTree(HKEY root, const std::string& path);
void WriteTree(HKEY root, const std::string& path, const KeyTree& tree);

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Tests put failing registry calls in; the real ones return after each.
  SeamOverride<RegistrationPlatform> calls{RegistrationCalls()};

 private:
  struct Saved {
    HKEY root;
    std::string path;
    KeyTree tree;
  };
  std::vector<Saved> saved_;
};

}  // namespace registration_tests
