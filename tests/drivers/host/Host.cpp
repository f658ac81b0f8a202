// host.exe: a shell-like host for folder context-menu handlers. Wine's own
// shell never loads third-party context-menu handlers, so this program does
// for a list of folders what Explorer does on a right-click: it creates the
// handler (COM activation of the registered class, or the class object of a
// given module), initialises it with the shell's own data object for the
// folders, lets it add its items to a context menu with shell items around
// them, forwards the menu messages to IContextMenu3, shows help texts while
// items are highlighted, and invokes the chosen item.
//
// Usage: host.exe [options] <command> [item] <folder>...
//
// Commands
//   list            print the context menu, one item per line, tab-separated:
//                   path ("Varnoke/Delete"), state (enabled|grayed),
//                   kind (text|owner-drawn|separator, "+popup" with a submenu),
//                   offset of the handler's command ("-" for shell items),
//                   help text from GetCommandString
//   invoke <item>   build the menu and invoke <item>: a path as printed by
//                   list, the last part of it ("Delete"), or "#<offset>" to
//                   invoke a handler offset directly (grayed items too)
//   show            a window listing the folders; a right-click in it opens
//                   the context menu; help texts appear in the status bar and
//                   the chosen item is invoked
//   commands        the Explorer command as Windows 11's Explorer sees it:
//                   created by class id, given a site, the root and each
//                   sub-command asked for title, state, flags, icon and
//                   tool tip, one per line, tab-separated:
//                   path ("Varnoke/Delete"), state (enabled|disabled|hidden),
//                   flags (subcommands, separator-before or "-"),
//                   icon ("module,-id" or "-"), tool tip
//   run <item>      the same tree, then Invoke of the sub-command <item>
//                   ("Delete" or "Varnoke/Delete") over an IShellItemArray
//                   of the folders; hidden and disabled ones are refused
//   shot <item>     the window with the menu open at --at, walked by posted
//                   arrow keys until <item> (e.g. "Varnoke/Delete") is
//                   highlighted; then "ready" is printed and the --ready file
//                   written; the menu stays open for --hold milliseconds or
//                   until the ready file is deleted, then the program ends
//
// Options
//   --dll <path>    use this module's DllGetClassObject instead of COM
//                   activation (for a module that is not registered)
//   --shift         hold Shift (the thread's keyboard state) while invoking
//   --no-site       commands/run: give the commands no site
//   --ready <file>  shot: the file written once the item is highlighted
//   --hold <ms>     shot: how long the menu stays open after that (10000)
//   --at <x>,<y>    show/shot: screen position of the menu (60,90)
//
// Folders may be given as Windows paths or as absolute host paths ("/tmp/x"),
// which are converted through Wine. All folders must share one parent, like a
// selection in one Explorer window. commands/run take them as wide text,
// exactly, and any shell name (such as "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}").
//
// Exit codes: 0 done, 1 usage, 2 the shell or the handler failed, 3 no such
// item (or the item is grayed).
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "CommandHost.h"
#include "menu/FolderMenu.h"
#include "server/Guids.h"

namespace {

// Ids of the shell's own items, below the range granted to the handler.
enum ShellItem : UINT { kOpen = 1, kExplore, kCut, kCopy, kProperties };
constexpr UINT kFirstHandlerId = 100;
constexpr UINT kLastHandlerId = 0x7FFF;
constexpr UINT_PTR kTimerShot = 1;
constexpr UINT kShotTick = 100;

struct Options {
  std::string command;
  std::string item;
  std::vector<std::string> folders;
  std::string dll;
  bool shift = false;
  bool site = true;
  int firstFolder = 0;  // argv index of the first folder
  std::string readyFile;
  DWORD holdMs = 10000;
  POINT at = {60, 90};
};

void Print(const char* format, ...) {
  va_list args;
  va_start(args, format);
  vprintf(format, args);
  va_end(args);
  fflush(stdout);
}

void Fail(const char* what, HRESULT hr) { fprintf(stderr, "host: %s failed (0x%08lX)\n", what, hr); }

template <typename Function>
Function ProcAddress(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// Host paths ("/tmp/x") become the Windows paths Wine gives them.
std::string WindowsPath(const std::string& path) {
  if (path.empty() || path[0] != '/') return path;
  using DosName = WCHAR*(CDECL*)(const char*);
  const auto convert = ProcAddress<DosName>(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name");
  if (!convert) return path;
  WCHAR* wide = convert(path.c_str());
  if (!wide) return path;
  char ansi[MAX_PATH * 4] = {};
  WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof(ansi) - 1, nullptr, nullptr);
  HeapFree(GetProcessHeap(), 0, wide);
  return ansi;
}

// ---- The handler --------------------------------------------------------

// The handler for one right-click, with the data object and menu it got.
struct Handler {
  IContextMenu* menu = nullptr;
  IContextMenu3* menu3 = nullptr;
  UINT firstId = kFirstHandlerId;
  UINT idCount = 0;
  HMENU popup = nullptr;

  ~Handler() {
    if (popup) DestroyMenu(popup);
    if (menu3) menu3->Release();
    if (menu) menu->Release();
  }
  bool Owns(UINT id) const { return menu && id >= firstId && id < firstId + idCount; }
};

HRESULT CreateHandlerObject(const Options& options, IShellExtInit** init) {
  if (options.dll.empty())
    return CoCreateInstance(CLSID_CShellExt, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                            reinterpret_cast<void**>(init));
  // Loaded once and kept: the objects live in it until the process ends.
  static HMODULE module = nullptr;
  if (!module) module = LoadLibraryA(options.dll.c_str());
  if (!module) return HRESULT_FROM_WIN32(GetLastError());
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  const auto get = ProcAddress<GetClassObject>(module, "DllGetClassObject");
  if (!get) return HRESULT_FROM_WIN32(GetLastError());
  IClassFactory* factory = nullptr;
  HRESULT hr = get(CLSID_CShellExt, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  hr = factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(init));
  factory->Release();
  return hr;
}

// The shell's data object for the folders, and the parent folder's id list,
// as Explorer hands them to a handler.
HRESULT ShellDataObject(const std::vector<std::string>& folders, IDataObject** data, PIDLIST_ABSOLUTE* parentId) {
  IShellFolder* desktop = nullptr;
  HRESULT hr = SHGetDesktopFolder(&desktop);
  if (FAILED(hr)) return hr;
  std::vector<PIDLIST_ABSOLUTE> ids;
  for (const std::string& folder : folders) {
    WCHAR wide[MAX_PATH * 2] = {};
    MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wide, MAX_PATH * 2 - 1);
    PIDLIST_RELATIVE id = nullptr;
    hr = desktop->ParseDisplayName(nullptr, nullptr, wide, nullptr, &id, nullptr);
    if (FAILED(hr)) {
      fprintf(stderr, "host: no such folder: %s\n", folder.c_str());
      break;
    }
    ids.push_back(reinterpret_cast<PIDLIST_ABSOLUTE>(id));
  }
  IShellFolder* parent = nullptr;
  if (SUCCEEDED(hr) && !ids.empty()) hr = SHBindToParent(ids[0], IID_IShellFolder, reinterpret_cast<void**>(&parent), nullptr);
  if (SUCCEEDED(hr) && !ids.empty()) {
    std::vector<PCUITEMID_CHILD> children;
    for (PIDLIST_ABSOLUTE id : ids) children.push_back(ILFindLastID(id));
    *parentId = ILClone(ids[0]);
    ILRemoveLastID(*parentId);
    for (PIDLIST_ABSOLUTE id : ids) {
      PIDLIST_ABSOLUTE itsParent = ILClone(id);
      ILRemoveLastID(itsParent);
      if (!ILIsEqual(itsParent, *parentId)) hr = E_INVALIDARG;
      ILFree(itsParent);
    }
    if (FAILED(hr)) fprintf(stderr, "host: the folders must share one parent\n");
    if (SUCCEEDED(hr))
      hr = parent->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()), children.data(), IID_IDataObject,
                                 nullptr, reinterpret_cast<void**>(data));
    if (FAILED(hr)) {
      ILFree(*parentId);
      *parentId = nullptr;
    }
  }
  if (parent) parent->Release();
  for (PIDLIST_ABSOLUTE id : ids) ILFree(id);
  desktop->Release();
  return ids.empty() && SUCCEEDED(hr) ? E_INVALIDARG : hr;
}

void AppendItem(HMENU menu, UINT id, const char* text) { AppendMenuA(menu, MF_STRING, id, text); }

// Creates and initialises the handler and builds the context menu: shell
// items, the handler's items at their place, more shell items.
HRESULT BuildMenu(const Options& options, Handler& handler) {
  IDataObject* data = nullptr;
  PIDLIST_ABSOLUTE parentId = nullptr;
  HRESULT hr = ShellDataObject(options.folders, &data, &parentId);
  if (FAILED(hr)) {
    Fail("GetUIObjectOf(IDataObject)", hr);
    return hr;
  }
  IShellExtInit* init = nullptr;
  hr = CreateHandlerObject(options, &init);
  if (FAILED(hr)) {
    Fail(options.dll.empty() ? "CoCreateInstance (is the module registered? --dll <path> loads it directly)"
                             : "DllGetClassObject/CreateInstance",
         hr);
  } else {
    hr = init->Initialize(parentId, data, nullptr);
    if (FAILED(hr)) Fail("IShellExtInit::Initialize", hr);
    if (SUCCEEDED(hr)) hr = init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&handler.menu));
    init->Release();
  }
  data->Release();
  ILFree(parentId);
  if (FAILED(hr)) return hr;
  handler.menu->QueryInterface(IID_IContextMenu3, reinterpret_cast<void**>(&handler.menu3));

  handler.popup = CreatePopupMenu();
  AppendItem(handler.popup, kOpen, "&Open");
  AppendItem(handler.popup, kExplore, "&Explore");
  AppendMenuA(handler.popup, MF_SEPARATOR, 0, nullptr);
  const UINT handlerPosition = static_cast<UINT>(GetMenuItemCount(handler.popup));
  AppendMenuA(handler.popup, MF_SEPARATOR, 0, nullptr);
  AppendItem(handler.popup, kCut, "Cu&t");
  AppendItem(handler.popup, kCopy, "&Copy");
  AppendMenuA(handler.popup, MF_SEPARATOR, 0, nullptr);
  AppendItem(handler.popup, kProperties, "P&roperties");
  hr = handler.menu->QueryContextMenu(handler.popup, handlerPosition, kFirstHandlerId, kLastHandlerId, CMF_NORMAL);
  if (FAILED(hr)) {
    Fail("IContextMenu::QueryContextMenu", hr);
    return hr;
  }
  handler.idCount = HRESULT_CODE(hr);
  return S_OK;
}

// ---- Reading the menu ----------------------------------------------------

struct MenuEntry {
  std::string path;
  std::string caption;
  UINT id = 0;
  bool grayed = false;
  bool separator = false;
  bool ownerDrawn = false;
  HMENU submenu = nullptr;
};

std::string StripMnemonic(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

MenuEntry ReadEntry(const Handler& handler, HMENU menu, UINT item, const std::string& prefix, bool byPosition = true) {
  char text[512] = {};
  MENUITEMINFOA info = {};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA | MIIM_STRING;
  info.dwTypeData = text;
  info.cch = sizeof(text) - 1;
  GetMenuItemInfoA(menu, item, byPosition, &info);
  MenuEntry entry;
  entry.id = info.wID;
  entry.grayed = (info.fState & MFS_GRAYED) != 0;
  entry.separator = (info.fType & MFT_SEPARATOR) != 0;
  entry.ownerDrawn = (info.fType & MFT_OWNERDRAW) != 0;
  entry.submenu = info.hSubMenu;
  // An owner-drawn item has no text the shell could read; this host knows
  // the record Varnoke puts behind its items, which lives in this process.
  if (entry.ownerDrawn && info.dwItemData && handler.Owns(entry.id))
    entry.caption = reinterpret_cast<const MenuItemData*>(info.dwItemData)->caption;
  else if (!entry.separator)
    entry.caption = text;
  entry.path = prefix + (entry.separator ? "-" : StripMnemonic(entry.caption));
  return entry;
}

void CollectEntries(const Handler& handler, HMENU menu, const std::string& prefix, std::vector<MenuEntry>& out) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MenuEntry entry = ReadEntry(handler, menu, static_cast<UINT>(i), prefix);
    out.push_back(entry);
    if (entry.submenu) CollectEntries(handler, entry.submenu, entry.path + "/", out);
  }
}

std::string HelpText(const Handler& handler, UINT id) {
  if (!handler.Owns(id)) return "";
  char text[256] = {};
  handler.menu->GetCommandString(id - handler.firstId, GCS_HELPTEXTA, nullptr, text, sizeof(text));
  return text;
}

int ListMenu(const Handler& handler) {
  std::vector<MenuEntry> entries;
  CollectEntries(handler, handler.popup, "", entries);
  Print("item\tstate\tkind\toffset\thelp\n");
  for (const MenuEntry& e : entries) {
    std::string kind = e.separator ? "separator" : e.ownerDrawn ? "owner-drawn" : "text";
    if (e.submenu) kind += "+popup";
    char offset[16] = "-";
    if (!e.separator && handler.Owns(e.id)) snprintf(offset, sizeof(offset), "%u", e.id - handler.firstId);
    Print("%s\t%s\t%s\t%s\t%s\n", e.path.c_str(), e.separator ? "-" : e.grayed ? "grayed" : "enabled", kind.c_str(), offset,
          e.separator ? "" : HelpText(handler, e.id).c_str());
  }
  return 0;
}

const MenuEntry* FindEntry(const std::vector<MenuEntry>& entries, const std::string& name) {
  for (const MenuEntry& e : entries)
    if (!e.separator && lstrcmpiA(e.path.c_str(), name.c_str()) == 0) return &e;
  for (const MenuEntry& e : entries) {
    const size_t slash = e.path.rfind('/');
    const std::string last = slash == std::string::npos ? e.path : e.path.substr(slash + 1);
    if (!e.separator && lstrcmpiA(last.c_str(), name.c_str()) == 0) return &e;
  }
  return nullptr;
}

void HoldShift(bool down) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = down ? 0x80 : 0;
  keys[VK_LSHIFT] = keys[VK_SHIFT];
  SetKeyboardState(keys);
}

HRESULT InvokeOffset(const Options& options, const Handler& handler, HWND owner, UINT offset) {
  CMINVOKECOMMANDINFO info = {};
  info.cbSize = sizeof(info);
  info.hwnd = owner;
  info.lpVerb = MAKEINTRESOURCEA(offset);
  info.nShow = SW_SHOWNORMAL;
  if (options.shift) HoldShift(true);
  const HRESULT hr = handler.menu->InvokeCommand(&info);
  if (options.shift) HoldShift(false);
  return hr;
}

int InvokeByName(const Options& options, const Handler& handler) {
  UINT offset = 0;
  if (options.item.size() > 1 && options.item[0] == '#') {
    offset = static_cast<UINT>(strtoul(options.item.c_str() + 1, nullptr, 0));
  } else {
    std::vector<MenuEntry> entries;
    CollectEntries(handler, handler.popup, "", entries);
    const MenuEntry* entry = FindEntry(entries, options.item);
    if (!entry) {
      fprintf(stderr, "host: no item \"%s\" in the menu\n", options.item.c_str());
      return 3;
    }
    if (entry->grayed) {
      fprintf(stderr, "host: \"%s\" is grayed\n", entry->path.c_str());
      return 3;
    }
    if (!handler.Owns(entry->id)) {
      Print("shell item \"%s\": nothing to do\n", entry->path.c_str());
      return 0;
    }
    offset = entry->id - handler.firstId;
  }
  const HRESULT hr = InvokeOffset(options, handler, GetDesktopWindow(), offset);
  Print("invoked offset %u: 0x%08lX\n", offset, hr);
  return SUCCEEDED(hr) ? 0 : 2;
}

// ---- The window ------------------------------------------------------------

struct Window {
  const Options* options = nullptr;
  HWND hwnd = nullptr;
  HWND status = nullptr;
  Handler* handler = nullptr;  // while a context menu is open
  // Shot mode: the path to walk and how far the walk has come.
  std::vector<std::string> target;
  HMENU openMenu = nullptr;
  std::string selected;
  int keysPosted = 0;
  int ticks = 0;
  int readyTicks = -1;
  bool ready = false;
  int exitCode = 0;
};

Window window;

void SetStatus(const std::string& text) { SetWindowTextA(window.status, text.c_str()); }

void SetStatusWide(const WCHAR* text) { SetWindowTextW(window.status, text); }

void ShowHelpFor(HMENU menu, UINT item, UINT flags) {
  if (flags == 0xFFFF && !menu) {
    SetStatus("Right-click for the context menu.");
    return;
  }
  UINT id = item;
  if (flags & MF_POPUP) id = ReadEntry(*window.handler, menu, item, "").id;
  if (window.handler->Owns(id)) {
    // Explorer asks for the wide help text.
    WCHAR help[256] = {};
    window.handler->menu->GetCommandString(id - window.handler->firstId, GCS_HELPTEXTW, nullptr,
                                           reinterpret_cast<CHAR*>(help), 256);
    SetStatusWide(help);
  } else if (!(flags & MF_SEPARATOR)) {
    SetStatus("Shell item");
  }
}

void PostKey(UINT key) {
  ++window.keysPosted;
  PostMessageA(window.hwnd, WM_KEYDOWN, key, 0);
}

// One step of the keyboard walk towards the target item, judged by the
// last selection the menu reported.
void WalkTowardsTarget() {
  if (window.target.empty() || window.ready || window.keysPosted > 60) return;
  const size_t level = window.openMenu == window.handler->popup ? 0 : 1;
  const std::string& wanted = window.target[level < window.target.size() ? level : window.target.size() - 1];
  if (window.selected.empty() || lstrcmpiA(window.selected.c_str(), wanted.c_str()) != 0) {
    PostKey(VK_DOWN);
  } else if (level + 1 < window.target.size()) {
    PostKey(VK_RIGHT);
  } else {
    window.ready = true;
    window.readyTicks = window.ticks;
  }
}

void TrackSelection(HMENU menu, UINT item, UINT flags) {
  if (flags == 0xFFFF && !menu) return;
  // A popup is named by its position, any other item by its command id.
  const MenuEntry entry = ReadEntry(*window.handler, menu, item, "", (flags & MF_POPUP) != 0);
  window.openMenu = menu;
  window.selected = entry.separator ? "" : StripMnemonic(entry.caption);
}

// Shot mode: after readiness, give the menu time to paint, then announce it;
// close when the hold time is over or the ready file is gone.
void ShotTick() {
  ++window.ticks;
  if (!window.ready) {
    if (window.ticks * kShotTick > 20000) {
      fprintf(stderr, "host: the item \"%s\" was not reached\n", window.options->item.c_str());
      window.exitCode = 3;
      EndMenu();
    } else if (window.ticks % 2 == 0) {
      // One key per two ticks: the menu answers each before the next.
      WalkTowardsTarget();
    }
    return;
  }
  const int since = window.ticks - window.readyTicks;
  const std::string& file = window.options->readyFile;
  if (since == 3) {
    if (!file.empty()) {
      HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    Print("ready\n");
  } else if (since > 3) {
    const bool released = !file.empty() && GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES;
    if (released || static_cast<DWORD>(since - 3) * kShotTick >= window.options->holdMs) EndMenu();
  }
}

void OpenContextMenu(POINT at) {
  Handler handler;
  if (FAILED(BuildMenu(*window.options, handler))) {
    window.exitCode = 2;
    SetStatus("The handler failed; see the console.");
    return;
  }
  window.handler = &handler;
  if (!window.target.empty()) SetTimer(window.hwnd, kTimerShot, kShotTick, nullptr);
  SetForegroundWindow(window.hwnd);
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenuEx(handler.popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, window.hwnd, nullptr));
  KillTimer(window.hwnd, kTimerShot);
  if (handler.Owns(chosen)) {
    const HRESULT hr = InvokeOffset(*window.options, handler, window.hwnd, chosen - handler.firstId);
    char text[96];
    snprintf(text, sizeof(text), "Invoked offset %u: 0x%08lX", chosen - handler.firstId, hr);
    SetStatus(text);
  } else if (chosen != 0) {
    SetStatus("Shell item chosen: nothing to do.");
  }
  window.handler = nullptr;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITMENUPOPUP:
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
    case WM_MENUCHAR: {
      Handler* handler = window.handler;
      if (!handler || !handler->menu3) break;
      // Owner-drawn items are the handler's only when their ids are.
      if (message == WM_MEASUREITEM && !handler->Owns(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemID)) break;
      if (message == WM_DRAWITEM && !handler->Owns(reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->itemID)) break;
      // Typed characters in the shell's own menu are its mnemonics.
      if (message == WM_MENUCHAR && reinterpret_cast<HMENU>(lParam) == handler->popup) break;
      LRESULT result = 0;
      if (SUCCEEDED(handler->menu3->HandleMenuMsg2(message, wParam, lParam, &result))) {
        return message == WM_INITMENUPOPUP ? 0 : result;
      }
      break;
    }
    case WM_MENUSELECT:
      if (window.handler) {
        ShowHelpFor(reinterpret_cast<HMENU>(lParam), LOWORD(wParam), HIWORD(wParam));
        if (!window.target.empty()) TrackSelection(reinterpret_cast<HMENU>(lParam), LOWORD(wParam), HIWORD(wParam));
      }
      return 0;
    case WM_TIMER:
      if (wParam == kTimerShot) ShotTick();
      return 0;
    case WM_CONTEXTMENU: {
      POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (at.x == -1 && at.y == -1) at = window.options->at;
      OpenContextMenu(at);
      return 0;
    }
    case WM_SIZE:
      SendMessageA(window.status, WM_SIZE, 0, 0);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      SetBkMode(dc, TRANSPARENT);
      int y = 10;
      const char* heading = "Selected folders (right-click for the context menu):";
      TextOutA(dc, 10, y, heading, lstrlenA(heading));
      for (const std::string& folder : window.options->folders) {
        y += 20;
        TextOutA(dc, 24, y, folder.c_str(), static_cast<int>(folder.size()));
      }
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(window.exitCode);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

int RunWindow(const Options& options, bool shot) {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = "VarnokeShellHost";
  RegisterClassA(&windowClass);
  window.options = &options;
  if (shot) {
    window.target.clear();
    size_t start = 0;
    for (;;) {
      const size_t slash = options.item.find('/', start);
      window.target.push_back(options.item.substr(start, slash - start));
      if (slash == std::string::npos) break;
      start = slash + 1;
    }
  }
  window.hwnd = CreateWindowExA(0, windowClass.lpszClassName, "Varnoke shell host", WS_OVERLAPPEDWINDOW, 20, 20,
                                560, 360, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (!window.hwnd) {
    Fail("CreateWindowEx", HRESULT_FROM_WIN32(GetLastError()));
    return 2;
  }
  window.status = CreateWindowExA(0, STATUSCLASSNAMEA, "Right-click for the context menu.",
                                  WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, window.hwnd, nullptr,
                                  windowClass.hInstance, nullptr);
  ShowWindow(window.hwnd, SW_SHOWNORMAL);
  UpdateWindow(window.hwnd);
  if (shot) {
    OpenContextMenu(options.at);
    DestroyWindow(window.hwnd);
  }
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return window.exitCode;
}

// The folders as wide text from the command line itself: the ANSI argv
// would turn names outside the code page into question marks.
std::wstring WideWindowsPath(const WCHAR* argument) {
  if (argument[0] != L'/') return argument;
  char unixPath[MAX_PATH * 4] = {};
  WideCharToMultiByte(CP_UTF8, 0, argument, -1, unixPath, sizeof(unixPath) - 1, nullptr, nullptr);
  using DosName = WCHAR*(CDECL*)(const char*);
  const auto convert = ProcAddress<DosName>(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name");
  WCHAR* wide = convert ? convert(unixPath) : nullptr;
  if (!wide) return argument;
  std::wstring path(wide);
  HeapFree(GetProcessHeap(), 0, wide);
  return path;
}

CommandHostOptions CommandOptions(const Options& options) {
  CommandHostOptions out;
  out.dll = options.dll;
  out.shift = options.shift;
  out.site = options.site;
  out.item = options.item;
  int count = 0;
  WCHAR** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = options.firstFolder; arguments && i < count; ++i) out.folders.push_back(WideWindowsPath(arguments[i]));
  LocalFree(arguments);
  return out;
}

int Usage() {
  fprintf(stderr,
          "usage: host [--dll <path>] [--shift] [--ready <file>] [--hold <ms>] [--at <x>,<y>]\n"
          "            list <folder>... | invoke <item> <folder>... | show <folder>... | shot <item> <folder>...\n"
          "       host [--dll <path>] [--shift] [--no-site] commands <folder>... | run <item> <folder>...\n");
  return 1;
}

bool ParseOptions(int argc, char** argv, Options& options) {
  int i = 1;
  for (; i < argc && strncmp(argv[i], "--", 2) == 0; ++i) {
    const std::string name = argv[i];
    const bool hasValue = i + 1 < argc;
    if (name == "--shift") {
      options.shift = true;
    } else if (name == "--no-site") {
      options.site = false;
    } else if (name == "--dll" && hasValue) {
      options.dll = WindowsPath(argv[++i]);
    } else if (name == "--ready" && hasValue) {
      options.readyFile = WindowsPath(argv[++i]);
    } else if (name == "--hold" && hasValue) {
      options.holdMs = static_cast<DWORD>(strtoul(argv[++i], nullptr, 10));
    } else if (name == "--at" && hasValue) {
      if (sscanf(argv[++i], "%ld,%ld", &options.at.x, &options.at.y) != 2) return false;
    } else {
      return false;
    }
  }
  if (i >= argc) return false;
  options.command = argv[i++];
  if (options.command == "invoke" || options.command == "shot" || options.command == "run") {
    if (i >= argc) return false;
    options.item = argv[i++];
  } else if (options.command != "list" && options.command != "show" && options.command != "commands") {
    return false;
  }
  options.firstFolder = i;
  for (; i < argc; ++i) options.folders.push_back(WindowsPath(argv[i]));
  return !options.folders.empty();
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) return Usage();
  // The shell's thread is an apartment thread.
  if (FAILED(OleInitialize(nullptr))) return 2;
  int result = 0;
  if (options.command == "commands" || options.command == "run") {
    result = RunCommandHost(options.command, CommandOptions(options));
  } else if (options.command == "list" || options.command == "invoke") {
    Handler handler;
    if (FAILED(BuildMenu(options, handler)))
      result = 2;
    else
      result = options.command == "list" ? ListMenu(handler) : InvokeByName(options, handler);
  } else {
    result = RunWindow(options, options.command == "shot");
  }
  OleUninitialize();
  return result;
}
