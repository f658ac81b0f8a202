// Entries of system modules found by name at run time: calls that older
// systems lack, and modules that the module must not import.
#pragma once
#include <windows.h>

// The entry `name` of `module` as a function of type F; null when there is
// no module or it lacks the entry.
template <typename F>
F ProcEntry(HMODULE module, const char* name) {
  if (!module) return nullptr;
  return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// kernel32 is loaded in every process.
template <typename F>
F Kernel32Entry(const char* name) {
  return ProcEntry<F>(::GetModuleHandleA("kernel32.dll"), name);
}
