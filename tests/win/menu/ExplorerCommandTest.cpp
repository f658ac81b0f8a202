// The Explorer command in this process: its tree under each Items setting
// and selection, its texts and icons, bad arguments, reference counts, and
// what Invoke hands to the commands (folders, owner window).
#include <shobjidl.h>

#include <thread>

#include "MenuTestSupport.h"
#include "base/Module.h"
#include "menu/DosBox.h"
#include "server/ExplorerCommand.h"
#include "tests/win/operations/WideTree.h"
#include "tests/shared/SeamOverride.h"

using namespace menu_test;
using testing_support::TempFolder;
using wide_tree::W;

namespace {

template <typename Interface>
struct Ref {
  Interface* p = nullptr;
  Ref() = default;
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() { reset(); }
  void reset() {
    if (p) p->Release();
    p = nullptr;
  }
  Interface* operator->() const { return p; }
  void** put() {
    reset();
    return reinterpret_cast<void**>(&p);
  }
};

std::wstring Take(LPWSTR text) {
  std::wstring out = text ? text : L"";
  CoTaskMemFree(text);
  return out;
}

// A shell item array of parsed names, as Explorer hands over a selection.
void MakeSelection(const std::vector<std::wstring>& names, Ref<IShellItemArray>& array) {
  std::vector<PIDLIST_ABSOLUTE> ids;
  for (const std::wstring& name : names) {
    PIDLIST_ABSOLUTE id = nullptr;
    ASSERT_EQ(S_OK, SHParseDisplayName(name.c_str(), nullptr, &id, 0, nullptr));
    ids.push_back(id);
  }
  ASSERT_EQ(S_OK, SHCreateShellItemArrayFromIDLists(static_cast<UINT>(ids.size()),
                                                    const_cast<PCIDLIST_ABSOLUTE_ARRAY>(ids.data()),
                                                    reinterpret_cast<IShellItemArray**>(array.put())));
  for (PIDLIST_ABSOLUTE id : ids) CoTaskMemFree(id);
}

void SubCommands(IExplorerCommand* root, std::vector<IExplorerCommand*>& out) {
  Ref<IEnumExplorerCommand> children;
  ASSERT_EQ(S_OK, root->EnumSubCommands(reinterpret_cast<IEnumExplorerCommand**>(children.put())));
  IExplorerCommand* child = nullptr;
  ULONG fetched = 0;
  while (children->Next(1, &child, &fetched) == S_OK) out.push_back(child);
}

void ReleaseAll(std::vector<IExplorerCommand*>& commands) {
  for (IExplorerCommand* command : commands) command->Release();
  commands.clear();
}

// The visible sub-commands as the menu shows them: "title" or
// "title(disabled)", with "-" for a separator before one.
std::string VisibleTree(IExplorerCommand* root, IShellItemArray* selection) {
  std::vector<IExplorerCommand*> children;
  SubCommands(root, children);
  std::string tree;
  for (IExplorerCommand* child : children) {
    EXPCMDSTATE state = 0;
    EXPECT_EQ(S_OK, child->GetState(selection, FALSE, &state));
    if (state & ECS_HIDDEN) continue;
    EXPCMDFLAGS flags = 0;
    EXPECT_EQ(S_OK, child->GetFlags(&flags));
    LPWSTR title = nullptr;
    EXPECT_EQ(S_OK, child->GetTitle(selection, &title));
    const std::wstring wide = Take(title);
    if (!tree.empty()) tree += "|";
    if (flags & ECF_SEPARATORBEFORE) tree += "-|";
    tree += std::string(wide.begin(), wide.end());
    if (state & ECS_DISABLED) tree += "(disabled)";
  }
  ReleaseAll(children);
  return tree;
}

class ExplorerCommandTest : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    launches_ = 0;
    directories_.clear();
    calls->shellExecuteEx = RecordLaunch;
  }
  void TearDown() override {
    CoUninitialize();
    MenuTest::TearDown();
  }
  // A new root command, with the settings the registry holds now.
  void CreateRoot(Ref<IExplorerCommand>& root) {
    ASSERT_EQ(S_OK, CreateExplorerCommand(nullptr, IID_IExplorerCommand, root.put()));
  }
  IExplorerCommand* Child(IExplorerCommand* root, size_t index, std::vector<IExplorerCommand*>& children) {
    SubCommands(root, children);
    return index < children.size() ? children[index] : nullptr;
  }

  static BOOL WINAPI RecordLaunch(SHELLEXECUTEINFOW* info) {
    ++launches_;
    directories_.push_back(info->lpDirectory ? info->lpDirectory : L"");
    return TRUE;
  }
  static int launches_;
  static std::vector<std::wstring> directories_;
  SeamOverride<CommandBoxPlatform> calls{CommandBoxCalls()};
};

int ExplorerCommandTest::launches_ = 0;
std::vector<std::wstring> ExplorerCommandTest::directories_;

constexpr size_t kDosBox = 0, kDelete = 1, kClean = 2, kConfigure = 3;

}  // namespace

TEST_F(ExplorerCommandTest, TheTreeFollowsTheItemsSettingAndTheSelectionAsTheClassicMenuDoes) {
  const std::string a = temp_.MakeFolder("a");
  const std::string b = temp_.MakeFolder("b");
  Ref<IShellItemArray> one, two;
  MakeSelection({W(a)}, one);
  MakeSelection({W(a), W(b)}, two);
  const struct {
    DWORD items;
    const char* oneFolder;
    const char* twoFolders;
  } cases[] = {
      {0, "Configure...", "Configure..."},
      {1, "DOS Box|-|Configure...", "DOS Box(disabled)|-|Configure..."},
      {2, "Delete|-|Configure...", "Delete|-|Configure..."},
      {4, "Clean|-|Configure...", "Clean|-|Configure..."},
      {6, "Delete|Clean|-|Configure...", "Delete|Clean|-|Configure..."},
      {0xFFFFFFF8, "Configure...", "Configure..."},
      {0xFFFFFFFF, "DOS Box|Delete|Clean|-|Configure...", "DOS Box(disabled)|Delete|Clean|-|Configure..."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.items);
    WriteSetting("Items", c.items);
    Ref<IExplorerCommand> root;
    CreateRoot(root);
    EXPECT_EQ(c.oneFolder, VisibleTree(root.p, one.p));
    EXPECT_EQ(c.twoFolders, VisibleTree(root.p, two.p));
    EXPCMDSTATE state = ECS_HIDDEN;
    EXPECT_EQ(S_OK, root->GetState(two.p, FALSE, &state));
    EXPECT_EQ(static_cast<EXPCMDSTATE>(ECS_ENABLED), state);
  }
}

TEST_F(ExplorerCommandTest, TitlesToolTipsAndIconsAreTheModulesOwn) {
  Ref<IExplorerCommand> root;
  CreateRoot(root);
  LPWSTR text = nullptr;
  ASSERT_EQ(S_OK, root->GetTitle(nullptr, &text));
  EXPECT_EQ(L"Varnoke", Take(text));
  ASSERT_EQ(S_OK, root->GetToolTip(nullptr, &text));
  EXPECT_EQ(L"Thandrel Varnoke", Take(text));
  text = reinterpret_cast<LPWSTR>(1);
  EXPECT_EQ(E_NOTIMPL, root->GetIcon(nullptr, &text));
  EXPECT_EQ(nullptr, text);
  EXPCMDFLAGS flags = 0;
  ASSERT_EQ(S_OK, root->GetFlags(&flags));
  EXPECT_EQ(static_cast<EXPCMDFLAGS>(ECF_HASSUBCOMMANDS), flags);

  WCHAR module[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameW(ModuleInstance(), module, MAX_PATH), 0u);
  const struct {
    const wchar_t* title;
    const wchar_t* tip;
    int iconId;
  } expected[] = {
      {L"DOS Box", L"Run a DOS command box for the selected folder.", 125},
      {L"Delete", L"Delete selected folders.", 124},
      {L"Clean", L"Delete special files from selected folders.", 0},
      {L"Configure...", L"Configure Varnoke.", 0},
  };
  std::vector<IExplorerCommand*> children;
  SubCommands(root.p, children);
  ASSERT_EQ(4u, children.size());
  for (size_t i = 0; i < children.size(); ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(S_OK, children[i]->GetTitle(nullptr, &text));
    EXPECT_EQ(expected[i].title, Take(text));
    ASSERT_EQ(S_OK, children[i]->GetToolTip(nullptr, &text));
    EXPECT_EQ(expected[i].tip, Take(text));
    const HRESULT icon = children[i]->GetIcon(nullptr, &text);
    if (expected[i].iconId == 0) {
      EXPECT_EQ(E_NOTIMPL, icon);
      EXPECT_EQ(nullptr, text);
      continue;
    }
    ASSERT_EQ(S_OK, icon);
    const std::wstring location = Take(text);
    EXPECT_EQ(std::wstring(module) + L",-" + std::to_wstring(expected[i].iconId), location);
    // The shell's reading of the location finds a picture there.
    HICON small = nullptr;
    EXPECT_EQ(1u, ExtractIconExW(module, -expected[i].iconId, nullptr, &small, 1)) << expected[i].iconId;
    if (small) DestroyIcon(small);
    EXPECT_EQ(S_OK, children[i]->GetFlags(&flags));
    EXPECT_EQ(static_cast<EXPCMDFLAGS>(ECF_DEFAULT), flags);
  }
  Ref<IEnumExplorerCommand> none;
  EXPECT_EQ(E_NOTIMPL, children[0]->EnumSubCommands(reinterpret_cast<IEnumExplorerCommand**>(none.put())));
  EXPECT_EQ(nullptr, none.p);
  ReleaseAll(children);
}

TEST_F(ExplorerCommandTest, BadArgumentsAreRefusedAndRunNothing) {
  const std::string a = temp_.MakeFolder("a");
  const std::string file = temp_.MakeFile("plain.txt");
  Ref<IExplorerCommand> root;
  CreateRoot(root);
  std::vector<IExplorerCommand*> children;
  IExplorerCommand* dosBox = Child(root.p, kDosBox, children);
  ASSERT_NE(nullptr, dosBox);
  for (IExplorerCommand* command : {root.p, dosBox}) {
    EXPECT_EQ(E_POINTER, command->GetTitle(nullptr, nullptr));
    EXPECT_EQ(E_POINTER, command->GetIcon(nullptr, nullptr));
    EXPECT_EQ(E_POINTER, command->GetToolTip(nullptr, nullptr));
    EXPECT_EQ(E_POINTER, command->GetCanonicalName(nullptr));
    EXPECT_EQ(E_POINTER, command->GetState(nullptr, FALSE, nullptr));
    EXPECT_EQ(E_POINTER, command->GetFlags(nullptr));
    EXPECT_EQ(E_POINTER, command->EnumSubCommands(nullptr));
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, command->QueryInterface(IID_IContextMenu, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(E_POINTER, command->QueryInterface(IID_IUnknown, nullptr));
  }
  // No selection, something that is no file-system folder, a file, or a
  // folder beside a file: nothing runs.
  EXPECT_EQ(E_INVALIDARG, dosBox->Invoke(nullptr, nullptr));
  PIDLIST_ABSOLUTE computer = nullptr;
  ASSERT_EQ(S_OK, SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer));
  Ref<IShellItemArray> virtualItem;
  ASSERT_EQ(S_OK, SHCreateShellItemArrayFromIDLists(1, const_cast<PCIDLIST_ABSOLUTE_ARRAY>(&computer),
                                                    reinterpret_cast<IShellItemArray**>(virtualItem.put())));
  CoTaskMemFree(computer);
  EXPECT_EQ(E_INVALIDARG, dosBox->Invoke(virtualItem.p, nullptr));
  Ref<IShellItemArray> aFile, mixed;
  MakeSelection({W(file)}, aFile);
  MakeSelection({W(a), W(file)}, mixed);
  EXPECT_EQ(E_INVALIDARG, dosBox->Invoke(aFile.p, nullptr));
  EXPECT_EQ(E_INVALIDARG, children[kDelete]->Invoke(mixed.p, nullptr));
  EXPECT_EQ(0, launches_);
  // The root only opens its sub-commands.
  Ref<IShellItemArray> folder;
  MakeSelection({W(a)}, folder);
  EXPECT_EQ(E_NOTIMPL, root->Invoke(folder.p, nullptr));
  EXPECT_EQ(0, launches_);

  Ref<IEnumExplorerCommand> children2;
  ASSERT_EQ(S_OK, root->EnumSubCommands(reinterpret_cast<IEnumExplorerCommand**>(children2.put())));
  IExplorerCommand* two[2] = {};
  EXPECT_EQ(E_INVALIDARG, children2->Next(2, two, nullptr));
  EXPECT_EQ(E_POINTER, children2->Next(1, nullptr, nullptr));
  EXPECT_EQ(E_POINTER, children2->Clone(nullptr));
  ReleaseAll(children);

  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_POINTER, CreateExplorerCommand(nullptr, IID_IExplorerCommand, nullptr));
  EXPECT_EQ(CLASS_E_NOAGGREGATION, CreateExplorerCommand(root.p, IID_IUnknown, &out));
  EXPECT_EQ(nullptr, out);
}

TEST_F(ExplorerCommandTest, TheEnumeratorCountsSkipsAndClonesInOrder) {
  Ref<IExplorerCommand> root;
  CreateRoot(root);
  Ref<IEnumExplorerCommand> children;
  ASSERT_EQ(S_OK, root->EnumSubCommands(reinterpret_cast<IEnumExplorerCommand**>(children.put())));
  EXPECT_EQ(S_OK, children->Skip(1));
  Ref<IEnumExplorerCommand> clone;
  ASSERT_EQ(S_OK, children->Clone(reinterpret_cast<IEnumExplorerCommand**>(clone.put())));
  IExplorerCommand* got[5] = {};
  ULONG fetched = 0;
  EXPECT_EQ(S_FALSE, children->Next(5, got, &fetched));
  ASSERT_EQ(3u, fetched);
  LPWSTR title = nullptr;
  ASSERT_EQ(S_OK, got[0]->GetTitle(nullptr, &title));
  EXPECT_EQ(L"Delete", Take(title));
  for (ULONG i = 0; i < fetched; ++i) got[i]->Release();
  EXPECT_EQ(S_FALSE, children->Skip(1));
  ASSERT_EQ(S_OK, clone->Next(1, got, nullptr));
  ASSERT_EQ(S_OK, got[0]->GetTitle(nullptr, &title));
  EXPECT_EQ(L"Delete", Take(title));
  got[0]->Release();
  ASSERT_EQ(S_OK, children->Reset());
  ASSERT_EQ(S_OK, children->Next(1, got, &fetched));
  ASSERT_EQ(S_OK, got[0]->GetTitle(nullptr, &title));
  EXPECT_EQ(L"DOS Box", Take(title));
  got[0]->Release();
}

TEST_F(ExplorerCommandTest, EveryObjectHoldsTheModuleUntilItsLastRelease) {
  const LONG before = ModuleLockCount();
  {
    Ref<IExplorerCommand> root;
    CreateRoot(root);
    Ref<IObjectWithSite> withSite;
    ASSERT_EQ(S_OK, root->QueryInterface(IID_IObjectWithSite, withSite.put()));
    Ref<IUnknown> identity, again;
    ASSERT_EQ(S_OK, withSite->QueryInterface(IID_IUnknown, identity.put()));
    ASSERT_EQ(S_OK, root->QueryInterface(IID_IUnknown, again.put()));
    EXPECT_EQ(identity.p, again.p);
    std::vector<IExplorerCommand*> children;
    IExplorerCommand* clean = Child(root.p, kClean, children);
    ASSERT_NE(nullptr, clean);
    clean->AddRef();
    ReleaseAll(children);
    EXPECT_GT(ModuleLockCount(), before);
    // A sub-command outlives the host's references to its root.
    withSite.reset();
    identity.reset();
    again.reset();
    root.reset();
    EXPCMDSTATE state = ECS_HIDDEN;
    EXPECT_EQ(S_OK, clean->GetState(nullptr, FALSE, &state));
    EXPECT_EQ(static_cast<EXPCMDSTATE>(ECS_ENABLED), state);
    EXPECT_GT(ModuleLockCount(), before);
    EXPECT_EQ(0u, clean->Release());
  }
  EXPECT_EQ(before, ModuleLockCount());
}

namespace {

// A selection whose items name themselves exactly as given. Under Wine 8
// SHParseDisplayName turns "proj." into its sibling "proj"; Explorer's items
// come from the folder's listing and keep the name.
class NamedItem final : public IShellItem {
 public:
  explicit NamedItem(const std::wstring& path) : path_(path) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IShellItem)) return E_NOINTERFACE;
    *out = static_cast<IShellItem*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override { return --refs_; }
  STDMETHODIMP BindToHandler(IBindCtx*, REFGUID, REFIID, void**) override { return E_NOTIMPL; }
  STDMETHODIMP GetParent(IShellItem**) override { return E_NOTIMPL; }
  STDMETHODIMP GetDisplayName(SIGDN form, LPWSTR* name) override {
    *name = nullptr;
    if (form != SIGDN_FILESYSPATH) return E_INVALIDARG;
    const size_t bytes = (path_.size() + 1) * sizeof(WCHAR);
    *name = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    memcpy(*name, path_.c_str(), bytes);
    return S_OK;
  }
  STDMETHODIMP GetAttributes(SFGAOF, SFGAOF*) override { return E_NOTIMPL; }
  STDMETHODIMP Compare(IShellItem*, SICHINTF, int*) override { return E_NOTIMPL; }

 private:
  std::wstring path_;
  ULONG refs_ = 1;
};

class NamedSelection final : public IShellItemArray {
 public:
  explicit NamedSelection(const std::wstring& path) : item_(path) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IShellItemArray)) return E_NOINTERFACE;
    *out = static_cast<IShellItemArray*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP BindToHandler(IBindCtx*, REFGUID, REFIID, void**) override { return E_NOTIMPL; }
  STDMETHODIMP GetPropertyStore(GETPROPERTYSTOREFLAGS, REFIID, void**) override { return E_NOTIMPL; }
  STDMETHODIMP GetPropertyDescriptionList(REFPROPERTYKEY, REFIID, void**) override { return E_NOTIMPL; }
  STDMETHODIMP GetAttributes(SIATTRIBFLAGS, SFGAOF, SFGAOF*) override { return E_NOTIMPL; }
  STDMETHODIMP GetCount(DWORD* count) override {
    *count = 1;
    return S_OK;
  }
  STDMETHODIMP GetItemAt(DWORD index, IShellItem** item) override {
    *item = nullptr;
    if (index != 0) return E_INVALIDARG;
    item_.AddRef();
    *item = &item_;
    return S_OK;
  }
  STDMETHODIMP EnumItems(IEnumShellItems**) override { return E_NOTIMPL; }

 private:
  NamedItem item_;
};

}  // namespace

TEST_F(ExplorerCommandTest, DosBoxRunsInTheSelectedFolderByItsExactName) {
  const std::string a = temp_.MakeFolder("first folder");
  const std::string plain = temp_.MakeFolder("proj");
  // A name the system's path rules would shorten to its sibling's.
  const std::wstring dotted = W(plain) + L".";
  ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + dotted).c_str(), nullptr));
  Ref<IExplorerCommand> root;
  CreateRoot(root);
  std::vector<IExplorerCommand*> children;
  IExplorerCommand* dosBox = Child(root.p, kDosBox, children);
  Ref<IShellItemArray> selection;
  MakeSelection({W(a)}, selection);
  ASSERT_EQ(S_OK, dosBox->Invoke(selection.p, nullptr));
  NamedSelection exact(dotted);
  ASSERT_EQ(S_OK, dosBox->Invoke(&exact, nullptr));
  ASSERT_EQ(2, launches_);
  EXPECT_EQ(W(a), directories_[0]);
  EXPECT_EQ(dotted, directories_[1]);
  RemoveDirectoryW((L"\\\\?\\" + dotted).c_str());
  ReleaseAll(children);
}

namespace {

// A site as a browser gives it: a service provider for the top-level
// browser, or a plain window.
class FakeSite final : public IServiceProvider, public IOleWindow {
 public:
  FakeSite(HWND browser, HWND own, bool provider) : browser_(browser), own_(own), provider_(provider) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleWindow))
      *out = static_cast<IOleWindow*>(this);
    else if (provider_ && IsEqualIID(iid, IID_IServiceProvider))
      *out = static_cast<IServiceProvider*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override { return --refs_; }
  STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualGUID(service, SID_STopLevelBrowser) || !IsEqualIID(iid, IID_IOleWindow)) return E_NOINTERFACE;
    *out = &browserWindow_;
    return S_OK;
  }
  STDMETHODIMP GetWindow(HWND* window) override {
    *window = own_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  ULONG refs() const { return refs_; }

 private:
  // The browser's own window object; it lives as long as the site.
  class BrowserWindow final : public IOleWindow {
   public:
    explicit BrowserWindow(HWND window) : window_(window) {}
    STDMETHODIMP QueryInterface(REFIID, void** out) override {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetWindow(HWND* window) override {
      *window = window_;
      return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

   private:
    HWND window_;
  };
  HWND browser_;
  HWND own_;
  bool provider_;
  BrowserWindow browserWindow_{browser_};
  ULONG refs_ = 1;
};

// Waits for the question dialog that Clean shows on this thread, notes its
// owner and cancels it.
HWND OwnerOfTheQuestion(DWORD thread) {
  HWND owner = reinterpret_cast<HWND>(-1);
  for (int i = 0; i < 300; ++i) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    HWND dialog = nullptr;
    if (GetGUIThreadInfo(thread, &info) && info.hwndActive) dialog = info.hwndActive;
    char className[16] = {};
    if (dialog) GetClassNameA(dialog, className, sizeof(className));
    if (dialog && lstrcmpA(className, "#32770") == 0 && IsWindowVisible(dialog)) {
      owner = GetWindow(dialog, GW_OWNER);
      PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
      return owner;
    }
    Sleep(100);
  }
  return owner;
}

}  // namespace

TEST_F(ExplorerCommandTest, TheDialogsOwnerIsTheWindowOfTheSite) {
  const std::string a = temp_.MakeFolder("a");
  temp_.MakeFile("a\\one.tmp");
  HWND browser = CreateWindowExA(0, "STATIC", "browser", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                 nullptr, nullptr);
  HWND view = CreateWindowExA(0, "STATIC", "view", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, nullptr,
                              nullptr);
  ASSERT_NE(nullptr, browser);
  Ref<IShellItemArray> selection;
  MakeSelection({W(a)}, selection);
  const struct {
    bool provider;
    bool siteOnChild;
    HWND owner;
  } cases[] = {{true, false, browser}, {false, false, view}, {false, true, view}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.provider);
    SCOPED_TRACE(c.siteOnChild);
    FakeSite site(browser, view, c.provider);
    Ref<IExplorerCommand> root;
    CreateRoot(root);
    std::vector<IExplorerCommand*> children;
    IExplorerCommand* clean = Child(root.p, kClean, children);
    Ref<IObjectWithSite> withSite;
    ASSERT_EQ(S_OK, (c.siteOnChild ? clean : root.p)->QueryInterface(IID_IObjectWithSite, withSite.put()));
    ASSERT_EQ(S_OK, withSite->SetSite(static_cast<IServiceProvider*>(&site)));
    HWND owner = nullptr;
    const DWORD self = GetCurrentThreadId();
    std::thread watcher([&] { owner = OwnerOfTheQuestion(self); });
    EXPECT_EQ(S_OK, clean->Invoke(selection.p, nullptr));
    watcher.join();
    EXPECT_EQ(c.owner, owner);
    EXPECT_TRUE(testing_support::Exists(a + "\\one.tmp"));  // cancelled: nothing removed
    ASSERT_EQ(S_OK, withSite->SetSite(nullptr));
    EXPECT_EQ(1u, site.refs());
    withSite.reset();
    ReleaseAll(children);
  }
  DestroyWindow(view);
  DestroyWindow(browser);
}
