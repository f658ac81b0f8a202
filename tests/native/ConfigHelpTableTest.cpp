// Help texts of the configuration pages' controls.
#include <gtest/gtest.h>

#include "resources/ResourceIds.h"
#include "config/ControlHelpTable.h"

TEST(ConfigHelpTable, TheReportBoxExplainsItsOwnPage) {
  EXPECT_EQ(507u, ControlHelpString(IDD_DELETE_PAGE, IDC_REPORT));
  EXPECT_EQ(512u, ControlHelpString(IDD_CLEAN_PAGE, IDC_REPORT));
}

TEST(ConfigHelpTable, ControlsAnswerOnlyOnTheirOwnPage) {
  EXPECT_EQ(407u, ControlHelpString(IDD_ITEMS_PAGE, IDC_SHOW_DOSBOX));
  EXPECT_EQ(501u, ControlHelpString(IDD_DOSBOX_PAGE, IDC_DOSBOX_PARAM));
  EXPECT_EQ(520u, ControlHelpString(IDD_DOSBOX_PAGE, IDC_DOSBOX_SHELL));
  EXPECT_EQ(0u, ControlHelpString(IDD_DELETE_PAGE, IDC_DOSBOX_SHELL));
  EXPECT_EQ(505u, ControlHelpString(IDD_DELETE_PAGE, IDC_METHOD));
  EXPECT_EQ(514u, ControlHelpString(IDD_DELETE_PAGE, IDC_ERASE_VERIFY));
  EXPECT_EQ(0u, ControlHelpString(IDD_DELETE_PAGE, IDC_SOLID_STATE_NOTE));
  EXPECT_EQ(0u, ControlHelpString(IDD_CLEAN_PAGE, IDC_ERASE_VERIFY));
  EXPECT_EQ(508u, ControlHelpString(IDD_CLEAN_PAGE, IDC_MASKS));
  EXPECT_EQ(0u, ControlHelpString(IDD_CLEAN_PAGE, IDC_SHOW_DOSBOX));
  EXPECT_EQ(0u, ControlHelpString(IDD_ITEMS_PAGE, IDC_REPORT));
}

TEST(ConfigHelpTable, LabelsTheWebLinkAndTheSheetButtonsHaveNoHelp) {
  for (int dialog = IDD_ITEMS_PAGE; dialog <= IDD_CLEAN_PAGE; ++dialog) {
    EXPECT_EQ(0u, ControlHelpString(dialog, IDC_DESCR));
    EXPECT_EQ(0u, ControlHelpString(dialog, IDC_WEBLINK));
    EXPECT_EQ(0u, ControlHelpString(dialog, -1));  // static labels and group boxes
    EXPECT_EQ(0u, ControlHelpString(dialog, 1));   // OK
    EXPECT_EQ(0u, ControlHelpString(dialog, 2));   // Cancel
  }
}

TEST(ConfigHelpTable, HoldsEighteenEntries) {
  int count = 0;
  for (int dialog = IDD_ITEMS_PAGE; dialog <= IDD_CLEAN_PAGE; ++dialog)
    for (int control = 0; control < 1000; ++control) count += ControlHelpString(dialog, control) != 0;
  EXPECT_EQ(18, count);
}
