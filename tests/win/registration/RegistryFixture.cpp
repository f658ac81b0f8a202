#include "RegistryFixture.h"

#include <shlwapi.h>

namespace registration_tests {

namespace {

UniqueKey OpenKey(HKEY root, const std::string& path, REGSAM access = KEY_READ) {
  UniqueKey key;
  if (::RegOpenKeyExA(root, path.c_str(), 0, access, key.put()) != ERROR_SUCCESS) key.reset();
  return key;
}

int InfoCount(HKEY root, const std::string& path, bool subkeys, REGSAM view) {
  UniqueKey key = OpenKey(root, path, KEY_READ | view);
  if (!key) return -1;
  DWORD keys = 0;
  DWORD values = 0;
  if (::RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
    return -1;
  return static_cast<int>(subkeys ? keys : values);
}

}  // namespace

bool KeyExists(HKEY root, const std::string& path, REGSAM view) {
  return static_cast<bool>(OpenKey(root, path, KEY_READ | view));
}
int SubkeyCount(HKEY root, const std::string& path, REGSAM view) { return InfoCount(root, path, true, view); }
int ValueCount(HKEY root, const std::string& path, REGSAM view) { return InfoCount(root, path, false, view); }

std::string StringValue(HKEY root, const std::string& path, const std::string& name, bool* found, REGSAM view) {
  if (found) *found = false;
  UniqueKey key = OpenKey(root, path, KEY_READ | view);
  DWORD type = 0;
  DWORD size = 0;
  if (!key || ::RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return std::string();
  std::string data(size + 1, '\0');
  if (::RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size) !=
      ERROR_SUCCESS)
    return std::string();
  if (found) *found = true;
  data.resize(std::min<size_t>(size, data.size()));
  if (!data.empty() && data.back() == '\0') data.pop_back();
  return data;
}

void CreateKey(HKEY root, const std::string& path) {
  UniqueKey key;
  ASSERT_EQ(ERROR_SUCCESS,
            ::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key.put(), nullptr))
      << path;
}

void SetStringValue(HKEY root, const std::string& path, const std::string& name, const std::string& data) {
  UniqueKey key;
  ASSERT_EQ(ERROR_SUCCESS,
            ::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key.put(), nullptr));
  ASSERT_EQ(ERROR_SUCCESS,
            ::RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>(data.size() + 1)));
}

void DeleteTree(HKEY root, const std::string& path) { ::SHDeleteKeyA(root, path.c_str()); }

void ExpectParentKeysKept() {
  for (const char* path : {"Folder", "Folder\\shellex", "Folder\\shellex\\ContextMenuHandlers", "CLSID"})
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, path)) << path;
  for (const char* path : {"Software", "Software\\Thandrel"}) EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, path)) << path;
}

void ExpectRegistered(const std::string& modulePath) {
  EXPECT_EQ(kClassId, StringValue(HKEY_CLASSES_ROOT, kHandlerKey, ""));
  EXPECT_EQ(1, ValueCount(HKEY_CLASSES_ROOT, kHandlerKey));
  EXPECT_EQ(0, SubkeyCount(HKEY_CLASSES_ROOT, kHandlerKey));
  EXPECT_EQ("Varnoke", StringValue(HKEY_CLASSES_ROOT, kClassKey, ""));
  EXPECT_EQ(1, ValueCount(HKEY_CLASSES_ROOT, kClassKey));
  EXPECT_EQ(1, SubkeyCount(HKEY_CLASSES_ROOT, kClassKey));
  EXPECT_EQ(modulePath, StringValue(HKEY_CLASSES_ROOT, kServerKey, ""));
  EXPECT_EQ("Apartment", StringValue(HKEY_CLASSES_ROOT, kServerKey, "ThreadingModel"));
  EXPECT_EQ(2, ValueCount(HKEY_CLASSES_ROOT, kServerKey));
  EXPECT_EQ(0, SubkeyCount(HKEY_CLASSES_ROOT, kServerKey));
  EXPECT_EQ("Varnoke command", StringValue(HKEY_CLASSES_ROOT, kCommandClassKey, ""));
  EXPECT_EQ(1, SubkeyCount(HKEY_CLASSES_ROOT, kCommandClassKey));
  EXPECT_EQ(modulePath, StringValue(HKEY_CLASSES_ROOT, kCommandServerKey, ""));
  EXPECT_EQ("Apartment", StringValue(HKEY_CLASSES_ROOT, kCommandServerKey, "ThreadingModel"));
  EXPECT_EQ(2, ValueCount(HKEY_CLASSES_ROOT, kCommandServerKey));
  EXPECT_EQ(0, ValueCount(HKEY_CURRENT_USER, kSettingsKey));
  EXPECT_EQ(0, SubkeyCount(HKEY_CURRENT_USER, kSettingsKey));
}

void ExpectUnregistered() {
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kHandlerKey));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kCommandClassKey));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
}

LoadedModule::LoadedModule(const std::string& path) : path_(path), library_(::LoadLibraryA(path.c_str())) {
  if (!library_) return;
  register_ = reinterpret_cast<HRESULT(WINAPI*)()>(
      reinterpret_cast<void*>(::GetProcAddress(library_.get(), "DllRegisterServer")));
  unregister_ = reinterpret_cast<HRESULT(WINAPI*)()>(
      reinterpret_cast<void*>(::GetProcAddress(library_.get(), "DllUnregisterServer")));
}

HRESULT LoadedModule::Register() const { return library_ && register_ ? register_() : E_UNEXPECTED; }
HRESULT LoadedModule::Unregister() const { return library_ && unregister_ ? unregister_() : E_UNEXPECTED; }

DWORD RunAndWait(const std::string& commandLine) {
  std::string line = commandLine;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return 0xFFFFFFFF;
  UniqueHandle processHandle(process.hProcess);
  UniqueHandle threadHandle(process.hThread);
  DWORD code = 0xFFFFFFFF;
  if (::WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0 || !::GetExitCodeProcess(process.hProcess, &code))
    return 0xFFFFFFFF;
  return code;
}

KeyTree ReadTree(HKEY root, const std::string& path) {
  KeyTree tree;
  UniqueKey key = OpenKey(root, path);
  if (!key) return tree;
  tree.exists = true;
  DWORD keys = 0, maxKeyName = 0, values = 0, maxValueName = 0, maxData = 0;
  if (::RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &keys, &maxKeyName, nullptr, &values, &maxValueName,
                         &maxData, nullptr, nullptr) != ERROR_SUCCESS)
    return tree;
  for (DWORD i = 0; i < values; ++i) {
    KeyTree::Value value;
    std::string name(maxValueName + 1, '\0');
    DWORD nameSize = maxValueName + 1;
    value.data.resize(maxData + 1);
    DWORD dataSize = maxData + 1;
    if (::RegEnumValueA(key.get(), i, &name[0], &nameSize, nullptr, &value.type, value.data.data(), &dataSize) !=
        ERROR_SUCCESS)
      continue;
    value.name.assign(name.c_str(), nameSize);
    value.data.resize(dataSize);
    tree.values.push_back(std::move(value));
  }
  for (DWORD i = 0; i < keys; ++i) {
    std::string name(maxKeyName + 1, '\0');
    DWORD nameSize = maxKeyName + 1;
    if (::RegEnumKeyExA(key.get(), i, &name[0], &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      continue;
    name.resize(nameSize);
    tree.subkeys.emplace_back(name, ReadTree(root, path + "\\" + name));
  }
  return tree;
}

void WriteTree(HKEY root, const std::string& path, const KeyTree& tree) {
  DeleteTree(root, path);
  if (!tree.exists) return;
  UniqueKey key;
  if (::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key.put(), nullptr) !=
      ERROR_SUCCESS)
    return;
  for (const KeyTree::Value& value : tree.values)
    ::RegSetValueExA(key.get(), value.name.c_str(), 0, value.type, value.data.data(),
                     static_cast<DWORD>(value.data.size()));
  for (const auto& subkey : tree.subkeys) WriteTree(root, path + "\\" + subkey.first, subkey.second);
}

void RegistryTest::SetUp() {
  const std::pair<HKEY, const char*> entries[] = {
      {HKEY_CLASSES_ROOT, kHandlerKey},
      {HKEY_CLASSES_ROOT, kClassKey},
      {HKEY_CLASSES_ROOT, kCommandClassKey},
      {HKEY_CURRENT_USER, kSettingsKey}};
  for (const auto& entry : entries) saved_.push_back({entry.first, entry.second, ReadTree(entry.first, entry.second)});
}

void RegistryTest::TearDown() {
  for (const Saved& saved : saved_) WriteTree(saved.root, saved.path, saved.tree);
}

}  // namespace registration_tests
