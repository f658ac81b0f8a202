#include "config/ControlHelpTable.h"

#include "resources/ResourceIds.h"

namespace {

struct ControlHelp {
  int dialogId;
  int controlId;
  unsigned stringId;
};

// The Report box has the same id on the Delete and the Clean page; the
// dialog id tells the two texts apart.
constexpr ControlHelp kControlHelpTable[] = {
    {IDD_ITEMS_PAGE, IDC_SHOW_DOSBOX, IDS_DOSBOX_HELP},
    {IDD_ITEMS_PAGE, IDC_SHOW_DELETE, IDS_DELETE_HELP},
    {IDD_ITEMS_PAGE, IDC_SHOW_CLEAN, IDS_CLEAN_HELP},
    {IDD_ITEMS_PAGE, IDC_MENU_BITMAPS, IDS_HELP_MENU_ICONS},
    {IDD_DOSBOX_PAGE, IDC_DOSBOX_SHELL, IDS_HELP_DOSBOX_SHELL},
    {IDD_DOSBOX_PAGE, IDC_DOSBOX_PARAM, IDS_HELP_DOSBOX_PARAM},
    {IDD_DELETE_PAGE, IDC_RECYCLE, IDS_HELP_RECYCLE},
    {IDD_DELETE_PAGE, IDC_PERMANENT, IDS_HELP_PERMANENT},
    {IDD_DELETE_PAGE, IDC_ERASE, IDS_HELP_ERASE},
    {IDD_DELETE_PAGE, IDC_CONFIRM, IDS_HELP_CONFIRM},
    {IDD_DELETE_PAGE, IDC_REPORT, IDS_HELP_DELETE_REPORT},
    {IDD_DELETE_PAGE, IDC_METHOD, IDS_HELP_METHOD},
    {IDD_DELETE_PAGE, IDC_ERASE_VERIFY, IDS_HELP_ERASE_VERIFY},
    {IDD_CLEAN_PAGE, IDC_MASKS, IDS_HELP_MASKS},
    {IDD_CLEAN_PAGE, IDC_INCLUDE, IDS_HELP_INCLUDE},
    {IDD_CLEAN_PAGE, IDC_EXCLUDE, IDS_HELP_EXCLUDE},
    {IDD_CLEAN_PAGE, IDC_SUBFOLDERS, IDS_HELP_SUBFOLDERS},
    {IDD_CLEAN_PAGE, IDC_REPORT, IDS_HELP_CLEAN_REPORT},
};
static_assert(sizeof(kControlHelpTable) / sizeof(kControlHelpTable[0]) == 18, "eighteen controls have help");

}  // namespace

unsigned ControlHelpString(int dialogId, int controlId) {
  for (const ControlHelp& entry : kControlHelpTable)
    if (entry.dialogId == dialogId && entry.controlId == controlId) return entry.stringId;
  return 0;
}
