// Delete page: recycle, delete permanently or erase; the erase method;
// confirmation and report.
#pragma once
#include "config/ConfigPage.h"

class DeletePage : public ConfigPage {
 public:
  explicit DeletePage(Settings& settings);
  bool ApplyToSettings() override;

 private:
  void OnInitDialog() override;
  bool OnCommand(int controlId, int code) override;

  int32_t option_;
  uint32_t method_;
  int32_t confirm_;
  int32_t report_;
  // The user's Confirm choice for Recycle, shown again whenever Recycle is
  // chosen; the other modes always confirm.
  int32_t recycleConfirm_;
  HWND confirmBox_ = nullptr;
  HWND methodBox_ = nullptr;
};
