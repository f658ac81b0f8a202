#include "config/ConfigPage.h"

#include <new>
#include <string>
#include <vector>

#include "resources/ResourceIds.h"
#include "config/ControlHelpTable.h"
#include "base/HelpPopup.h"
#include "base/ActivationContext.h"
#include "base/DisplayScale.h"
#include "base/ErrorReturn.h"
#include "base/LastError.h"
#include "base/Module.h"

namespace {

HelpPopupFunction helpPopup = ShowHelpPopup;

}  // namespace

HelpPopupFunction SetConfigHelpPopupForTesting(HelpPopupFunction function) {
  HelpPopupFunction previous = helpPopup;
  helpPopup = function ? function : ShowHelpPopup;
  return previous;
}

ConfigPage::ConfigPage(Settings& settings, int dialogId, int iconId, unsigned descriptionId)
    : BindingTag(BindingKind::Page),
      settings_(settings),
      dialogId_(dialogId),
      iconId_(iconId),
      descriptionId_(descriptionId) {}

PROPSHEETPAGEA ConfigPage::Descriptor(UINT dpi) {
  PROPSHEETPAGEA page = {};
  page.dwSize = kPageDescriptorSize;
  page.dwFlags = PSP_USECALLBACK;
  page.hInstance = ModuleInstance();
  page.pszTemplate = MAKEINTRESOURCEA(dialogId_);
  if (iconId_) {
    const int size = NearestSizeAtDpi(kTabIconSizes, kTabIconSizes[0], dpi);
    tabIcon_.reset(static_cast<HICON>(
        ::LoadImageA(ModuleInstance(), MAKEINTRESOURCEA(iconId_), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    if (tabIcon_) {
      page.dwFlags |= PSP_USEHICON;
      page.hIcon = tabIcon_.get();
    } else {
      // The sheet can still load the icon at its own idea of the size.
      TRACE_FAILURE(LastFailure());
      page.dwFlags |= PSP_USEICONID;
      page.pszIcon = MAKEINTRESOURCEA(iconId_);
    }
  }
  page.pfnDlgProc = DialogProc;
  page.lParam = reinterpret_cast<LPARAM>(this);
  page.pfnCallback = PageCallback;
  // The page's controls come from the same common controls as the sheet.
  if (HANDLE context = ModuleActivationContext()) {
    page.dwFlags |= PSP_USEFUSIONCONTEXT;
    page.hActCtx = context;
  }
  return page;
}

UINT CALLBACK ConfigPage::PageCallback(HWND, UINT message, PROPSHEETPAGEA* page) {
  // The dialog is created right after this returns, on this thread; its
  // first message takes the page object out of the list again.
  if (message == PSPCB_CREATE && page) {
    try {
      auto* object = reinterpret_cast<ConfigPage*>(page->lParam);
      AddBinding(object);
    } catch (const std::bad_alloc&) {
      TRACE_FAILURE(kResultOutOfMemory);
      return 0;
    }
  }
  return 1;
}

INT_PTR CALLBACK ConfigPage::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    auto* page = reinterpret_cast<ConfigPage*>(::GetWindowLongPtrA(window, DWLP_USER));
    if (!page) {
      page = static_cast<ConfigPage*>(TakeBinding(BindingKind::Page));
      if (!page) return FALSE;
      ::SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
      page->window_ = window;
    }
    if (message == WM_NCDESTROY) {
      ::SetWindowLongPtrA(window, DWLP_USER, 0);
      page->window_ = nullptr;
      return FALSE;
    }
    return page->HandleMessage(message, wParam, lParam);
  } catch (...) {
    TRACE_FAILURE(kResultOutOfMemory);
    return FALSE;
  }
}

INT_PTR ConfigPage::Answer(LONG_PTR result) {
  ::SetWindowLongPtrA(window_, DWLP_MSGRESULT, result);
  return TRUE;
}

INT_PTR ConfigPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      if (descriptionId_) ::SetDlgItemTextA(window_, IDC_DESCR, LoadModuleString(descriptionId_).c_str());
      OnInitDialog();
      return TRUE;
    case WM_HELP:
      if (lParam) ShowControlHelp(*reinterpret_cast<const HELPINFO*>(lParam));
      return Answer(TRUE);
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam)) ? Answer(0) : FALSE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (!header || (header->hwndFrom != window_ && header->hwndFrom != ::GetParent(window_))) return FALSE;
      switch (header->code) {
        case PSN_APPLY:
          return Answer(ApplyToSettings() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE);
        case PSN_KILLACTIVE:
          return Answer(OnKillActive() ? FALSE : TRUE);
        case PSN_SETACTIVE:
        case PSN_RESET:
        case PSN_HELP:
        case PSN_WIZBACK:
        case PSN_WIZNEXT:
        case PSN_WIZFINISH:
        case PSN_QUERYCANCEL:
          return Answer(0);
        default:
          return FALSE;
      }
    }
    default:
      return FALSE;
  }
}

void ConfigPage::ShowControlHelp(const HELPINFO& request) {
  const unsigned stringId = ControlHelpString(dialogId_, request.iCtrlId);
  if (!stringId) return;
  helpPopup(window_, LoadModuleString(stringId).c_str());
}

void ConfigPage::SetCheckBox(int id, int32_t& value) {
  if (value < 0 || value > 2) value = 0;
  ::SendDlgItemMessageA(window_, id, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

int32_t ConfigPage::CheckBoxState(int id) const {
  return static_cast<int32_t>(::SendDlgItemMessageA(window_, id, BM_GETCHECK, 0, 0));
}

void ConfigPage::SetRadioGroup(int first, int last, int index) {
  for (int id = first; id <= last; ++id)
    ::SendDlgItemMessageA(window_, id, BM_SETCHECK, id - first == index ? BST_CHECKED : BST_UNCHECKED, 0);
}

int ConfigPage::CheckedRadio(int first, int last) const {
  for (int id = first; id <= last; ++id)
    if (::SendDlgItemMessageA(window_, id, BM_GETCHECK, 0, 0) == BST_CHECKED) return id - first;
  return -1;
}

void ConfigPage::ComplainAbout(int id) {
  ::MessageBeep(0xFFFFFFFF);
  ::SetFocus(Control(id));
}

bool ConfigPage::ReadControlText(int id, std::string& text) const {
  HWND control = Control(id);
  const int length = ::GetWindowTextLengthA(control);
  std::vector<char> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
  ::SetLastError(ERROR_SUCCESS);
  const int read = ::GetWindowTextA(control, buffer.data(), static_cast<int>(buffer.size()));
  text.assign(buffer.data(), strnlen(buffer.data(), buffer.size()));
  // The reported length may exceed the text (it allows for double-byte
  // characters), so a shorter read is normal; only a read that fails
  // outright has lost text.
  if (read == 0 && length > 0 && ::GetLastError() != ERROR_SUCCESS) {
    TRACE_LAST_FAILURE();
    return false;
  }
  return true;
}
