// Clean page: the mask list with its include/exclude sense and the
// three-entry history, subfolders and report.
#pragma once
#include <string>

#include "config/ConfigPage.h"

class CleanPage : public ConfigPage {
 public:
  explicit CleanPage(Settings& settings);
  bool ApplyToSettings() override;

 private:
  void OnInitDialog() override;
  bool OnCommand(int controlId, int code) override;
  bool OnKillActive() override;

  std::string masks_;
  int32_t exclude_ = 0;
  int32_t subfolders_;
  int32_t report_;
  // CleanMasks as it was when the sheet was built; every apply composes
  // from it.
  const std::string history_;
  HWND maskBox_ = nullptr;
};
