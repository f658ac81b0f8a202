#pragma once
#include <windows.h>

// Runs the module's registration script in register or unregister mode.
HRESULT RegisterModule(bool registering);

// The platform calls of registration. Tests replace entries to make calls
// fail that Wine will not fail on demand, and put the table back after.
struct RegistrationPlatform {
  decltype(&::GetModuleFileNameA) getModuleFileName;
  decltype(&::FindResourceA) findResource;
  decltype(&::RegOpenKeyExA) openKey;
  decltype(&::RegCreateKeyExA) createKey;
  decltype(&::RegSetValueExA) setValue;
  decltype(&::RegDeleteKeyA) deleteKey;
  decltype(&::RegDeleteValueA) deleteValue;
  decltype(&::RegEnumKeyExA) enumKey;
};

// The table in use; tests change entries and put the real ones back.
RegistrationPlatform& RegistrationCalls();
// The system's own functions.
const RegistrationPlatform& RealRegistrationCalls();
