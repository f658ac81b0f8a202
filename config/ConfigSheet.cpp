#include "config/ConfigSheet.h"

#include <commctrl.h>

#include <algorithm>
#include <new>

#include "resources/ResourceIds.h"
#include "base/ActivationContext.h"
#include "base/ErrorReturn.h"
#include "base/LastError.h"
#include "base/Module.h"
#include "base/WindowDpi.h"
#include "base/ProcEntry.h"
#include "settings/SettingsStore.h"

namespace {

constexpr const char kSheetProperty[] = "Varnoke.ConfigSheet";

using PropertySheetFunction = INT_PTR(WINAPI*)(const PROPSHEETHEADERA*);
using CreatePageFunction = HPROPSHEETPAGE(WINAPI*)(const PROPSHEETPAGEA*);
using DestroyPageFunction = BOOL(WINAPI*)(HPROPSHEETPAGE);

struct CommonControls {
  PropertySheetFunction propertySheet = nullptr;
  CreatePageFunction createPage = nullptr;
  DestroyPageFunction destroyPage = nullptr;
};

// Looked up by name at first use, with the module's context active so that
// the name leads to version 6; a failed look-up is tried again next time.
const CommonControls* CommonControlsEntries() {
  static CommonControls entries;
  ModuleLockScope lock;
  if (entries.propertySheet) return &entries;
  ActivationScope context;
  if (context.Failed()) {
    TRACE_LAST_FAILURE();
    return nullptr;
  }
  UniqueLibrary library(::LoadLibraryA("Comctl32.dll"));
  if (!library) {
    TRACE_LAST_FAILURE();
    return nullptr;
  }
  CommonControls found;
  found.propertySheet = ProcEntry<PropertySheetFunction>(library.get(), "PropertySheetA");
  found.createPage = ProcEntry<CreatePageFunction>(library.get(), "CreatePropertySheetPageA");
  found.destroyPage = ProcEntry<DestroyPageFunction>(library.get(), "DestroyPropertySheetPage");
  if (!found.propertySheet || !found.createPage || !found.destroyPage) {
    TRACE_LAST_FAILURE();
    return nullptr;
  }
  // The addresses are kept for the module's life, so the library must stay
  // loaded as long as the process: pin it and let the load reference go.
  HMODULE pinned = nullptr;
  if (!::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                            reinterpret_cast<LPCSTR>(reinterpret_cast<void*>(found.propertySheet)), &pinned)) {
    TRACE_LAST_FAILURE();
    return nullptr;
  }
  entries = found;
  return &entries;
}

// Places an extent inside the work area, centred on the reference.
LONG CentredStart(LONG referenceStart, LONG referenceEnd, LONG extent, LONG workStart, LONG workEnd) {
  LONG start = (referenceStart + referenceEnd) / 2 - extent / 2;
  if (start < workStart)
    start = workStart;
  else if (start + extent > workEnd)
    start = workEnd - extent;
  return start;
}

// The sheet itself is not shown yet: look at the buttons' own style.
bool IsShown(HWND window) { return window && (::GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE); }

}  // namespace

ConfigSheet::ConfigSheet(Settings& settings, HWND owner)
    : BindingTag(BindingKind::Sheet),
      settings_(settings),
      itemsPage_(settings),
      dosBoxPage_(settings),
      deletePage_(settings),
      cleanPage_(settings) {
  header_.dwSize = kSheetHeaderSize;
  header_.dwFlags = PSH_USECALLBACK | PSH_NOAPPLYNOW;
  header_.hInstance = ModuleInstance();
  header_.pszCaption = MAKEINTRESOURCEA(IDS_SHEET_CAPTION);
  header_.nStartPage = 0;
  header_.pfnCallback = SheetCallback;
  const UINT dpi = WindowDpi(owner);
  for (ConfigPage* page : Pages()) AddPage(*page, dpi);
}

std::array<ConfigPage*, 4> ConfigSheet::Pages() { return {&itemsPage_, &dosBoxPage_, &deletePage_, &cleanPage_}; }

ConfigSheet::~ConfigSheet() {
  if (pages_.empty()) return;
  if (const CommonControls* controls = CommonControlsEntries()) {
    ActivationScope context;
    if (!context.Failed())
      for (HPROPSHEETPAGE page : pages_) controls->destroyPage(page);
  }
}

void ConfigSheet::AddPage(ConfigPage& page, UINT dpi) {
  const CommonControls* controls = CommonControlsEntries();
  if (!controls) return;
  const PROPSHEETPAGEA descriptor = page.Descriptor(dpi);
  HPROPSHEETPAGE handle = nullptr;
  {
    ActivationScope context;
    if (context.Failed()) {
      TRACE_LAST_FAILURE();
      return;
    }
    handle = controls->createPage(&descriptor);
  }
  // A page that cannot be made is left out; the others still work.
  if (!handle) {
    TRACE_LAST_FAILURE();
    return;
  }
  try {
    if (pages_.size() == pages_.capacity()) pages_.reserve(pages_.empty() ? 1 : pages_.capacity() * 2);
    pages_.push_back(handle);
  } catch (const std::bad_alloc&) {
    TRACE_FAILURE(kResultOutOfMemory);
    ActivationScope context;
    if (!context.Failed()) controls->destroyPage(handle);
  }
}

int ConfigSheet::RunModal(HWND owner) {
  const CommonControls* controls = CommonControlsEntries();
  if (!controls) return -1;
  header_.dwFlags &= ~PSH_MODELESS;
  if (!header_.hwndParent) header_.hwndParent = owner;
  header_.nPages = static_cast<UINT>(pages_.size());
  header_.phpage = pages_.data();
  try {
    AddBinding(this);
  } catch (const std::bad_alloc&) {
    TRACE_FAILURE(kResultOutOfMemory);
    return -1;
  }
  INT_PTR result = -1;
  bool ran = false;
  {
    ActivationScope context;
    if (context.Failed()) {
      TRACE_LAST_FAILURE();
    } else {
      result = controls->propertySheet(&header_);
      ran = true;
    }
  }
  // Nothing of this sheet may stay in the module-wide list once it is gone.
  DropBinding(this);
  for (ConfigPage* page : Pages()) page->CancelPendingBinding();
  header_.nPages = 0;
  header_.phpage = nullptr;
  // The sheet has destroyed the pages it was given.
  if (ran) std::vector<HPROPSHEETPAGE>().swap(pages_);
  return static_cast<int>(result);
}

int CALLBACK ConfigSheet::SheetCallback(HWND window, UINT message, LPARAM) {
  if (message != PSCB_INITIALIZED) return 0;
  try {
    if (auto* sheet = static_cast<ConfigSheet*>(TakeBinding(BindingKind::Sheet))) sheet->Subclass(window);
  } catch (...) {
    TRACE_FAILURE(kResultOutOfMemory);
  }
  return 0;
}

void ConfigSheet::Subclass(HWND window) {
  if (!::SetPropA(window, kSheetProperty, this)) {
    TRACE_LAST_FAILURE();
    return;
  }
  ::SetLastError(0);
  previous_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ConfigSheet::SheetProc)));
  if (!previous_) {
    TRACE_LAST_FAILURE();
    ::RemovePropA(window, kSheetProperty);
    return;
  }
  window_ = window;
  FitToPages();
  TidyButtons();
}

// Some sheet implementations (Wine's among them) keep their template's tab
// control when the pages have its size, so that the tab headers cut off the
// bottom of every page. Grow the tab control until its display area holds a
// page, and the sheet with it; where the sheet already fits, nothing moves.
void ConfigSheet::FitToPages() {
  HWND tabs = reinterpret_cast<HWND>(::SendMessageA(window_, PSM_GETTABCONTROL, 0, 0));
  if (!tabs) return;
  RECT page = {0, 0, PAGE_WIDTH_DU, PAGE_HEIGHT_DU};
  ::MapDialogRect(window_, &page);
  RECT display = {};
  ::GetClientRect(tabs, &display);
  ::SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  const LONG dx = std::max<LONG>(0, page.right - (display.right - display.left));
  const LONG dy = std::max<LONG>(0, page.bottom - (display.bottom - display.top));
  if (!dx && !dy) return;
  RECT tabsRect = {};
  ::GetWindowRect(tabs, &tabsRect);
  for (HWND child = ::GetWindow(window_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT r = {};
    ::GetWindowRect(child, &r);
    if (child == tabs || r.top < tabsRect.bottom) continue;
    ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&r), 2);
    ::SetWindowPos(child, nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ::SetWindowPos(tabs, nullptr, 0, 0, tabsRect.right - tabsRect.left + dx, tabsRect.bottom - tabsRect.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT sheet = {};
  ::GetWindowRect(window_, &sheet);
  ::SetWindowPos(window_, nullptr, 0, 0, sheet.right - sheet.left + dx, sheet.bottom - sheet.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The sheet has no Apply button and no help button (help comes per control
// with F1): where the implementation still shows them, hide them and let OK
// and Cancel take the right-most places, as the system's own sheets do.
void ConfigSheet::TidyButtons() {
  const int order[] = {IDOK, IDCANCEL, IDC_SHEET_APPLY, IDHELP};
  std::vector<std::pair<LONG, LONG>> places;  // left, top in client coordinates
  for (int id : order) {
    HWND button = ::GetDlgItem(window_, id);
    if (!IsShown(button)) continue;
    RECT r = {};
    ::GetWindowRect(button, &r);
    ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&r), 2);
    places.emplace_back(r.left, r.top);
  }
  std::sort(places.begin(), places.end());
  bool hidden = false;
  for (int id : {IDC_SHEET_APPLY, IDHELP}) {
    HWND button = ::GetDlgItem(window_, id);
    if (IsShown(button)) {
      ::ShowWindow(button, SW_HIDE);
      hidden = true;
    }
  }
  if (!hidden || places.size() < 2) return;
  const std::pair<LONG, LONG>& okPlace = places[places.size() - 2];
  const std::pair<LONG, LONG>& cancelPlace = places[places.size() - 1];
  ::SetWindowPos(::GetDlgItem(window_, IDOK), nullptr, okPlace.first, okPlace.second, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::SetWindowPos(::GetDlgItem(window_, IDCANCEL), nullptr, cancelPlace.first, cancelPlace.second, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK ConfigSheet::SheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* sheet = static_cast<ConfigSheet*>(::GetPropA(window, kSheetProperty));
  if (!sheet) return ::DefWindowProcA(window, message, wParam, lParam);
  const WNDPROC previous = sheet->previous_;
  try {
    switch (message) {
      case WM_SHOWWINDOW:
        if (wParam && lParam == 0) {
          sheet->Centre();
          return 0;
        }
        break;
      case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
          // The sheet's own procedure has the opened pages apply; whatever
          // they answered, the record is saved as it now stands.
          const LRESULT result = ::CallWindowProcA(previous, window, message, wParam, lParam);
          SettingsStore::Save(sheet->settings_);
          return result;
        }
        break;
      case WM_NCDESTROY:
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        ::RemovePropA(window, kSheetProperty);
        sheet->window_ = nullptr;
        break;
      default:
        break;
    }
  } catch (...) {
    TRACE_FAILURE(kResultOutOfMemory);
  }
  return ::CallWindowProcA(previous, window, message, wParam, lParam);
}

void ConfigSheet::Centre() {
  HWND owner = ::GetWindow(window_, GW_OWNER);
  if (!owner) owner = ::GetParent(window_);
  const bool useOwner =
      owner && ::IsWindowVisible(owner) && !(::GetWindowLongA(owner, GWL_STYLE) & WS_MINIMIZE);
  RECT work = {};
  if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
    TRACE_LAST_FAILURE();
    return;
  }
  RECT reference = work;
  if (useOwner) ::GetWindowRect(owner, &reference);
  RECT sheet = {};
  ::GetWindowRect(window_, &sheet);
  const LONG width = sheet.right - sheet.left;
  const LONG height = sheet.bottom - sheet.top;
  const LONG left = CentredStart(reference.left, reference.right, width, work.left, work.right);
  const LONG top = CentredStart(reference.top, reference.bottom, height, work.top, work.bottom);
  ::SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowConfigSheet(Settings& settings, HWND owner) {
  ConfigSheet sheet(settings, owner);
  sheet.RunModal(owner);
}
