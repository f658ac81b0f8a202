// The replacement variables of the module's registration script.
#pragma once
#include <string>
#include <vector>

#include "registration/Registrar.h"

// The class ids of the handler and of the Explorer command as registry
// text, `modulePath` for the module's own path (raw and quoted alike), and
// no application id.
std::vector<ScriptVariable> ScriptVariables(const std::string& modulePath);
