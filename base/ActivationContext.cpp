#include "base/ActivationContext.h"

#include "base/ScopeExit.h"
#include "base/Module.h"
#include "base/ProcEntry.h"

namespace {

using QueryActCtxWFn = BOOL(WINAPI*)(DWORD, PVOID, PVOID, ULONG, PVOID, SIZE_T, SIZE_T*);
using CreateActCtxWFn = HANDLE(WINAPI*)(const ACTCTXW*);
using ActivateActCtxFn = BOOL(WINAPI*)(HANDLE, ULONG_PTR*);
using DeactivateActCtxFn = BOOL(WINAPI*)(DWORD, ULONG_PTR);

// Set up once, on the first window-creating call; kept for the module's life.
struct ContextState {
  bool initialised = false;
  bool unsupported = false;
  bool comctlLoaded = false;
  HANDLE context = nullptr;
  ActivateActCtxFn activate = nullptr;
  DeactivateActCtxFn deactivate = nullptr;
};

ContextState state;

HANDLE FindModuleContext() {
  auto query = Kernel32Entry<QueryActCtxWFn>("QueryActCtxW");
  if (query) {
    ACTIVATION_CONTEXT_BASIC_INFORMATION info = {};
    if (query(QUERY_ACTCTX_FLAG_ACTCTX_IS_ADDRESS | QUERY_ACTCTX_FLAG_NO_ADDREF,
              reinterpret_cast<PVOID>(ModuleInstance()), nullptr, ActivationContextBasicInformation, &info,
              sizeof(info), nullptr) &&
        info.hActCtx)
      return info.hActCtx;
  }
  auto create = Kernel32Entry<CreateActCtxWFn>("CreateActCtxW");
  if (!create) return nullptr;
  wchar_t path[MAX_PATH + 1] = {};
  if (!::GetModuleFileNameW(ModuleInstance(), path, MAX_PATH)) return nullptr;
  ACTCTXW request = {};
  request.cbSize = sizeof(request);
  request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID | ACTCTX_FLAG_HMODULE_VALID;
  request.lpSource = path;
  request.lpResourceName = MAKEINTRESOURCEW(3);
  request.hModule = ModuleInstance();
  HANDLE context = create(&request);
  // Errors 1812 to 1815 (no manifest resource) mean: run without a context.
  return context == INVALID_HANDLE_VALUE ? nullptr : context;
}

void Initialise() {
  ModuleLockScope lock;
  if (state.initialised) return;
  state.activate = Kernel32Entry<ActivateActCtxFn>("ActivateActCtx");
  state.deactivate = Kernel32Entry<DeactivateActCtxFn>("DeactivateActCtx");
  if (!state.activate || !state.deactivate)
    state.unsupported = true;
  else
    state.context = FindModuleContext();
  state.initialised = true;
}

}  // namespace

HANDLE ModuleActivationContext() {
  Initialise();
  return state.unsupported ? nullptr : state.context;
}

ActivationScope::ActivationScope() {
  Initialise();
  if (state.unsupported || !state.context) return;
  if (!state.activate(state.context, &cookie_)) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_PROC_NOT_FOUND || error == ERROR_CALL_NOT_IMPLEMENTED)
      state.unsupported = true;
    else
      failed_ = true;
    return;
  }
  active_ = true;
  if (!state.comctlLoaded) {
    // Load the redirected common controls once while the context is active.
    const DWORD error = ::GetLastError();
    const ScopeExit keep([error] { ::SetLastError(error); });
    ::LoadLibraryW(L"Comctl32.dll");
    state.comctlLoaded = true;
  }
}

ActivationScope::~ActivationScope() {
  if (!active_) return;
  const DWORD error = ::GetLastError();
  const ScopeExit keep([error] { ::SetLastError(error); });
  state.deactivate(0, cookie_);
}
