#include "server/ShellExt.h"

void CShellExt::RunConfigureCommand() {}
