#include "menu/CommandBox.h"

#include "server/ErrorReturn.h"
#include "server/Module.h"
#include "server/ShellExt.h"

namespace {

constexpr const char* kUnit = kUnitShellExt;

ShellExecuteExFunction shellExecuteEx = ::ShellExecuteExA;

}  // namespace

ShellExecuteExFunction SetShellExecuteExForTesting(ShellExecuteExFunction function) {
  const ShellExecuteExFunction previous = shellExecuteEx;
  shellExecuteEx = function ? function : ::ShellExecuteExA;
  return previous;
}

const char* CommandInterpreterName(DWORD platformId) {
  return platformId == VER_PLATFORM_WIN32_NT ? "cmd.exe" : "command.com";
}

void CShellExt::RunCommandBox() {
  // Without a folder the interpreter would start wherever the shell happens
  // to be, so there is nothing to start.
  if (folders_.empty()) {
    TRACE_FAILURE(E_FAIL);
    return;
  }
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof(info);
  // Found along the search path, as the user would type it.
  info.lpFile = CommandInterpreterName(GetPlatformId());
  info.lpParameters = settings_.DosBoxParam.c_str();
  info.lpDirectory = folders_.front().c_str();
  info.nShow = SW_SHOWNORMAL;
  // Failures are shown to the user by the system's own error interface.
  if (!shellExecuteEx(&info)) TRACE_FAILURE(ResultFromError(::GetLastError()));
}
