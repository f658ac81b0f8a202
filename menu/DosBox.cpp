#include "menu/DosBox.h"

#include <shlwapi.h>

#include "base/ErrorReturn.h"
#include "base/Handles.h"
#include "base/LastError.h"
#include "base/Module.h"
#include "base/WideText.h"
#include "menu/TerminalArguments.h"

namespace {

const CommandBoxPlatform kRealCalls = {::ShellExecuteExW, ::GetFileAttributesW, ::SHGetKnownFolderPath};
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
  const DWORD attributes = calls.getFileAttributes(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A full path that names an existing file, else "".
std::wstring IfInstalled(const std::wstring& path) {
  return !path.empty() && !::PathIsRelativeW(path.c_str()) && IsExistingFile(path) ? path : std::wstring();
}

std::wstring SystemDirectory() {
  const UINT size = ::GetSystemDirectoryW(nullptr, 0);
  std::wstring folder(size, L'\0');
  const UINT length = size ? ::GetSystemDirectoryW(&folder[0], size) : 0;
  if (length == 0 || length >= size) {
    TRACE_LAST_FAILURE();
    return std::wstring();
  }
  folder.resize(length);
  return folder;
}

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
  wchar_t* path = nullptr;
  const HRESULT hr = calls.knownFolderPath(id, 0, nullptr, &path);
  UniqueCoTaskMem owner(path);
  if (FAILED(hr) || !path) {
    TRACE_FAILURE(FAILED(hr) ? hr : kResultFail);
    return std::wstring();
  }
  return path;
}

// Beneath a known folder; "" when the folder is unknown.
std::wstring Beneath(const std::wstring& folder, const wchar_t* rest) {
  return folder.empty() ? std::wstring() : folder + rest;
}

std::wstring ProgramFilesFolder() {
#ifndef _WIN64
  // A 32-bit process on 64-bit Windows is shown the 32-bit Program Files;
  // PowerShell 7 installs into the 64-bit one, which the system names here.
  const std::wstring native = EnvironmentValue(L"ProgramW6432");
  if (!native.empty() && !::PathIsRelativeW(native.c_str())) return native;
#endif
  return KnownFolder(FOLDERID_ProgramFiles);
}

}  // namespace

CommandBoxPlatform& CommandBoxCalls() { return calls; }
const CommandBoxPlatform& RealCommandBoxCalls() { return kRealCalls; }

const char* CommandPromptName(DWORD platformId) {
  return platformId == VER_PLATFORM_WIN32_NT ? "cmd.exe" : "command.com";
}

std::wstring CommandPromptPath(DWORD platformId) {
  const std::wstring comSpec = IfInstalled(EnvironmentValue(L"ComSpec"));
  if (!comSpec.empty()) return comSpec;
  const std::wstring system = SystemDirectory();
  if (system.empty()) return std::wstring();
  const char* name = CommandPromptName(platformId);
  return system + L"\\" + std::wstring(name, name + strlen(name));
}

std::wstring InterpreterPath(uint32_t choice) {
  switch (choice) {
    case CommandPrompt:
      return IfInstalled(CommandPromptPath(GetPlatformId()));
    case WindowsPowerShell:
      return IfInstalled(Beneath(SystemDirectory(), L"\\WindowsPowerShell\\v1.0\\powershell.exe"));
    case PowerShell7:
      return IfInstalled(Beneath(ProgramFilesFolder(), L"\\PowerShell\\7\\pwsh.exe"));
    case WindowsTerminal:
      return IfInstalled(Beneath(KnownFolder(FOLDERID_LocalAppData), L"\\Microsoft\\WindowsApps\\wt.exe"));
    default:
      return std::wstring();
  }
}

uint32_t InstalledInterpreter(uint32_t stored) {
  return stored != CommandPrompt && !InterpreterPath(stored).empty() ? stored : static_cast<uint32_t>(CommandPrompt);
}

void OpenDosBox(const Settings& settings, const SelectedFolders& folders, bool elevated) {
  // Without a folder the interpreter would start wherever the shell happens
  // to be, so there is nothing to start.
  if (folders.empty()) {
    TRACE_FAILURE(kResultFail);
    return;
  }
  const uint32_t choice = InstalledInterpreter(settings.DosBoxShell);
  // Command Prompt by its path as the system gives it, even where the file
  // cannot be seen: the system then says why it cannot start.
  const std::wstring interpreter =
      choice == CommandPrompt ? CommandPromptPath(GetPlatformId()) : InterpreterPath(choice);
  if (interpreter.empty()) return;
  const std::wstring& folder = folders.front();
  const std::wstring userParameters = WideFromCodePage(settings.DosBoxParam);
  // Terminal starts its shell in the folder it is told, not in its own.
  const std::wstring parameters =
      choice == WindowsTerminal ? TerminalParameters(folder, userParameters) : userParameters;
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.lpVerb = elevated ? L"runas" : nullptr;
  info.lpFile = interpreter.c_str();
  info.lpParameters = parameters.c_str();
  info.lpDirectory = folder.c_str();
  info.nShow = SW_SHOWNORMAL;
  // Failures are shown to the user by the system's own error interface.
  if (!calls.shellExecuteEx(&info)) TRACE_LAST_FAILURE();
}
