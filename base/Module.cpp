#include "base/Module.h"

#include <vector>

#include "base/ScopeExit.h"
#include "base/Text.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

class CriticalSection {
 public:
  CriticalSection() { ok_ = ::InitializeCriticalSectionAndSpinCount(&section_, 0) != FALSE; }
  ~CriticalSection() {
    if (ok_) ::DeleteCriticalSection(&section_);
  }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;
  bool ok() const { return ok_; }
  void Enter() { ::EnterCriticalSection(&section_); }
  void Leave() { ::LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
  bool ok_ = false;
};

struct PendingWindowObject {
  void* object;
  DWORD threadId;
};

// The members are constructed in the order the module needs them and torn
// down in reverse: resource lock, window-creation list, module lock.
struct ServerModule {
  CriticalSection resourceLock;
  CriticalSection windowListLock;
  std::vector<PendingWindowObject> windowList;
  CriticalSection moduleLock;
  volatile LONG lockCount = 0;
  bool initFailed = false;
  DWORD platformId = static_cast<DWORD>(-1);
  UINT codePage = 0;
  bool codePageChosen = false;

  ServerModule() {
    initFailed = !resourceLock.ok() || !windowListLock.ok() || !moduleLock.ok();
    SetLeadBytePredicate([](unsigned char byte) { return ::IsDBCSLeadByte(byte) != FALSE; });
  }
  ~ServerModule();
};

// Outlives the module record, so that late callers can tell it is gone.
volatile LONG tornDown = 0;

ServerModule::~ServerModule() { ::InterlockedExchange(&tornDown, 1); }

ServerModule& Module() {
  static ServerModule module;
  return module;
}

// Construct the module state before the loader's attach notification.
struct ModuleStarter {
  ModuleStarter() { Module(); }
} moduleStarter;

UINT ChooseCodePage() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof(version);
  if (::GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion > 4)
    return CP_THREAD_ACP;
  char digits[8] = {};
  if (::GetLocaleInfoA(::GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, digits, 7) > 0) {
    UINT page = 0;
    for (const char* p = digits; *p >= '0' && *p <= '9'; ++p) page = page * 10 + static_cast<UINT>(*p - '0');
    if (page != 0) return page;
  }
  return ::GetACP();
}

}  // namespace

HINSTANCE ModuleInstance() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

void ModuleLock() { ::InterlockedIncrement(&Module().lockCount); }
void ModuleUnlock() { ::InterlockedDecrement(&Module().lockCount); }
LONG ModuleLockCount() { return ::InterlockedCompareExchange(&Module().lockCount, 0, 0); }
bool ModuleTornDown() { return ::InterlockedCompareExchange(&tornDown, 0, 0) != 0; }
bool ModuleInitFailed() { return Module().initFailed; }

ModuleLockScope::ModuleLockScope() { Module().moduleLock.Enter(); }
ModuleLockScope::~ModuleLockScope() { Module().moduleLock.Leave(); }

DWORD GetPlatformId() {
  ServerModule& module = Module();
  if (module.platformId == static_cast<DWORD>(-1)) {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (::GetVersionExA(&version)) module.platformId = version.dwPlatformId;
  }
  return module.platformId;
}

void SetPlatformIdForTesting(DWORD platformId) { Module().platformId = platformId; }

UINT ConversionCodePage() {
  ServerModule& module = Module();
  if (!module.codePageChosen) {
    module.codePage = ChooseCodePage();
    module.codePageChosen = true;
  }
  return module.codePage;
}

std::string LoadModuleString(UINT id) {
  // String resources hold at most 65535 characters; grow until the text fits.
  std::string text(256, '\0');
  for (;;) {
    const int length = ::LoadStringA(ModuleInstance(), id, &text[0], static_cast<int>(text.size()));
    if (length <= 0) return std::string();
    if (static_cast<size_t>(length) < text.size() - 1 || text.size() > 0x20000) {
      text.resize(static_cast<size_t>(length));
      return text;
    }
    text.resize(text.size() * 2);
  }
}

void AddCreateWindowObject(void* object) {
  ServerModule& module = Module();
  module.windowListLock.Enter();
  const ScopeExit leave([&module] { module.windowListLock.Leave(); });
  module.windowList.push_back({object, ::GetCurrentThreadId()});
}

void* TakeCreateWindowObject() {
  ServerModule& module = Module();
  module.windowListLock.Enter();
  const ScopeExit leave([&module] { module.windowListLock.Leave(); });
  const DWORD thread = ::GetCurrentThreadId();
  for (auto it = module.windowList.begin(); it != module.windowList.end(); ++it) {
    if (it->threadId == thread) {
      void* object = it->object;
      module.windowList.erase(it);
      return object;
    }
  }
  return nullptr;
}
