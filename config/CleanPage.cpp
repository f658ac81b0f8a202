#include "config/CleanPage.h"

#include "resources/ResourceIds.h"
#include "settings/CleanMasks.h"
#include "base/ActivationContext.h"
#include "base/Module.h"
#include "settings/Settings.h"

namespace {

// The message that refuses a mask list; 0 when the list may be kept.
UINT MaskListRefusal(const std::string& masks) {
  if (HasMaskHistorySeparator(masks)) return IDS_MASK_BAR_REFUSED;
  if (!HasUsableMask(masks)) return IDS_MASK_NONE_REFUSED;
  return 0;
}

}  // namespace

CleanPage::CleanPage(Settings& settings)
    : ConfigPage(settings, IDD_CLEAN_PAGE, 0, IDS_CLEAN_HELP),
      subfolders_(settings.CleanSubfolders),
      report_(settings.CleanReport),
      history_(settings.CleanMasks) {}

void CleanPage::OnInitDialog() {
  const std::vector<MaskEntry> entries = ReadMaskHistory(history_);
  masks_ = entries.empty() ? std::string() : entries.front().masks;
  exclude_ = !entries.empty() && IsExcludeSense(entries.front().sense) ? 1 : 0;

  maskBox_ = Control(IDC_MASKS);
  for (const MaskEntry& entry : entries) {
    const LRESULT index = ::SendMessageA(maskBox_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.masks.c_str()));
    if (index < 0) break;
    ::SendMessageA(maskBox_, CB_SETITEMDATA, static_cast<WPARAM>(index), IsExcludeSense(entry.sense) ? 1 : 0);
  }
  ::SendMessageA(maskBox_, CB_SETCURSEL, 0, 0);

  if (!::SetWindowTextA(maskBox_, masks_.c_str())) {
    ComplainAbout(IDC_MASKS);
    return;
  }
  SetRadioGroup(IDC_INCLUDE, IDC_EXCLUDE, exclude_);
  SetCheckBox(IDC_SUBFOLDERS, subfolders_);
  SetCheckBox(IDC_REPORT, report_);
}

bool CleanPage::OnCommand(int controlId, int code) {
  if (controlId != IDC_MASKS || code != CBN_SELCHANGE) return false;
  // An earlier mask list brings its own sense back with it.
  const LRESULT selected = ::SendMessageA(maskBox_, CB_GETCURSEL, 0, 0);
  exclude_ = static_cast<int32_t>(::SendMessageA(maskBox_, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0));
  SetRadioGroup(IDC_INCLUDE, IDC_EXCLUDE, exclude_);
  return true;
}

bool CleanPage::OnKillActive() {
  // The history keeps its entries apart with "|"; a mask list holding one
  // would read back as other entries. A list without a usable mask would
  // make every Clean a refused one. The user corrects either before the page
  // can be left or applied; a text that cannot be read is not applied at all.
  std::string text;
  if (!ReadControlText(IDC_MASKS, text)) return true;
  const UINT refusal = MaskListRefusal(text);
  if (refusal == 0) return true;
  {
    ActivationScope context;
    if (!context.Failed())
      ::MessageBoxA(window(), LoadModuleString(refusal).c_str(), LoadModuleString(IDS_SHEET_CAPTION).c_str(),
                    MB_OK | MB_ICONEXCLAMATION);
  }
  ::SetFocus(maskBox_);
  ::SendMessageA(maskBox_, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
  return false;
}

bool CleanPage::ApplyToSettings() {
  if (ReadControlText(IDC_MASKS, masks_)) {
    // Nothing chosen counts as include: exclude would clean every file that
    // matches no mask.
    exclude_ = CheckedRadio(IDC_INCLUDE, IDC_EXCLUDE) == 1 ? 1 : 0;
    subfolders_ = CheckBoxState(IDC_SUBFOLDERS);
    report_ = CheckBoxState(IDC_REPORT);
  } else {
    ComplainAbout(IDC_MASKS);
  }
  settings_.CleanSubfolders = subfolders_;
  settings_.CleanReport = report_;
  settings_.CleanMasks = ComposeMaskHistory(masks_, exclude_ != 0, history_);
  return true;
}
