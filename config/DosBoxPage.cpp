#include "config/DosBoxPage.h"

#include "resources/ResourceIds.h"

DosBoxPage::DosBoxPage(Settings& settings)
    : ConfigPage(settings, IDD_DOSBOX_PAGE, IDI_DOSBOX_TAB, IDS_DOSBOX_HELP), parameters_(settings.DosBoxParam) {}

void DosBoxPage::OnInitDialog() {
  if (!::SetDlgItemTextA(window(), IDC_DOSBOX_PARAM, parameters_.c_str())) ComplainAbout(IDC_DOSBOX_PARAM);
}

bool DosBoxPage::ApplyToSettings() {
  // Stored as typed, blanks included; a short read keeps what was read.
  if (!ReadControlText(IDC_DOSBOX_PARAM, parameters_)) ComplainAbout(IDC_DOSBOX_PARAM);
  settings_.DosBoxParam = parameters_;
  return true;
}
