#include "menu/CommandBox.h"

#include <shlwapi.h>

#include "base/ErrorReturn.h"
#include "base/Module.h"

namespace {

constexpr const char* kUnit = kUnitShellExt;

const CommandBoxPlatform kRealCalls = {::ShellExecuteExW};
CommandBoxPlatform calls = kRealCalls;

std::wstring EnvironmentValue(const wchar_t* name) {
  const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return std::wstring();
  std::wstring value(size, L'\0');
  const DWORD length = ::GetEnvironmentVariableW(name, &value[0], size);
  if (length == 0 || length >= size) return std::wstring();
  value.resize(length);
  return value;
}

bool IsExistingFile(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring SystemDirectory() {
  const UINT size = ::GetSystemDirectoryW(nullptr, 0);
  std::wstring folder(size, L'\0');
  const UINT length = size ? ::GetSystemDirectoryW(&folder[0], size) : 0;
  if (length == 0 || length >= size) {
    TRACE_FAILURE(ResultFromError(::GetLastError()));
    return std::wstring();
  }
  folder.resize(length);
  return folder;
}

std::wstring FromCodePage(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int length = ::MultiByteToWideChar(ConversionCodePage(), 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) ::MultiByteToWideChar(ConversionCodePage(), 0, text.data(), size, &wide[0], length);
  return wide;
}

}  // namespace

CommandBoxPlatform& CommandBoxCalls() { return calls; }
const CommandBoxPlatform& RealCommandBoxCalls() { return kRealCalls; }

const char* CommandInterpreterName(DWORD platformId) {
  return platformId == VER_PLATFORM_WIN32_NT ? "cmd.exe" : "command.com";
}

std::wstring CommandInterpreterPath(DWORD platformId) {
  const std::wstring comSpec = EnvironmentValue(L"ComSpec");
  if (!comSpec.empty() && !::PathIsRelativeW(comSpec.c_str()) && IsExistingFile(comSpec)) return comSpec;
  const std::wstring system = SystemDirectory();
  if (system.empty()) return std::wstring();
  const char* name = CommandInterpreterName(platformId);
  return system + L"\\" + std::wstring(name, name + strlen(name));
}

void OpenCommandPrompt(const Settings& settings, const SelectedFolders& folders) {
  // Without a folder the interpreter would start wherever the shell happens
  // to be, so there is nothing to start.
  if (folders.empty()) {
    TRACE_FAILURE(E_FAIL);
    return;
  }
  const std::wstring interpreter = CommandInterpreterPath(GetPlatformId());
  if (interpreter.empty()) return;
  const std::wstring parameters = FromCodePage(settings.DosBoxParam);
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.lpFile = interpreter.c_str();
  info.lpParameters = parameters.c_str();
  info.lpDirectory = folders.front().c_str();
  info.nShow = SW_SHOWNORMAL;
  // Failures are shown to the user by the system's own error interface.
  if (!calls.shellExecuteEx(&info)) TRACE_FAILURE(ResultFromError(::GetLastError()));
}
