// Module-wide state of the in-process server: instance, lock count, platform
// facts, the module's own strings and the window-creation list.
#pragma once
#include <windows.h>

#include <string>

// The module's own instance (its load address); also the resource instance.
HINSTANCE ModuleInstance();

// LockCount: reasons to stay loaded, changed atomically.
void ModuleLock();
void ModuleUnlock();
LONG ModuleLockCount();

// True once the module-wide state has been torn down (process detach).
bool ModuleTornDown();
// True when a module-wide lock could not be initialised at load.
bool ModuleInitFailed();

// Serialises lazy one-time initialisations.
class ModuleLockScope {
 public:
  ModuleLockScope();
  ~ModuleLockScope();
  ModuleLockScope(const ModuleLockScope&) = delete;
  ModuleLockScope& operator=(const ModuleLockScope&) = delete;
};

// Platform id from GetVersionExA, asked once (2 = NT family).
DWORD GetPlatformId();
// Code page of every ANSI/UTF-16 conversion of the module, chosen once.
UINT ConversionCodePage();

// A string of the module's string table; a missing string gives "".
std::string LoadModuleString(UINT id);

// Window-creation list: code about to create a window whose messages an
// object of the module handles registers the object first; the window's
// first message on the same thread takes it out again.
void AddCreateWindowObject(void* object);
void* TakeCreateWindowObject();

// Test seam: replaces the cached platform id (-1 asks the system again).
void SetPlatformIdForTesting(DWORD platformId);
