#include "config/ConfigSheet.h"

#include <commctrl.h>

#include <new>

#include "config/SheetLayout.h"
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
  FitSheetToPages(window);
  TidySheetButtons(window);
}

LRESULT CALLBACK ConfigSheet::SheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* sheet = static_cast<ConfigSheet*>(::GetPropA(window, kSheetProperty));
  if (!sheet) return ::DefWindowProcA(window, message, wParam, lParam);
  const WNDPROC previous = sheet->previous_;
  try {
    switch (message) {
      case WM_SHOWWINDOW:
        if (wParam && lParam == 0) {
          CentreSheet(window);
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
        break;
      default:
        break;
    }
  } catch (...) {
    TRACE_FAILURE(kResultOutOfMemory);
  }
  return ::CallWindowProcA(previous, window, message, wParam, lParam);
}

void ShowConfigSheet(Settings& settings, HWND owner) {
  ConfigSheet sheet(settings, owner);
  sheet.RunModal(owner);
}
