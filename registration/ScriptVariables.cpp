#include "registration/ScriptVariables.h"

#include "registration/ClassIds.h"

std::vector<ScriptVariable> ScriptVariables(const std::string& modulePath) {
  return {{"SHELLEXT_CLSID", ClassIdText(kShellExtClassId)},
          {"COMMAND_CLSID", ClassIdText(kCommandClassId)},
          {"Module", modulePath},
          {"Module_Raw", modulePath},
          {"APPID", ""}};
}
