#include "config/ItemsPage.h"

#include "resources/ResourceIds.h"

namespace {

int32_t HasBit(uint32_t items, uint32_t bit) { return (items & bit) ? 1 : 0; }

// Only the bit of the menu item changes; bits the page does not show keep
// whatever they held.
uint32_t WithBit(uint32_t items, uint32_t bit, int32_t shown) { return shown ? (items | bit) : (items & ~bit); }

}  // namespace

ItemsPage::ItemsPage(Settings& settings)
    : ConfigPage(settings, IDD_ITEMS_PAGE, 0, 0),
      menuBitmaps_(settings.MenuBitmaps),
      showDosBox_(HasBit(settings.Items, kItemDosBox)),
      showDelete_(HasBit(settings.Items, kItemDelete)),
      showClean_(HasBit(settings.Items, kItemClean)) {}

void ItemsPage::OnInitDialog() {
  SetCheckBox(IDC_MENU_BITMAPS, menuBitmaps_);
  SetCheckBox(IDC_SHOW_DOSBOX, showDosBox_);
  SetCheckBox(IDC_SHOW_DELETE, showDelete_);
  SetCheckBox(IDC_SHOW_CLEAN, showClean_);
  if (!webLink_.attached()) webLink_.Attach(Control(IDC_WEBLINK));
}

bool ItemsPage::ApplyToSettings() {
  menuBitmaps_ = CheckBoxState(IDC_MENU_BITMAPS);
  showDosBox_ = CheckBoxState(IDC_SHOW_DOSBOX);
  showDelete_ = CheckBoxState(IDC_SHOW_DELETE);
  showClean_ = CheckBoxState(IDC_SHOW_CLEAN);
  settings_.MenuBitmaps = menuBitmaps_;
  settings_.Items = WithBit(settings_.Items, kItemDosBox, showDosBox_);
  settings_.Items = WithBit(settings_.Items, kItemDelete, showDelete_);
  settings_.Items = WithBit(settings_.Items, kItemClean, showClean_);
  return true;
}
