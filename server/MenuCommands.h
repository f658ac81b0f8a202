// The folder commands, one table for both menus: the classic submenu of
// CShellExt and the Explorer command of Windows 11's top-level menu read
// their items, texts, pictures, rules and handlers from here.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "settings/SelectedFolders.h"
#include "settings/Settings.h"

// Offsets of the classic menu's ids from the first id the shell grants.
enum MenuCommand : UINT {
  CmdPopup = 0,
  CmdConfigure = 1,
  CmdDosBox = 2,
  CmdDelete = 3,
  CmdClean = 4,
};
// Ids the classic menu takes from the shell's range, whatever it shows.
constexpr UINT kMenuCommandIds = CmdClean + 1;

// What a command runs on and for whom.
struct CommandContext {
  Settings& settings;
  const SelectedFolders& folders;
  HWND owner;
  bool shiftDown;
  bool controlDown;
};

struct ItemBitmaps {
  uint32_t normal, highlighted, grayed, grayedHighlighted;
};

struct MenuCommandEntry {
  MenuCommand command;
  UINT textId;
  UINT helpId;
  const ItemBitmaps* bitmaps;  // null: a text item in the classic menu
  UINT iconId;                 // 0: no icon in the Explorer command
  uint32_t itemBit;            // bit of Settings::Items; 0: always shown
  bool singleFolder;           // enabled for one selected folder only
  bool separatorBefore;        // after a separator when items precede it
  void (*run)(const CommandContext& context);  // null for the popup
};

// The "Varnoke" popup, root of both menus.
const MenuCommandEntry& PopupCommand();
// The commands in menu order.
const MenuCommandEntry* MenuCommandsBegin();
const MenuCommandEntry* MenuCommandsEnd();
// The popup or a command by its offset; null for any other offset.
const MenuCommandEntry* FindMenuCommand(UINT_PTR offset);

inline bool IsCommandShown(const MenuCommandEntry& entry, uint32_t items) {
  return entry.itemBit == 0 || (items & entry.itemBit) != 0;
}
inline bool IsCommandEnabled(const MenuCommandEntry& entry, size_t folderCount) {
  return !entry.singleFolder || folderCount == 1;
}
