#include "server/MenuCommands.h"

#include "base/ErrorReturn.h"
#include "config/ConfigSheet.h"
#include "menu/DosBox.h"
#include "operations/FolderOperation.h"
#include "resources/ResourceIds.h"

namespace {

constexpr ItemBitmaps kPopupBitmaps = {IDB_VARNOKE_NORMAL, IDB_VARNOKE_HIGHLIGHTED, IDB_VARNOKE_GRAYED,
                                       IDB_VARNOKE_GRAYED_HIGHLIGHTED};
constexpr ItemBitmaps kDosBoxBitmaps = {IDB_DOSBOX_NORMAL, IDB_DOSBOX_HIGHLIGHTED, IDB_DOSBOX_GRAYED,
                                        IDB_DOSBOX_GRAYED_HIGHLIGHTED};
constexpr ItemBitmaps kDeleteBitmaps = {IDB_DELETE_NORMAL, IDB_DELETE_HIGHLIGHTED, IDB_DELETE_GRAYED,
                                        IDB_DELETE_GRAYED_HIGHLIGHTED};

// The sheet edits the caller's settings in place; its answer changes
// nothing for the shell.
void RunConfigure(const CommandContext& context) { ShowConfigSheet(context.settings, context.owner); }

// Ctrl+Shift asks for an administrator's prompt, as Terminal's own menu does.
void RunDosBox(const CommandContext& context) {
  OpenDosBox(context.settings, context.folders, context.shiftDown && context.controlDown);
}

void RunDelete(const CommandContext& context) {
  OperationMode mode = ModeRecycle;
  if (!DeleteModeFor(context.settings.DeleteOption, context.shiftDown, &mode)) {
    // Only an edited registry holds such a value: nothing is removed, and the
    // beep tells the user that the command was refused.
    TRACE_FAILURE(kResultInvalidArgument);
    ::MessageBeep(0xFFFFFFFF);
    return;
  }
  RunFolderOperation(context.settings, context.folders, mode, context.owner);
}

void RunClean(const CommandContext& context) {
  RunFolderOperation(context.settings, context.folders, ModeClean, context.owner);
}

constexpr MenuCommandEntry kPopup = {CmdPopup, IDS_POPUP, IDS_POPUP_HELP, &kPopupBitmaps, 0, 0, false, false,
                                     nullptr};

constexpr MenuCommandEntry kCommands[] = {
    {CmdDosBox, IDS_DOSBOX, IDS_DOSBOX_HELP, &kDosBoxBitmaps, IDI_DOSBOX_TAB, kItemDosBox, true, false, RunDosBox},
    {CmdDelete, IDS_DELETE, IDS_DELETE_HELP, &kDeleteBitmaps, IDI_DELETE_TAB, kItemDelete, false, false, RunDelete},
    {CmdClean, IDS_CLEAN, IDS_CLEAN_HELP, nullptr, 0, kItemClean, false, false, RunClean},
    {CmdConfigure, IDS_CONFIGURE, IDS_CONFIGURE_HELP, nullptr, 0, 0, false, true, RunConfigure},
};

}  // namespace

const MenuCommandEntry& PopupCommand() { return kPopup; }
const MenuCommandEntry* MenuCommandsBegin() { return kCommands; }
const MenuCommandEntry* MenuCommandsEnd() { return kCommands + ARRAYSIZE(kCommands); }

const MenuCommandEntry* FindMenuCommand(UINT_PTR offset) {
  if (offset == kPopup.command) return &kPopup;
  for (const MenuCommandEntry& entry : kCommands)
    if (entry.command == offset) return &entry;
  return nullptr;
}
