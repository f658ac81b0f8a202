// Items page: which commands the folder menu shows, menu icons, web link.
#pragma once
#include "config/ConfigPage.h"
#include "config/HyperLinkLabel.h"

class ItemsPage : public ConfigPage {
 public:
  explicit ItemsPage(Settings& settings);
  bool ApplyToSettings() override;

 private:
  void OnInitDialog() override;

  int32_t menuBitmaps_;
  int32_t showDosBox_;
  int32_t showDelete_;
  int32_t showClean_;
  HyperLinkLabel webLink_;
};
