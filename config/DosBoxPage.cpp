#include "config/DosBoxPage.h"

#include "resources/ResourceIds.h"
#include "base/Module.h"
#include "menu/DosBox.h"

DosBoxPage::DosBoxPage(Settings& settings)
    : ConfigPage(settings, IDD_DOSBOX_PAGE, IDI_DOSBOX_TAB, IDS_DOSBOX_HELP),
      parameters_(settings.DosBoxParam),
      interpreter_(settings.DosBoxShell) {}

void DosBoxPage::OnInitDialog() {
  ListInterpreters();
  if (!::SetDlgItemTextA(window(), IDC_DOSBOX_PARAM, parameters_.c_str())) ComplainAbout(IDC_DOSBOX_PARAM);
}

// Each installed interpreter with its choice as the item's data; the one
// selected is the one DOS Box starts, Command Prompt for a choice that is
// unknown or gone.
void DosBoxPage::ListInterpreters() {
  const HWND list = Control(IDC_DOSBOX_SHELL);
  const uint32_t started = InstalledInterpreter(interpreter_);
  for (uint32_t choice = 0; choice < kDosBoxInterpreterCount; ++choice) {
    if (choice != CommandPrompt && InterpreterPath(choice).empty()) continue;
    const std::string name = LoadModuleString(InterpreterNameId(choice));
    const LRESULT index = ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    if (index < 0) {
      ComplainAbout(IDC_DOSBOX_SHELL);
      continue;
    }
    ::SendMessageA(list, CB_SETITEMDATA, static_cast<WPARAM>(index), choice);
    if (choice == started) ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
}

bool DosBoxPage::OnCommand(int controlId, int code) {
  if (controlId != IDC_DOSBOX_SHELL || code != CBN_SELCHANGE) return false;
  const HWND list = Control(IDC_DOSBOX_SHELL);
  const LRESULT index = ::SendMessageA(list, CB_GETCURSEL, 0, 0);
  if (index < 0) return true;
  const LRESULT choice = ::SendMessageA(list, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
  if (choice >= 0) interpreter_ = static_cast<uint32_t>(choice);
  return true;
}

bool DosBoxPage::ApplyToSettings() {
  // Stored as typed, blanks included; a short read keeps what was read.
  if (!ReadControlText(IDC_DOSBOX_PARAM, parameters_)) ComplainAbout(IDC_DOSBOX_PARAM);
  settings_.DosBoxParam = parameters_;
  settings_.DosBoxShell = interpreter_;
  return true;
}
