#pragma once
#include <windows.h>

// Hands out the cached class object for a class id (DllGetClassObject).
HRESULT GetModuleClassObject(REFCLSID clsid, REFIID iid, void** out);
