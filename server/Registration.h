#pragma once
#include <windows.h>

// Runs the module's registration script in register or unregister mode.
HRESULT RegisterModule(bool registering);
