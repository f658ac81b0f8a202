// Shared by the folder-menu tests: settings in the registry, an initialised
// CShellExt, and a readable form of menu items.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "server/ShellExt.h"

namespace menu_test {

constexpr UINT kFirstId = 100;

inline void WriteSetting(const char* name, DWORD value) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Thandrel\\Varnoke", 0, nullptr, 0,
                                           KEY_WRITE, nullptr, &key, nullptr));
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
  RegCloseKey(key);
}

inline void WriteSetting(const char* name, const std::string& value) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Thandrel\\Varnoke", 0, nullptr, 0,
                                           KEY_WRITE, nullptr, &key, nullptr));
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
}

// One handler object, created the way the class object creates it, with its
// settings read from the registry at creation.
class Handler {
 public:
  Handler() {
    IContextMenu3* menu = nullptr;
    EXPECT_EQ(S_OK, CreateShellExt(nullptr, IID_IContextMenu3, reinterpret_cast<void**>(&menu)));
    object_ = static_cast<CShellExt*>(menu);
  }
  ~Handler() {
    if (object_) static_cast<IContextMenu3*>(object_)->Release();
  }
  Handler(const Handler&) = delete;
  Handler& operator=(const Handler&) = delete;
  CShellExt* operator->() const { return object_; }
  CShellExt& get() const { return *object_; }

  HRESULT Initialize(const std::vector<std::string>& folders) {
    IDataObject* data = testing_support::NewDropDataObject(folders);
    const HRESULT hr = object_->Initialize(nullptr, data, nullptr);
    data->Release();
    return hr;
  }

 private:
  CShellExt* object_ = nullptr;
};

// A popup menu owned by the test, like the shell's context menu.
class HostMenu {
 public:
  HostMenu() : menu_(CreatePopupMenu()) {}
  ~HostMenu() {
    // The handler owns its submenu: detach it before the host goes away.
    for (int i = GetMenuItemCount(menu_) - 1; i >= 0; --i)
      if (GetSubMenu(menu_, i)) RemoveMenu(menu_, static_cast<UINT>(i), MF_BYPOSITION);
    DestroyMenu(menu_);
  }
  HostMenu(const HostMenu&) = delete;
  HostMenu& operator=(const HostMenu&) = delete;
  HMENU get() const { return menu_; }

 private:
  HMENU menu_;
};

struct Item {
  UINT type = 0;
  UINT state = 0;
  UINT id = 0;
  HMENU submenu = nullptr;
  ULONG_PTR data = 0;
  std::string text;  // for owner-drawn items: the caption of their record
  bool ownerDrawn() const { return (type & MFT_OWNERDRAW) != 0; }
  bool separator() const { return (type & MFT_SEPARATOR) != 0; }
  bool grayed() const { return (state & MFS_GRAYED) != 0; }
};

inline std::vector<Item> ReadItems(HMENU menu) {
  std::vector<Item> items;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    char text[256] = {};
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof(text) - 1;
    EXPECT_TRUE(GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info));
    Item item;
    item.type = info.fType;
    item.state = info.fState;
    item.id = info.wID;
    item.submenu = info.hSubMenu;
    item.data = info.dwItemData;
    if (item.ownerDrawn() && item.data)
      item.text = reinterpret_cast<const MenuItemData*>(item.data)->caption;
    else if (!item.separator())
      item.text = text;
    items.push_back(item);
  }
  return items;
}

// Captions top to bottom, "-" for a separator.
inline std::string Captions(const std::vector<Item>& items) {
  std::string out;
  for (const Item& item : items) {
    if (!out.empty()) out += "|";
    out += item.separator() ? "-" : item.text;
  }
  return out;
}

// Every test starts from an empty settings key and leaves none behind.
class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override { testing_support::DeleteSettingsKey(); }
  void TearDown() override { testing_support::DeleteSettingsKey(); }
  testing_support::TempFolder temp_{"menu"};
};

}  // namespace menu_test
