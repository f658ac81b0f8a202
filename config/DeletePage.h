// Delete page: recycle, delete permanently or erase; the erase method and
// its verification; confirmation and report; what erasure cannot reach on
// the solid-state drive of the user's profile.
#pragma once
#include "config/ConfigPage.h"

class DeletePage : public ConfigPage {
 public:
  explicit DeletePage(Settings& settings);
  bool ApplyToSettings() override;

 private:
  void OnInitDialog() override;
  bool OnCommand(int controlId, int code) override;
  // The method list and the Verify box go with Erase.
  void EnableEraseControls(bool enable);

  int32_t option_;
  uint32_t method_;
  int32_t confirm_;
  int32_t report_;
  int32_t verify_;
  // The user's Confirm choice for Recycle, shown again whenever Recycle is
  // chosen; the other modes always confirm.
  int32_t recycleConfirm_;
  HWND confirmBox_ = nullptr;
  HWND methodBox_ = nullptr;
  HWND verifyBox_ = nullptr;
};
