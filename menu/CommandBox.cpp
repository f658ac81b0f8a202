#include "server/ShellExt.h"

void CShellExt::RunCommandBox() {}
