#pragma once
#include <windows.h>

// Runs the module's registration script in register or unregister mode.
HRESULT RegisterModule(bool registering);

// The platform calls of registration. Tests replace entries to make calls
// fail that Wine will not fail on demand, and put the table back after.
struct RegistrationPlatform {
  DWORD(WINAPI* getModuleFileName)(HMODULE module, LPSTR path, DWORD size);
  HRSRC(WINAPI* findResource)(HMODULE module, LPCSTR name, LPCSTR type);
  LSTATUS(WINAPI* openKey)(HKEY parent, LPCSTR name, DWORD options, REGSAM access, PHKEY key);
  LSTATUS(WINAPI* createKey)(HKEY parent, LPCSTR name, DWORD reserved, LPSTR keyClass, DWORD options, REGSAM access,
                             LPSECURITY_ATTRIBUTES security, PHKEY key, LPDWORD disposition);
  LSTATUS(WINAPI* setValue)(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
  LSTATUS(WINAPI* deleteKey)(HKEY parent, LPCSTR name);
  LSTATUS(WINAPI* deleteValue)(HKEY key, LPCSTR name);
  LSTATUS(WINAPI* enumKey)(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD reserved, LPSTR keyClass,
                           LPDWORD classLength, PFILETIME written);
};

// The table in use; tests change entries and put the real ones back.
RegistrationPlatform& RegistrationCalls();
// The system's own functions.
const RegistrationPlatform& RealRegistrationCalls();
