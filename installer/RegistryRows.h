// Turns the module's registration script into the registry rows of the
// installer, so that the package writes exactly what DllRegisterServer
// writes. Pure code: it runs on the build machine and in the tests.
#pragma once
#include <string>
#include <vector>

#include "registration/Registrar.h"

// What stands for the module's own path while the script is read (the
// script variables of kModuleMarker); it must
// never occur in the script's own text (no control character may).
constexpr char kModuleMarker[] = "\x01";

// Writes WiX <RegistryValue>/<RegistryKey> elements (one per line, each
// indented by `indent`) for the machine-wide blocks (HKCR, HKLM) of a read
// script. The module path becomes "[#fileId]", the installed file's path.
// Per-user blocks (HKCU, HKU) are left out: the package is per machine and
// must never touch users' own settings; their roots go to `skippedRoots`.
//   key with a default value  -> RegistryValue without Name
//   val name = s '...'       -> RegistryValue Name="name"
//   ForceRemove key           -> also a "*" row: created on install, removed
//                                with everything below it on uninstall
//   an empty key of our own   -> a "*" row, so that it exists at all
// Texts are escaped for XML and for the installer's formatted strings.
// Returns kResultScriptError for a text the installer cannot hold as
// written (a control character, a byte above 0x7F: the script's code page is
// not the package's).
Result WriteRegistryRows(const std::vector<ScriptBlock>& blocks, const std::string& fileId, const std::string& indent,
                         std::string& xml, std::vector<std::string>& skippedRoots);
