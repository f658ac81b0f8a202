#include "menu/FolderMenu.h"

#include <cstring>

MenuItemData MakeMenuItemData(const std::string& caption, uint32_t normal, uint32_t highlighted, uint32_t grayed,
                              uint32_t grayedHighlighted) {
  MenuItemData record = {};
  const size_t length = caption.size() < sizeof(record.caption) - 1 ? caption.size() : sizeof(record.caption) - 1;
  std::memcpy(record.caption, caption.data(), length);
  record.bitmapNormal = normal;
  record.bitmapHighlighted = highlighted;
  record.bitmapGrayed = grayed;
  record.bitmapGrayedHighlighted = grayedHighlighted;
  return record;
}

FolderMenu::FolderMenu() { Reset(true); }

FolderMenu::~FolderMenu() = default;

void FolderMenu::Reset(bool ownerDraw) {
  popupId_ = 0;
  itemCount_ = 0;
  ownerDraw_ = ownerDraw;
  records_.clear();
  submenu_.reset(::CreateMenu());
}
