// DOS Box page: extra command-line parameters for the command interpreter.
#pragma once
#include <string>

#include "config/ConfigPage.h"

class DosBoxPage : public ConfigPage {
 public:
  explicit DosBoxPage(Settings& settings);
  bool ApplyToSettings() override;

 private:
  void OnInitDialog() override;

  std::string parameters_;
};
