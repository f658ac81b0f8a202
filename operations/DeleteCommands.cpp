#include "server/ShellExt.h"

void CShellExt::RunDeleteCommand(bool) {}
void CShellExt::RunCleanCommand() {}
