#include "settings/SettingsStore.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "base/Handles.h"

namespace {

UniqueKey OpenSettingsKey() {
  UniqueKey key;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS)
    key.reset();
  return key;
}

// Reads up to 4 bytes over the default without looking at the type: a
// shorter value replaces the leading bytes only.
template <typename T>
void ReadFourBytes(HKEY key, const char* name, T& field) {
  static_assert(sizeof(T) == 4, "4-byte fields only");
  T value = field;
  DWORD size = sizeof(value);
  if (::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS)
    field = value;
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// A string value of type REG_SZ or REG_EXPAND_SZ (taken literally), up to its
// first NUL and never beyond its stored size; the fallback otherwise.
std::string ReadString(HKEY key, const char* name, const char* fallback) {
  DWORD type = 0;
  DWORD stored = 0;
  if (::RegQueryValueExA(key, name, nullptr, &type, nullptr, &stored) != ERROR_SUCCESS || !IsStringType(type) ||
      stored == 0)
    return fallback;
  // One spare zero byte, so that a value stored without its NUL still ends.
  std::vector<char> buffer(static_cast<size_t>(stored) + 1, '\0');
  DWORD size = stored + 1;
  if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
          ERROR_SUCCESS ||
      !IsStringType(type))
    return fallback;
  const size_t limit = size < stored ? size : stored;
  return std::string(buffer.data(), strnlen(buffer.data(), limit));
}

void WriteNumber(HKEY key, const char* name, uint32_t value) {
  ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

void WriteString(HKEY key, const char* name, const std::string& value) {
  ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
}

}  // namespace

void SettingsStore::Load(Settings& settings) {
  UniqueKey key = OpenSettingsKey();
  HKEY k = key.get();  // a null key makes every read fail: defaults stay
  settings.DosBoxParam.clear();
  settings.CleanMasks.clear();
  settings.MenuBitmaps = 1;
  ReadFourBytes(k, "MenuBitmaps", settings.MenuBitmaps);
  settings.Items = 0xFFFFFFFF;
  ReadFourBytes(k, "Items", settings.Items);
  settings.DosBoxParam = ReadString(k, "DosBoxParam", "");
  settings.DosBoxShell = 0;
  ReadFourBytes(k, "DosBoxShell", settings.DosBoxShell);
  settings.DeleteOption = 0;
  settings.EraseMethod = 1;
  settings.DeleteConfirm = 1;
  settings.DeleteReport = 1;
  settings.EraseVerify = 0;
  ReadFourBytes(k, "DeleteOption", settings.DeleteOption);
  ReadFourBytes(k, "EraseMethod", settings.EraseMethod);
  ReadFourBytes(k, "EraseVerify", settings.EraseVerify);
  ReadFourBytes(k, "DeleteConfirm", settings.DeleteConfirm);
  ReadFourBytes(k, "DeleteReport", settings.DeleteReport);
  settings.CleanMasks = ReadString(k, "CleanMasks", kDefaultCleanMasks);
  settings.CleanSubfolders = 0;
  settings.CleanReport = 1;
  ReadFourBytes(k, "CleanSubfolders", settings.CleanSubfolders);
  ReadFourBytes(k, "CleanReport", settings.CleanReport);
}

void SettingsStore::Save(const Settings& settings) {
  UniqueKey key = OpenSettingsKey();
  if (!key) return;
  HKEY k = key.get();
  WriteNumber(k, "MenuBitmaps", static_cast<uint32_t>(settings.MenuBitmaps));
  WriteNumber(k, "Items", settings.Items);
  WriteString(k, "DosBoxParam", settings.DosBoxParam);
  WriteNumber(k, "DosBoxShell", settings.DosBoxShell);
  WriteNumber(k, "DeleteOption", static_cast<uint32_t>(settings.DeleteOption));
  WriteNumber(k, "EraseMethod", settings.EraseMethod);
  WriteNumber(k, "EraseVerify", static_cast<uint32_t>(settings.EraseVerify));
  WriteNumber(k, "DeleteConfirm", static_cast<uint32_t>(settings.DeleteConfirm));
  WriteNumber(k, "DeleteReport", static_cast<uint32_t>(settings.DeleteReport));
  WriteString(k, "CleanMasks", settings.CleanMasks);
  WriteNumber(k, "CleanSubfolders", static_cast<uint32_t>(settings.CleanSubfolders));
  WriteNumber(k, "CleanReport", static_cast<uint32_t>(settings.CleanReport));
}
