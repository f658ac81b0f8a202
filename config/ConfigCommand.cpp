#include "config/ConfigSheet.h"
#include "server/ShellExt.h"

// The sheet edits this object's own settings in place; its answer changes
// nothing for the shell.
void CShellExt::RunConfigureCommand() {
  ConfigSheet sheet(settings());
  sheet.RunModal(::GetActiveWindow());
}
