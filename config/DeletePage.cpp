#include "config/DeletePage.h"

#include <shlobj.h>

#include "resources/ResourceIds.h"
#include "base/DriveMedia.h"
#include "base/ErrorReturn.h"
#include "base/Handles.h"
#include "base/LastError.h"
#include "base/Module.h"

namespace {

// The drive of the user's own files stands for the drives they erase on.
bool ProfileOnSolidStateDrive() {
  UniqueCoTaskMem path;
  wchar_t* profile = nullptr;
  const HRESULT hr = ::SHGetKnownFolderPath(FOLDERID_Profile, 0, nullptr, &profile);
  path.reset(profile);
  if (FAILED(hr) || !profile) {
    TRACE_FAILURE(FAILED(hr) ? hr : kResultFail);
    return false;
  }
  return AnyOnSolidStateDrive({std::wstring(profile)});
}

}  // namespace

DeletePage::DeletePage(Settings& settings)
    : ConfigPage(settings, IDD_DELETE_PAGE, IDI_DELETE_TAB, IDS_DELETE_HELP),
      option_(settings.DeleteOption),
      method_(settings.EraseMethod),
      confirm_(settings.DeleteOption == DeleteToRecycleBin ? settings.DeleteConfirm : 1),
      report_(settings.DeleteReport),
      verify_(settings.EraseVerify),
      recycleConfirm_(confirm_) {}

void DeletePage::OnInitDialog() {
  confirmBox_ = Control(IDC_CONFIRM);
  ::EnableWindow(confirmBox_, option_ == DeleteToRecycleBin);
  methodBox_ = Control(IDC_METHOD);
  for (uint32_t m = 0; m < kEraseMethodCount; ++m)
    ::SendMessageA(methodBox_, CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(LoadModuleString(EraseMethodNameId(m)).c_str()));
  // An unknown method selects nothing and is kept unless the user picks one.
  ::SendMessageA(methodBox_, CB_SETCURSEL, method_ < kEraseMethodCount ? method_ : static_cast<WPARAM>(-1), 0);
  verifyBox_ = Control(IDC_ERASE_VERIFY);
  EnableEraseControls(option_ == DeleteByErasure);
  SetRadioGroup(IDC_RECYCLE, IDC_ERASE, option_);
  SetCheckBox(IDC_CONFIRM, confirm_);
  SetCheckBox(IDC_REPORT, report_);
  SetCheckBox(IDC_ERASE_VERIFY, verify_);
  if (ProfileOnSolidStateDrive()) {
    if (!::SetDlgItemTextA(window(), IDC_SOLID_STATE_NOTE, LoadModuleString(IDS_SOLID_STATE_NOTE).c_str()))
      TRACE_LAST_FAILURE();
    ::ShowWindow(Control(IDC_SOLID_STATE_NOTE), SW_SHOW);
  }
}

void DeletePage::EnableEraseControls(bool enable) {
  ::EnableWindow(methodBox_, enable);
  ::EnableWindow(verifyBox_, enable);
}

bool DeletePage::OnCommand(int controlId, int code) {
  switch (controlId) {
    case IDC_RECYCLE:
      ::SendMessageA(confirmBox_, BM_SETCHECK, recycleConfirm_ ? BST_CHECKED : BST_UNCHECKED, 0);
      ::EnableWindow(confirmBox_, TRUE);
      EnableEraseControls(false);
      return true;
    case IDC_PERMANENT:
    case IDC_ERASE:
      ::SendMessageA(confirmBox_, BM_SETCHECK, BST_CHECKED, 0);
      ::EnableWindow(confirmBox_, FALSE);
      EnableEraseControls(controlId == IDC_ERASE);
      return true;
    case IDC_CONFIRM:
      recycleConfirm_ = ::SendMessageA(confirmBox_, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
      return true;
    case IDC_METHOD:
      if (code != CBN_SELCHANGE) return false;
      method_ = static_cast<uint32_t>(::SendMessageA(methodBox_, CB_GETCURSEL, 0, 0));
      return true;
    default:
      return false;
  }
}

bool DeletePage::ApplyToSettings() {
  option_ = CheckedRadio(IDC_RECYCLE, IDC_ERASE);
  confirm_ = CheckBoxState(IDC_CONFIRM);
  report_ = CheckBoxState(IDC_REPORT);
  verify_ = CheckBoxState(IDC_ERASE_VERIFY);
  settings_.DeleteOption = option_;
  settings_.EraseMethod = method_;
  settings_.DeleteConfirm = confirm_;
  settings_.DeleteReport = report_;
  settings_.EraseVerify = verify_;
  return true;
}
