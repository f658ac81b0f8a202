// DOS Box page: the interpreter, among those installed, and extra
// command-line parameters for it.
#pragma once
#include <cstdint>
#include <string>

#include "config/ConfigPage.h"

class DosBoxPage : public ConfigPage {
 public:
  explicit DosBoxPage(Settings& settings);
  bool ApplyToSettings() override;

 private:
  void OnInitDialog() override;
  bool OnCommand(int controlId, int code) override;
  void ListInterpreters();

  std::string parameters_;
  // The stored choice, kept as it is (also when unknown or not installed)
  // unless the user picks one.
  uint32_t interpreter_;
};
