// The five entry points of the in-process server.
#include <windows.h>

#include "server/ClassFactory.h"
#include "base/Module.h"
#include "server/Registration.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH && ModuleInitFailed()) return FALSE;
  return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return GetModuleClassObject(clsid, iid, out);
}

extern "C" HRESULT WINAPI DllCanUnloadNow() { return ModuleLockCount() == 0 ? S_OK : S_FALSE; }

extern "C" HRESULT WINAPI DllRegisterServer() { return RegisterModule(true); }

extern "C" HRESULT WINAPI DllUnregisterServer() { return RegisterModule(false); }
