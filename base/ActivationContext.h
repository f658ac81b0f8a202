// Runs window-creating calls with the module's activation context active, so
// that the module's own windows get version 6 of the common controls.
#pragma once
#include <windows.h>

// Activates the module's context for the scope's life and deactivates it
// again, keeping the thread's last error. Without activation-context support
// the scope does nothing; any other failure to activate leaves Failed() true
// and the guarded call must not be made.
class ActivationScope {
 public:
  ActivationScope();
  ~ActivationScope();
  ActivationScope(const ActivationScope&) = delete;
  ActivationScope& operator=(const ActivationScope&) = delete;
  bool Failed() const { return failed_; }

 private:
  ULONG_PTR cookie_ = 0;
  bool active_ = false;
  bool failed_ = false;
};

// The module's activation context, or null when it has none.
HANDLE ModuleActivationContext();
