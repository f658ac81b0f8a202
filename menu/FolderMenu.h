// FolderMenu: builds the "Varnoke" submenu and owns it together with the
// records behind its owner-drawn items.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Handles.h"

// The record behind an owner-drawn item; the item data points at it.
struct MenuItemData {
  char caption[64];  // NUL-terminated, cut to 63 characters
  uint32_t bitmapNormal;
  uint32_t bitmapHighlighted;
  uint32_t bitmapGrayed;
  uint32_t bitmapGrayedHighlighted;
};
static_assert(sizeof(MenuItemData) == 80, "MenuItemData is an 80-byte record");

MenuItemData MakeMenuItemData(const std::string& caption, uint32_t normal, uint32_t highlighted, uint32_t grayed,
                              uint32_t grayedHighlighted);

class FolderMenu {
 public:
  FolderMenu();
  ~FolderMenu();
  FolderMenu(const FolderMenu&) = delete;
  FolderMenu& operator=(const FolderMenu&) = delete;

  void Reset(bool ownerDraw);
  void SetPopup(UINT id, const MenuItemData& record);
  void AddItem(UINT id, const MenuItemData& record, bool enabled);
  void AddTextItem(UINT id, const std::string& text, bool enabled);
  void AddSeparator();
  void InsertInto(HMENU hostMenu, UINT position);

  HMENU submenu() const { return submenu_.get(); }
  int itemCount() const { return itemCount_; }
  // Record 0 belongs to the popup item (null before SetPopup).
  const std::vector<std::unique_ptr<MenuItemData>>& records() const { return records_; }
  // True when an item's data points at one of this menu's records: only
  // those may be read as MenuItemData.
  bool OwnsRecord(const void* data) const;

 private:
  UniqueMenu submenu_;
  UINT popupId_ = 0;
  int itemCount_ = 0;
  bool ownerDraw_ = true;
  std::vector<std::unique_ptr<MenuItemData>> records_;
};
