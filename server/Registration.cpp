#include "server/Registration.h"

#include <string>
#include <vector>

#include "server/ComTry.h"
#include "base/LastError.h"
#include "base/Handles.h"
#include "base/Module.h"
#include "registration/ClassIds.h"
#include "registration/ScriptVariables.h"

namespace {

constexpr WORD kScriptResourceId = 101;
constexpr DWORD kModulePathChars = MAX_PATH;
// Key names hold at most 255 characters, each at most two bytes in a
// double-byte ANSI code page.
constexpr DWORD kKeyNameBytes = 2 * 255 + 1;

const RegistrationPlatform kRealCalls = {
    ::GetModuleFileNameA, ::FindResourceA, ::RegOpenKeyExA,   ::RegCreateKeyExA,
    ::RegSetValueExA,     ::RegDeleteKeyA, ::RegDeleteValueA, ::RegEnumKeyExA,
};
RegistrationPlatform platform = kRealCalls;

Result StatusResult(LONG status) { return ResultFromError(static_cast<uint32_t>(status)); }

Result ModulePath(std::string& path) {
  char buffer[kModulePathChars];
  ::SetLastError(0);
  const DWORD length = platform.getModuleFileName(ModuleInstance(), buffer, kModulePathChars);
  RETURN_LAST_ERROR_IF(length == 0);
  // A full buffer means the path was cut short.
  if (length >= kModulePathChars) return TRACE_FAILURE(ResultFromError(ERROR_INSUFFICIENT_BUFFER));
  path.assign(buffer, length);
  return kResultOk;
}

Result BuildVariables(std::vector<ScriptVariable>& variables) {
  std::string module;
  RETURN_IF_FAILED(ModulePath(module));
  variables = ScriptVariables(module);
  return kResultOk;
}

// The script stays in the module's mapped image; the reader is given its
// exact size and never reads beyond it.
Result LoadScript(const char*& text, size_t& length) {
  const HMODULE module = ModuleInstance();
  const HRSRC info = platform.findResource(module, MAKEINTRESOURCEA(kScriptResourceId), "REGISTRY");
  RETURN_LAST_ERROR_IF(!info);
  const HGLOBAL data = ::LoadResource(module, info);
  RETURN_LAST_ERROR_IF(!data);
  const DWORD size = ::SizeofResource(module, info);
  const void* bytes = ::LockResource(data);
  RETURN_LAST_ERROR_IF(size == 0 || !bytes);
  text = static_cast<const char*>(bytes);
  length = size;
  return kResultOk;
}

HKEY RootKey(ScriptRoot root) {
  switch (root) {
    case ScriptRoot::ClassesRoot:
      return HKEY_CLASSES_ROOT;
    case ScriptRoot::CurrentUser:
      return HKEY_CURRENT_USER;
    case ScriptRoot::LocalMachine:
      return HKEY_LOCAL_MACHINE;
    case ScriptRoot::Users:
      return HKEY_USERS;
  }
  return HKEY_CLASSES_ROOT;
}

Result SetString(HKEY key, const char* name, const std::string& data) {
  const LONG status = platform.setValue(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                        static_cast<DWORD>(data.size() + 1));
  return status == ERROR_SUCCESS ? kResultOk : TRACE_FAILURE(StatusResult(status));
}

// Deletes a key with all its subkeys, depth first. Only the key the script
// names may be missing: a subkey that was listed but cannot be opened (a
// name the ANSI code page cannot spell) fails the run instead of being
// listed again and again.
Result DeleteTree(HKEY parent, const std::string& name, bool mayBeMissing) {
  UniqueKey key;
  LONG status = platform.openKey(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, key.put());
  if (status == ERROR_FILE_NOT_FOUND && mayBeMissing) return kResultOk;
  if (status != ERROR_SUCCESS) return TRACE_FAILURE(StatusResult(status));
  std::string child(kKeyNameBytes, '\0');
  for (;;) {
    DWORD size = kKeyNameBytes;
    status = platform.enumKey(key.get(), 0, &child[0], &size, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) return TRACE_FAILURE(StatusResult(status));
    RETURN_IF_FAILED(DeleteTree(key.get(), std::string(child.c_str(), size), false));
  }
  key.reset();
  status = platform.deleteKey(parent, name.c_str());
  return status == ERROR_SUCCESS ? kResultOk : TRACE_FAILURE(StatusResult(status));
}

Result RegisterEntries(HKEY parent, const std::vector<ScriptEntry>& entries);

Result RegisterKey(HKEY parent, const ScriptEntry& entry) {
  if (entry.flag == KeyFlag::ForceRemove) RETURN_IF_FAILED(DeleteTree(parent, entry.name, true));
  UniqueKey key;
  const char* name = entry.name.c_str();
  LONG status = platform.openKey(parent, name, 0, KEY_READ | KEY_WRITE, key.put());
  if (status != ERROR_SUCCESS) status = platform.openKey(parent, name, 0, KEY_READ, key.put());
  if (status != ERROR_SUCCESS)
    status = platform.createKey(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                                key.put(), nullptr);
  if (status != ERROR_SUCCESS) return TRACE_FAILURE(StatusResult(status));
  if (entry.hasData) RETURN_IF_FAILED(SetString(key.get(), nullptr, entry.data));
  return RegisterEntries(key.get(), entry.children);
}

Result RegisterEntries(HKEY parent, const std::vector<ScriptEntry>& entries) {
  for (const ScriptEntry& entry : entries) {
    if (entry.isValue)
      RETURN_IF_FAILED(SetString(parent, entry.name.c_str(), entry.data));
    else
      RETURN_IF_FAILED(RegisterKey(parent, entry));
  }
  return kResultOk;
}

Result UnregisterEntries(HKEY parent, const std::vector<ScriptEntry>& entries);

Result UnregisterKey(HKEY parent, const ScriptEntry& entry) {
  bool hasValues = false;
  for (const ScriptEntry& child : entry.children) hasValues = hasValues || child.isValue;
  {
    // Deleting a named value needs the right to change the key.
    UniqueKey key;
    const LONG status =
        platform.openKey(parent, entry.name.c_str(), 0, KEY_READ | (hasValues ? KEY_SET_VALUE : 0), key.put());
    if (status != ERROR_SUCCESS) return TRACE_FAILURE(StatusResult(status));
    RETURN_IF_FAILED(UnregisterEntries(key.get(), entry.children));
  }
  if (entry.flag == KeyFlag::NoRemove) return kResultOk;
  const LONG status = platform.deleteKey(parent, entry.name.c_str());
  return status == ERROR_SUCCESS ? kResultOk : TRACE_FAILURE(StatusResult(status));
}

Result UnregisterEntries(HKEY parent, const std::vector<ScriptEntry>& entries) {
  for (const ScriptEntry& entry : entries) {
    if (entry.isValue) {
      const LONG status = platform.deleteValue(parent, entry.name.c_str());
      if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return TRACE_FAILURE(StatusResult(status));
    } else {
      RETURN_IF_FAILED(UnregisterKey(parent, entry));
    }
  }
  return kResultOk;
}

// On 64-bit Windows each registry view has its own HKEY_CLASSES_ROOT\CLSID,
// but the rest of the classes (the handler entry under Folder) and the
// user's Software key are one for both. True when the module of the other
// view (32-bit beside 64-bit) still registers the class there.
bool OtherViewRegistersTheClass() {
#if defined(_WIN64)
  const REGSAM otherView = KEY_WOW64_32KEY;
#else
  BOOL wow64 = FALSE;
  if (!::IsWow64Process(::GetCurrentProcess(), &wow64) || !wow64) return false;
  const REGSAM otherView = KEY_WOW64_64KEY;
#endif
  UniqueKey key;
  const std::string server = "CLSID\\" + ClassIdText(kShellExtClassId) + "\\InprocServer32";
  return ::RegOpenKeyExA(HKEY_CLASSES_ROOT, server.c_str(), 0, KEY_READ | otherView, key.put()) == ERROR_SUCCESS;
}

// While the other view's module stays registered, unregistering takes
// away this view's class key only: the shared entries still serve it.
std::vector<ScriptBlock> ThisViewOnly(const std::vector<ScriptBlock>& blocks) {
  std::vector<ScriptBlock> own;
  for (const ScriptBlock& block : blocks) {
    if (block.root != ScriptRoot::ClassesRoot) continue;
    ScriptBlock kept{block.root, {}};
    for (const ScriptEntry& entry : block.entries)
      if (!entry.isValue && _stricmp(entry.name.c_str(), "CLSID") == 0) kept.entries.push_back(entry);
    own.push_back(std::move(kept));
  }
  return own;
}

Result RunScript(const std::vector<ScriptBlock>& allBlocks, bool registering) {
  const std::vector<ScriptBlock> blocks =
      !registering && OtherViewRegistersTheClass() ? ThisViewOnly(allBlocks) : allBlocks;
  for (const ScriptBlock& block : blocks) {
    const HKEY root = RootKey(block.root);
    if (!registering) {
      RETURN_IF_FAILED(UnregisterEntries(root, block.entries));
      continue;
    }
    const Result result = RegisterEntries(root, block.entries);
    if (Failed(result)) {
      // Take back what this block did; completed blocks stay registered
      // and later ones are not run. The first failure is the answer.
      const Result undone = UnregisterEntries(root, block.entries);
      if (Failed(undone)) TRACE_FAILURE(undone);
      return TRACE_FAILURE(result);
    }
  }
  return kResultOk;
}

}  // namespace

RegistrationPlatform& RegistrationCalls() { return platform; }
const RegistrationPlatform& RealRegistrationCalls() { return kRealCalls; }

HRESULT RegisterModule(bool registering) {
  COM_TRY_BEGIN
  std::vector<ScriptVariable> variables;
  RETURN_IF_FAILED(BuildVariables(variables));
  const char* text = nullptr;
  size_t length = 0;
  RETURN_IF_FAILED(LoadScript(text, length));
  std::vector<ScriptBlock> blocks;
  RETURN_IF_FAILED(ParseRegistrationScript(text, length, variables, blocks));
  return RunScript(blocks, registering);
  COM_TRY_END
}
