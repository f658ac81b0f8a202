#include "CommandHost.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "server/Guids.h"

namespace {

void Fail(const char* what, HRESULT hr) { fprintf(stderr, "host: %s failed (0x%08lX)\n", what, hr); }

template <typename Interface>
class Ref {
 public:
  Ref() = default;
  ~Ref() { reset(); }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  Interface* get() const { return p_; }
  Interface* operator->() const { return p_; }
  Interface** put() {
    reset();
    return &p_;
  }
  void** putVoid() { return reinterpret_cast<void**>(put()); }
  void reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }

 private:
  Interface* p_ = nullptr;
};

std::string Narrow(const WCHAR* text) {
  if (!text) return "";
  char buffer[2048] = {};
  WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof(buffer) - 1, nullptr, nullptr);
  return buffer;
}

// Text the command hands out, freed as the shell frees it.
std::string TakeText(HRESULT hr, LPWSTR text) {
  std::string out = SUCCEEDED(hr) && text ? Narrow(text) : "-";
  CoTaskMemFree(text);
  return out;
}

// The site Explorer gives its commands: a service provider whose top-level
// browser is a window.
class Site final : public IServiceProvider, public IOleWindow {
 public:
  explicit Site(HWND window) : window_(window) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IServiceProvider))
      *out = static_cast<IServiceProvider*>(this);
    else if (IsEqualIID(iid, IID_IOleWindow))
      *out = static_cast<IOleWindow*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override { return --refs_; }
  STDMETHODIMP QueryService(REFGUID, REFIID iid, void** out) override { return QueryInterface(iid, out); }
  STDMETHODIMP GetWindow(HWND* window) override {
    if (!window) return E_POINTER;
    *window = window_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  ULONG refs() const { return refs_; }

 private:
  HWND window_;
  ULONG refs_ = 1;
};

HRESULT CreateCommand(const CommandHostOptions& options, IExplorerCommand** command) {
  if (options.dll.empty())
    return CoCreateInstance(CLSID_VarnokeCommand, nullptr, CLSCTX_INPROC_SERVER, IID_IExplorerCommand,
                            reinterpret_cast<void**>(command));
  // Kept loaded: the objects live in it until the process ends.
  const HMODULE module = LoadLibraryA(options.dll.c_str());
  if (!module) return HRESULT_FROM_WIN32(GetLastError());
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  const auto get =
      reinterpret_cast<GetClassObject>(reinterpret_cast<void (*)()>(GetProcAddress(module, "DllGetClassObject")));
  if (!get) return HRESULT_FROM_WIN32(GetLastError());
  Ref<IClassFactory> factory;
  HRESULT hr = get(CLSID_VarnokeCommand, IID_IClassFactory, factory.putVoid());
  if (FAILED(hr)) return hr;
  return factory->CreateInstance(nullptr, IID_IExplorerCommand, reinterpret_cast<void**>(command));
}

// The selection as Explorer hands it over: shell items of the parsed names.
HRESULT SelectionArray(const std::vector<std::wstring>& folders, IShellItemArray** array) {
  std::vector<PIDLIST_ABSOLUTE> ids;
  HRESULT hr = S_OK;
  for (const std::wstring& folder : folders) {
    PIDLIST_ABSOLUTE id = nullptr;
    hr = SHParseDisplayName(folder.c_str(), nullptr, &id, 0, nullptr);
    if (FAILED(hr)) {
      fprintf(stderr, "host: no such item: %s\n", Narrow(folder.c_str()).c_str());
      break;
    }
    ids.push_back(id);
  }
  if (SUCCEEDED(hr))
    hr = SHCreateShellItemArrayFromIDLists(static_cast<UINT>(ids.size()),
                                           const_cast<PCIDLIST_ABSOLUTE_ARRAY>(ids.data()), array);
  for (PIDLIST_ABSOLUTE id : ids) CoTaskMemFree(id);
  return hr;
}

HWND SiteWindowOf(IUnknown* site) {
  Ref<IOleWindow> window;
  HWND hwnd = nullptr;
  if (SUCCEEDED(site->QueryInterface(IID_IOleWindow, window.putVoid()))) window->GetWindow(&hwnd);
  return hwnd;
}

void SetSite(IExplorerCommand* command, IUnknown* site) {
  Ref<IObjectWithSite> withSite;
  if (SUCCEEDED(command->QueryInterface(IID_IObjectWithSite, withSite.putVoid()))) withSite->SetSite(site);
}

std::string StateText(HRESULT hr, EXPCMDSTATE state) {
  if (FAILED(hr)) return "failed";
  if (state & ECS_HIDDEN) return "hidden";
  return (state & ECS_DISABLED) ? "disabled" : "enabled";
}

std::string FlagsText(HRESULT hr, EXPCMDFLAGS flags) {
  if (FAILED(hr)) return "failed";
  std::string text;
  if (flags & ECF_HASSUBCOMMANDS) text += "+subcommands";
  if (flags & ECF_SEPARATORBEFORE) text += "+separator-before";
  if (flags & ECF_SEPARATORAFTER) text += "+separator-after";
  return text.empty() ? "-" : text.substr(1);
}

// One line per command, tab-separated: path, state, flags, icon, tool tip.
std::string Describe(IExplorerCommand* command, IShellItemArray* selection, const std::string& prefix,
                     std::string* title) {
  LPWSTR text = nullptr;
  HRESULT hr = command->GetTitle(selection, &text);
  *title = TakeText(hr, text);
  text = nullptr;
  hr = command->GetIcon(selection, &text);
  const std::string icon = TakeText(hr, text);
  text = nullptr;
  hr = command->GetToolTip(selection, &text);
  const std::string tip = TakeText(hr, text);
  EXPCMDSTATE state = 0;
  const HRESULT stateHr = command->GetState(selection, TRUE, &state);
  EXPCMDFLAGS flags = 0;
  const HRESULT flagsHr = command->GetFlags(&flags);
  return prefix + *title + "\t" + StateText(stateHr, state) + "\t" + FlagsText(flagsHr, flags) + "\t" + icon + "\t" +
         tip;
}

// Prints the tree and, for run, invokes the named sub-command.
int WalkTree(const CommandHostOptions& options, bool run, IExplorerCommand* root, IShellItemArray* selection,
             IUnknown* site) {
  if (!run) printf("command\tstate\tflags\ticon\ttooltip\n");
  std::string rootTitle;
  const std::string rootLine = Describe(root, selection, "", &rootTitle);
  if (!run) printf("%s\n", rootLine.c_str());
  Ref<IEnumExplorerCommand> children;
  HRESULT hr = root->EnumSubCommands(children.put());
  if (FAILED(hr)) {
    Fail("IExplorerCommand::EnumSubCommands", hr);
    return 2;
  }
  for (;;) {
    Ref<IExplorerCommand> child;
    ULONG fetched = 0;
    if (children->Next(1, child.put(), &fetched) != S_OK || fetched != 1) break;
    if (site) SetSite(child.get(), site);
    std::string title;
    const std::string line = Describe(child.get(), selection, rootTitle + "/", &title);
    if (!run) {
      printf("%s\n", line.c_str());
      continue;
    }
    if (title != options.item && rootTitle + "/" + title != options.item) continue;
    EXPCMDSTATE state = 0;
    child->GetState(selection, TRUE, &state);
    if (state & (ECS_HIDDEN | ECS_DISABLED)) {
      fprintf(stderr, "host: \"%s\" is %s\n", title.c_str(), (state & ECS_HIDDEN) ? "hidden" : "disabled");
      return 3;
    }
    BYTE keys[256] = {};
    if (options.shift) {
      GetKeyboardState(keys);
      keys[VK_SHIFT] = keys[VK_LSHIFT] = 0x80;
      SetKeyboardState(keys);
    }
    if (site) printf("site window %p\n", static_cast<void*>(SiteWindowOf(site)));
    fflush(stdout);
    hr = child->Invoke(selection, nullptr);
    if (options.shift) {
      keys[VK_SHIFT] = keys[VK_LSHIFT] = 0;
      SetKeyboardState(keys);
    }
    printf("invoked %s: 0x%08lX\n", title.c_str(), hr);
    if (site) SetSite(child.get(), nullptr);
    return SUCCEEDED(hr) ? 0 : 2;
  }
  if (run) {
    fprintf(stderr, "host: no command \"%s\"\n", options.item.c_str());
    return 3;
  }
  return 0;
}

}  // namespace

int RunCommandHost(const std::string& command, const CommandHostOptions& options) {
  Ref<IExplorerCommand> root;
  HRESULT hr = CreateCommand(options, root.put());
  if (FAILED(hr)) {
    Fail(options.dll.empty() ? "CoCreateInstance of the Explorer command" : "DllGetClassObject/CreateInstance", hr);
    return 2;
  }
  Ref<IShellItemArray> selection;
  hr = SelectionArray(options.folders, selection.put());
  if (FAILED(hr)) {
    Fail("SHCreateShellItemArrayFromIDLists", hr);
    return 2;
  }
  // The browser's window: the owner of whatever the commands show.
  HWND window = CreateWindowExA(0, "STATIC", "Varnoke command host", WS_OVERLAPPED, 40, 40, 320, 120, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
  Site site(window);
  IUnknown* const siteUnknown = options.site ? static_cast<IServiceProvider*>(&site) : nullptr;
  if (siteUnknown) SetSite(root.get(), siteUnknown);
  const int result = WalkTree(options, command == "run", root.get(), selection.get(), siteUnknown);
  if (siteUnknown) SetSite(root.get(), nullptr);
  selection.reset();
  root.reset();
  if (site.refs() != 1) {
    fprintf(stderr, "host: the command kept %lu references to its site\n", site.refs() - 1);
    if (result == 0) return 2;
  }
  if (window) DestroyWindow(window);
  return result;
}
