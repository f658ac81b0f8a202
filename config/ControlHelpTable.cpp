#include "config/ControlHelpTable.h"

#include "config/ConfigIds.h"

namespace {

struct ControlHelp {
  int dialogId;
  int controlId;
  unsigned stringId;
};

// The Report box has the same id on the Delete and the Clean page; the
// dialog id tells the two texts apart.
constexpr ControlHelp kControlHelpTable[] = {
    {IDD_ITEMS_PAGE, IDC_SHOW_DOSBOX, 407},   {IDD_ITEMS_PAGE, IDC_SHOW_DELETE, 409},
    {IDD_ITEMS_PAGE, IDC_SHOW_CLEAN, 423},    {IDD_ITEMS_PAGE, IDC_MENU_BITMAPS, 513},
    {IDD_DOSBOX_PAGE, IDC_DOSBOX_PARAM, 501}, {IDD_DELETE_PAGE, IDC_RECYCLE, 502},
    {IDD_DELETE_PAGE, IDC_PERMANENT, 503},    {IDD_DELETE_PAGE, IDC_ERASE, 504},
    {IDD_DELETE_PAGE, IDC_CONFIRM, 506},      {IDD_DELETE_PAGE, IDC_REPORT, 507},
    {IDD_DELETE_PAGE, IDC_METHOD, 505},       {IDD_CLEAN_PAGE, IDC_MASKS, 508},
    {IDD_CLEAN_PAGE, IDC_INCLUDE, 509},       {IDD_CLEAN_PAGE, IDC_EXCLUDE, 510},
    {IDD_CLEAN_PAGE, IDC_SUBFOLDERS, 511},    {IDD_CLEAN_PAGE, IDC_REPORT, 512},
};
static_assert(sizeof(kControlHelpTable) / sizeof(kControlHelpTable[0]) == 16, "sixteen controls have help");

}  // namespace

unsigned ControlHelpString(int dialogId, int controlId) {
  for (const ControlHelp& entry : kControlHelpTable)
    if (entry.dialogId == dialogId && entry.controlId == controlId) return entry.stringId;
  return 0;
}
