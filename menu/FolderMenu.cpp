#include "menu/FolderMenu.h"

#include <cstddef>
#include <cstring>

#include "base/ErrorReturn.h"
#include "base/LastError.h"

namespace {

// Items are described with the menu-item structure as it was before the
// separate item bitmap existed, which every version of the shell accepts.
constexpr UINT kMenuItemInfoSize = offsetof(MENUITEMINFOA, hbmpItem);

MENUITEMINFOA NewItemInfo(UINT mask, UINT type, UINT id, bool enabled) {
  MENUITEMINFOA info = {};
  info.cbSize = kMenuItemInfoSize;
  info.fMask = mask;
  info.fType = type;
  info.fState = enabled ? 0 : MFS_GRAYED;
  info.wID = id;
  return info;
}

// A failed insertion leaves the menu without that item; the rest of the menu
// is still worth showing, so the failure is only traced.
void Insert(HMENU menu, UINT position, const MENUITEMINFOA& info) {
  if (!::InsertMenuItemA(menu, position, TRUE, &info)) TRACE_LAST_FAILURE();
}

void Append(HMENU menu, const MENUITEMINFOA& info) {
  Insert(menu, static_cast<UINT>(::GetMenuItemCount(menu)), info);
}

}  // namespace

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
  // Slot 0 stays reserved for the popup's record.
  records_.emplace_back();
  submenu_.reset(::CreateMenu());
}

void FolderMenu::SetPopup(UINT id, const MenuItemData& record) {
  popupId_ = id;
  records_[0] = std::make_unique<MenuItemData>(record);
}

void FolderMenu::AddItem(UINT id, const MenuItemData& record, bool enabled) {
  if (!ownerDraw_) {
    AddTextItem(id, record.caption, enabled);
    return;
  }
  // The record is owned before the menu can point at it.
  records_.push_back(std::make_unique<MenuItemData>(record));
  MENUITEMINFOA info = NewItemInfo(MIIM_STATE | MIIM_ID | MIIM_TYPE | MIIM_DATA, MFT_OWNERDRAW, id, enabled);
  info.dwItemData = reinterpret_cast<ULONG_PTR>(records_.back().get());
  Append(submenu_.get(), info);
  ++itemCount_;
}

void FolderMenu::AddTextItem(UINT id, const std::string& text, bool enabled) {
  MENUITEMINFOA info = NewItemInfo(MIIM_STATE | MIIM_ID | MIIM_TYPE, MFT_STRING, id, enabled);
  // The menu copies the text; the buffer only has to live for the call.
  std::string copy = text;
  info.dwTypeData = &copy[0];
  Append(submenu_.get(), info);
  ++itemCount_;
}

void FolderMenu::AddSeparator() {
  MENUITEMINFOA info = NewItemInfo(MIIM_STATE | MIIM_TYPE, MFT_SEPARATOR, 0, true);
  Append(submenu_.get(), info);
}

void FolderMenu::InsertInto(HMENU hostMenu, UINT position) {
  MenuItemData* popup = records_.empty() ? nullptr : records_[0].get();
  if (!popup) return;
  const UINT mask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_TYPE;
  MENUITEMINFOA info = NewItemInfo(ownerDraw_ ? mask | MIIM_DATA : mask, ownerDraw_ ? MFT_OWNERDRAW : MFT_STRING,
                                   popupId_, true);
  info.hSubMenu = submenu_.get();
  if (ownerDraw_)
    info.dwItemData = reinterpret_cast<ULONG_PTR>(popup);
  else
    info.dwTypeData = popup->caption;
  Insert(hostMenu, position, info);
}

bool FolderMenu::OwnsRecord(const void* data) const {
  if (!data) return false;
  for (const auto& record : records_)
    if (record.get() == data) return true;
  return false;
}
