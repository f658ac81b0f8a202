#include "server/ExplorerCommand.h"

#include <shlguid.h>
#include <shobjidl.h>

#include <cstring>
#include <new>
#include <string>

#include "base/ErrorReturn.h"
#include "base/Handles.h"
#include "base/LastError.h"
#include "base/Module.h"
#include "operations/FolderWalker.h"
#include "server/ComTry.h"
#include "server/MenuCommands.h"
#include "settings/SettingsStore.h"

namespace {

// A copy of text the caller frees with CoTaskMemFree, as the shell expects.
HRESULT CopyForCaller(const std::wstring& text, LPWSTR* out) {
  const size_t bytes = (text.size() + 1) * sizeof(WCHAR);
  auto* copy = static_cast<LPWSTR>(::CoTaskMemAlloc(bytes));
  if (!copy) return TRACE_FAILURE(kResultOutOfMemory);
  std::memcpy(copy, text.c_str(), bytes);
  *out = copy;
  return S_OK;
}

HRESULT ModuleStringForCaller(UINT id, LPWSTR* out) {
  if (!out) return TRACE_FAILURE(E_POINTER);
  *out = nullptr;
  // With a zero size the call gives the resource's own read-only text.
  const WCHAR* text = nullptr;
  const int length = ::LoadStringW(ModuleInstance(), id, reinterpret_cast<LPWSTR>(&text), 0);
  RETURN_LAST_ERROR_IF(length <= 0 || !text);
  return CopyForCaller(std::wstring(text, static_cast<size_t>(length)), out);
}

HRESULT ModulePathW(std::wstring& path) {
  for (DWORD size = MAX_PATH;; size *= 2) {
    path.assign(size, L'\0');
    ::SetLastError(0);
    const DWORD length = ::GetModuleFileNameW(ModuleInstance(), &path[0], size);
    RETURN_LAST_ERROR_IF(length == 0);
    // A full buffer means the path was cut short.
    if (length < size) {
      path.resize(length);
      return S_OK;
    }
    if (size >= 0x8000) return TRACE_FAILURE(ResultFromError(ERROR_INSUFFICIENT_BUFFER));
  }
}

// The selection's file-system paths exactly as the shell names them. A
// selection holding anything but file-system folders is refused whole.
HRESULT ReadFolders(IShellItemArray* items, SelectedFolders& folders) {
  if (!items) return TRACE_FAILURE(kResultInvalidArgument);
  DWORD count = 0;
  RETURN_IF_FAILED(items->GetCount(&count));
  for (DWORD i = 0; i < count; ++i) {
    UniqueCom<IShellItem> item;
    RETURN_IF_FAILED(items->GetItemAt(i, item.put()));
    if (!item) return TRACE_FAILURE(E_UNEXPECTED);
    LPWSTR name = nullptr;
    const HRESULT named = item.get()->GetDisplayName(SIGDN_FILESYSPATH, &name);
    const UniqueCoTaskMem owner(name);
    if (FAILED(named) || !name) return TRACE_FAILURE(kResultInvalidArgument);
    std::wstring path(name);
    if (!IsSelectableFolder(path)) return TRACE_FAILURE(kResultInvalidArgument);
    folders.push_back(std::move(path));
  }
  if (folders.empty()) return TRACE_FAILURE(kResultInvalidArgument);
  return S_OK;
}

DWORD SelectionCount(IShellItemArray* items) {
  DWORD count = 0;
  if (items && FAILED(items->GetCount(&count))) return 0;
  return count;
}

// The window of the browser that set the site, for the dialogs' owner;
// none when the site offers no window.
HWND SiteWindow(IUnknown* site) {
  if (!site) return nullptr;
  UniqueCom<IOleWindow> window;
  UniqueCom<IServiceProvider> provider;
  if (SUCCEEDED(site->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(provider.put()))) && provider)
    provider.get()->QueryService(SID_STopLevelBrowser, IID_IOleWindow, reinterpret_cast<void**>(window.put()));
  if (!window) site->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(window.put()));
  HWND hwnd = nullptr;
  if (window && FAILED(window.get()->GetWindow(&hwnd))) hwnd = nullptr;
  return hwnd;
}

// Neither the root nor a sub-command has a canonical name.
HRESULT NoCanonicalName(GUID* name) {
  if (!name) return E_POINTER;
  *name = GUID_NULL;
  return E_NOTIMPL;
}

// Reference count and module lock, for every object of the command.
class ComObject {
 protected:
  ComObject() { ModuleLock(); }
  virtual ~ComObject() { ModuleUnlock(); }
  ULONG AddReference() { return static_cast<ULONG>(::InterlockedIncrement(&refCount_)); }
  ULONG ReleaseReference() {
    const LONG count = ::InterlockedDecrement(&refCount_);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
  }

 private:
  LONG refCount_ = 1;
};

// Site handling shared by the root and its sub-commands.
class SiteHolder : public IObjectWithSite {
 public:
  STDMETHODIMP SetSite(IUnknown* site) override {
    COM_TRY_BEGIN
    if (site) site->AddRef();
    site_.reset(site);
    return S_OK;
    COM_TRY_END
  }
  STDMETHODIMP GetSite(REFIID iid, void** out) override {
    COM_TRY_BEGIN
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!site_) return kResultFail;
    return site_.get()->QueryInterface(iid, out);
    COM_TRY_END
  }
  IUnknown* site() const { return site_.get(); }

 private:
  UniqueCom<IUnknown> site_;
};

// The root and its sub-commands answer for the same interfaces; the command
// is the identity.
template <class Command>
HRESULT QueryCommand(Command* command, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IExplorerCommand))
    *out = static_cast<IExplorerCommand*>(command);
  else if (IsEqualIID(iid, IID_IObjectWithSite))
    *out = static_cast<IObjectWithSite*>(command);
  else
    return E_NOINTERFACE;
  command->AddRef();
  return S_OK;
}

class RootCommand;

// One command of the table as a sub-command of the root.
class SubCommand final : public IExplorerCommand, public SiteHolder, private ComObject {
 public:
  SubCommand(RootCommand* root, const MenuCommandEntry& entry);
  ~SubCommand() override;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
  STDMETHODIMP_(ULONG) Release() override { return ReleaseReference(); }

  STDMETHODIMP GetTitle(IShellItemArray*, LPWSTR* name) override {
    COM_TRY_BEGIN
    return ModuleStringForCaller(entry_.textId, name);
    COM_TRY_END
  }
  STDMETHODIMP GetIcon(IShellItemArray*, LPWSTR* icon) override;
  STDMETHODIMP GetToolTip(IShellItemArray*, LPWSTR* tip) override {
    COM_TRY_BEGIN
    return ModuleStringForCaller(entry_.helpId, tip);
    COM_TRY_END
  }
  STDMETHODIMP GetCanonicalName(GUID* name) override { return NoCanonicalName(name); }
  STDMETHODIMP GetState(IShellItemArray* items, BOOL, EXPCMDSTATE* state) override;
  STDMETHODIMP Invoke(IShellItemArray* items, IBindCtx*) override;
  STDMETHODIMP GetFlags(EXPCMDFLAGS* flags) override;
  // One level only: Windows 11 shows no deeper one.
  STDMETHODIMP EnumSubCommands(IEnumExplorerCommand** out) override {
    COM_TRY_BEGIN
    if (!out) return E_POINTER;
    *out = nullptr;
    return E_NOTIMPL;
    COM_TRY_END
  }

 private:
  RootCommand* root_;
  const MenuCommandEntry& entry_;
};

// The sub-commands in table order; hidden ones say so through GetState.
class CommandEnum final : public IEnumExplorerCommand, private ComObject {
 public:
  CommandEnum(RootCommand* root, ULONG next);
  ~CommandEnum() override;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
  STDMETHODIMP_(ULONG) Release() override { return ReleaseReference(); }

  STDMETHODIMP Next(ULONG count, IExplorerCommand** out, ULONG* fetched) override;
  STDMETHODIMP Skip(ULONG count) override {
    COM_TRY_BEGIN
    const ULONG left = CommandCount() - next_;
    next_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
    COM_TRY_END
  }
  STDMETHODIMP Reset() override {
    COM_TRY_BEGIN
    next_ = 0;
    return S_OK;
    COM_TRY_END
  }
  STDMETHODIMP Clone(IEnumExplorerCommand** out) override;

 private:
  static ULONG CommandCount() { return static_cast<ULONG>(MenuCommandsEnd() - MenuCommandsBegin()); }
  RootCommand* root_;
  ULONG next_;
};

class RootCommand final : public IExplorerCommand, public SiteHolder, private ComObject {
 public:
  RootCommand() { SettingsStore::Load(settings_); }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return QueryCommand(this, iid, out); }
  STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
  STDMETHODIMP_(ULONG) Release() override { return ReleaseReference(); }

  STDMETHODIMP GetTitle(IShellItemArray*, LPWSTR* name) override {
    COM_TRY_BEGIN
    return ModuleStringForCaller(PopupCommand().textId, name);
    COM_TRY_END
  }
  // The popup has bitmaps for the classic menu but no icon of its own.
  STDMETHODIMP GetIcon(IShellItemArray*, LPWSTR* icon) override {
    COM_TRY_BEGIN
    if (!icon) return E_POINTER;
    *icon = nullptr;
    return E_NOTIMPL;
    COM_TRY_END
  }
  STDMETHODIMP GetToolTip(IShellItemArray*, LPWSTR* tip) override {
    COM_TRY_BEGIN
    return ModuleStringForCaller(PopupCommand().helpId, tip);
    COM_TRY_END
  }
  STDMETHODIMP GetCanonicalName(GUID* name) override { return NoCanonicalName(name); }
  STDMETHODIMP GetState(IShellItemArray*, BOOL, EXPCMDSTATE* state) override {
    COM_TRY_BEGIN
    if (!state) return E_POINTER;
    *state = ECS_ENABLED;
    return S_OK;
    COM_TRY_END
  }
  // The root only opens its sub-commands.
  STDMETHODIMP Invoke(IShellItemArray*, IBindCtx*) override { return E_NOTIMPL; }
  STDMETHODIMP GetFlags(EXPCMDFLAGS* flags) override {
    COM_TRY_BEGIN
    if (!flags) return E_POINTER;
    *flags = ECF_HASSUBCOMMANDS;
    return S_OK;
    COM_TRY_END
  }
  STDMETHODIMP EnumSubCommands(IEnumExplorerCommand** out) override {
    COM_TRY_BEGIN
    if (!out) return E_POINTER;
    *out = nullptr;
    *out = new CommandEnum(this, 0);
    return S_OK;
    COM_TRY_END
  }

  Settings& settings() { return settings_; }

 private:
  Settings settings_;
};

SubCommand::SubCommand(RootCommand* root, const MenuCommandEntry& entry) : root_(root), entry_(entry) {
  root_->AddRef();
}

SubCommand::~SubCommand() { root_->Release(); }

STDMETHODIMP SubCommand::QueryInterface(REFIID iid, void** out) { return QueryCommand(this, iid, out); }

namespace {

// A resource id in decimal, without the toolchain's wide printf that
// std::to_wstring would link into the module.
std::wstring Decimal(unsigned id) {
  wchar_t digits[10];
  size_t at = sizeof(digits) / sizeof(digits[0]);
  do {
    digits[--at] = static_cast<wchar_t>(L'0' + id % 10);
    id /= 10;
  } while (id != 0);
  return std::wstring(digits + at, digits + sizeof(digits) / sizeof(digits[0]));
}

}  // namespace

// "module path,-id": the shell loads the icon from the module's resources.
STDMETHODIMP SubCommand::GetIcon(IShellItemArray*, LPWSTR* icon) {
  COM_TRY_BEGIN
  if (!icon) return E_POINTER;
  *icon = nullptr;
  if (entry_.iconId == 0) return E_NOTIMPL;
  std::wstring path;
  RETURN_IF_FAILED(ModulePathW(path));
  return CopyForCaller(path + L",-" + Decimal(entry_.iconId), icon);
  COM_TRY_END
}

STDMETHODIMP SubCommand::GetState(IShellItemArray* items, BOOL, EXPCMDSTATE* state) {
  COM_TRY_BEGIN
  if (!state) return E_POINTER;
  if (!IsCommandShown(entry_, root_->settings().Items))
    *state = ECS_HIDDEN;
  else
    *state = IsCommandEnabled(entry_, SelectionCount(items)) ? ECS_ENABLED : ECS_DISABLED;
  return S_OK;
  COM_TRY_END
}

STDMETHODIMP SubCommand::GetFlags(EXPCMDFLAGS* flags) {
  COM_TRY_BEGIN
  if (!flags) return E_POINTER;
  *flags = ECF_DEFAULT;
  if (!entry_.separatorBefore) return S_OK;
  // As in the classic menu: a separator only when a command precedes it.
  const uint32_t items = root_->settings().Items;
  for (const MenuCommandEntry* before = MenuCommandsBegin(); before != &entry_; ++before)
    if (IsCommandShown(*before, items)) *flags = ECF_SEPARATORBEFORE;
  return S_OK;
  COM_TRY_END
}

STDMETHODIMP SubCommand::Invoke(IShellItemArray* items, IBindCtx*) {
  COM_TRY_BEGIN
  const bool shiftDown = (::GetKeyState(VK_SHIFT) & 0x80) != 0;
  const bool controlDown = (::GetKeyState(VK_CONTROL) & 0x80) != 0;
  SelectedFolders folders;
  RETURN_IF_FAILED(ReadFolders(items, folders));
  const CommandContext context = {root_->settings(), folders, SiteWindow(site() ? site() : root_->site()),
                                  shiftDown, controlDown};
  entry_.run(context);
  return S_OK;
  COM_TRY_END
}

CommandEnum::CommandEnum(RootCommand* root, ULONG next) : root_(root), next_(next) { root_->AddRef(); }

CommandEnum::~CommandEnum() { root_->Release(); }

STDMETHODIMP CommandEnum::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IEnumExplorerCommand)) return E_NOINTERFACE;
  *out = static_cast<IEnumExplorerCommand*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP CommandEnum::Next(ULONG count, IExplorerCommand** out, ULONG* fetched) {
  COM_TRY_BEGIN
  if (!out) return E_POINTER;
  // Without a count to fill in, only one element may be asked for.
  if (!fetched && count != 1) return kResultInvalidArgument;
  ULONG given = 0;
  for (; given < count && next_ < CommandCount(); ++given) {
    out[given] = new (std::nothrow) SubCommand(root_, MenuCommandsBegin()[next_]);
    if (!out[given]) {
      for (ULONG i = 0; i < given; ++i) {
        out[i]->Release();
        out[i] = nullptr;
      }
      if (fetched) *fetched = 0;
      return TRACE_FAILURE(kResultOutOfMemory);
    }
    ++next_;
  }
  if (fetched) *fetched = given;
  return given == count ? S_OK : S_FALSE;
  COM_TRY_END
}

STDMETHODIMP CommandEnum::Clone(IEnumExplorerCommand** out) {
  COM_TRY_BEGIN
  if (!out) return E_POINTER;
  *out = nullptr;
  *out = new CommandEnum(root_, next_);
  return S_OK;
  COM_TRY_END
}

}  // namespace

HRESULT CreateExplorerCommand(IUnknown* outer, REFIID iid, void** out) {
  COM_TRY_BEGIN
  if (!out) return E_POINTER;
  *out = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  auto* root = new (std::nothrow) RootCommand();
  if (!root) return kResultOutOfMemory;
  const HRESULT hr = root->QueryInterface(iid, out);
  root->Release();
  return hr;
  COM_TRY_END
}
