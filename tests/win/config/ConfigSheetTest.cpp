// The configuration sheet end to end: opened like the shell opens it, driven
// like a user, judged by what reaches the registry.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <thread>
#include <vector>

#include "SheetDriver.h"
#include "SolidStateDrive.h"
#include "TestSupport.h"
#include "resources/ResourceIds.h"
#include "config/ConfigPage.h"
#include "menu/DosBox.h"
#include "server/ShellExt.h"
#include "tests/shared/MaskHistoryExample.h"
#include "tests/shared/SeamOverride.h"

using namespace config_test;

namespace {

constexpr int kItemsTab = 0;
constexpr int kDosBoxTab = 1;
constexpr int kDeleteTab = 2;
constexpr int kCleanTab = 3;

// A CShellExt as the class object makes it; it loads the settings now.
class ShellExtObject {
 public:
  ShellExtObject() : object_(new CShellExt()) { object_->AddRef(); }
  ~ShellExtObject() { object_->Release(); }
  CShellExt& operator*() { return *object_; }
  CShellExt* operator->() { return object_; }

 private:
  CShellExt* object_;
};

class ConfigSheetTest : public testing::Test {
 protected:
  void SetUp() override { testing_support::DeleteSettingsKey(); }
  SettingsKeyLock lock_;
};

DWORD Number(const char* name) {
  DWORD value = 0xBAADF00D;
  EXPECT_TRUE(ReadNumber(name, value)) << name;
  return value;
}

std::string Text(const char* name) {
  std::string value = "<missing>";
  EXPECT_TRUE(ReadText(name, value)) << name;
  return value;
}

// Opens the sheet over freshly loaded settings and runs `user` on it.
bool RunOnce(const std::function<void(SheetUser&)>& user) {
  ShellExtObject shellExt;
  return RunSheet(*shellExt, user);
}

std::string CleanMasksAfter(const std::string& stored, const std::function<void(SheetUser&, HWND)>& onCleanPage) {
  WriteText("CleanMasks", stored);
  EXPECT_TRUE(RunOnce([&](SheetUser& user) {
    onCleanPage(user, user.OpenTab(kCleanTab));
    user.PressOk();
  }));
  return Text("CleanMasks");
}

}  // namespace

// ---- The sheet and its frame ----------------------------------------------

TEST_F(ConfigSheetTest, OpensOnItemsTitledWithoutAUsableApplyButtonCentredOnTheWorkArea) {
  std::string title;
  bool itemsFirst = false;
  bool applyUsable = true;
  int pages = 0;
  RECT sheet = {};
  EXPECT_TRUE(RunOnce([&](SheetUser& user) {
    char text[64] = {};
    ::GetWindowTextA(user.sheet(), text, sizeof(text));
    title = text;
    itemsFirst = ::GetDlgItem(user.CurrentPage(), IDC_SHOW_DOSBOX) != nullptr;
    HWND apply = ::GetDlgItem(user.sheet(), IDC_SHEET_APPLY);
    applyUsable = apply && ::IsWindowVisible(apply) && ::IsWindowEnabled(apply);
    pages = TabCtrl_GetItemCount(reinterpret_cast<HWND>(::SendMessageA(user.sheet(), PSM_GETTABCONTROL, 0, 0)));
    ::GetWindowRect(user.sheet(), &sheet);
    user.PressCancel();
  }));
  EXPECT_EQ("Configure Varnoke", title);
  EXPECT_TRUE(itemsFirst);
  EXPECT_FALSE(applyUsable);
  EXPECT_EQ(4, pages);
  RECT work = {};
  ASSERT_TRUE(::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  const LONG width = sheet.right - sheet.left;
  const LONG height = sheet.bottom - sheet.top;
  EXPECT_EQ((work.left + work.right) / 2 - width / 2, sheet.left);
  EXPECT_EQ((work.top + work.bottom) / 2 - height / 2, sheet.top);
}

TEST_F(ConfigSheetTest, CentresOnTheActiveWindowWhichItOwnsWhileItRuns) {
  HWND owner = ::CreateWindowExA(0, "Static", "shell", WS_POPUP | WS_VISIBLE, 100, 120, 700, 500, nullptr, nullptr,
                                 nullptr, nullptr);
  ASSERT_NE(nullptr, owner);
  ::SetActiveWindow(owner);
  RECT sheet = {};
  HWND sheetOwner = nullptr;
  bool ownerDisabled = false;
  EXPECT_TRUE(RunOnce([&](SheetUser& user) {
    ::GetWindowRect(user.sheet(), &sheet);
    sheetOwner = ::GetWindow(user.sheet(), GW_OWNER);
    ownerDisabled = !::IsWindowEnabled(owner);
    user.PressCancel();
  }));
  ::DestroyWindow(owner);
  EXPECT_EQ(owner, sheetOwner);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_EQ(450 - (sheet.right - sheet.left) / 2, sheet.left);
  EXPECT_EQ(370 - (sheet.bottom - sheet.top) / 2, sheet.top);
}

TEST_F(ConfigSheetTest, OkWithoutAnyChangeWritesAllTwelveValues) {
  EXPECT_TRUE(RunOnce([](SheetUser& user) { user.PressOk(); }));
  EXPECT_EQ(12u, ValueCount());
  EXPECT_EQ(0xFFFFFFFFu, Number("Items"));
  EXPECT_EQ(1u, Number("MenuBitmaps"));
  EXPECT_EQ("", Text("DosBoxParam"));
  EXPECT_EQ(0u, Number("DosBoxShell"));
  EXPECT_EQ(0u, Number("DeleteOption"));
  EXPECT_EQ(1u, Number("EraseMethod"));
  EXPECT_EQ(0u, Number("EraseVerify"));
  EXPECT_EQ(1u, Number("DeleteConfirm"));
  EXPECT_EQ(1u, Number("DeleteReport"));
  EXPECT_EQ("*.tmp|incl", Text("CleanMasks"));
  EXPECT_EQ(0u, Number("CleanSubfolders"));
  EXPECT_EQ(1u, Number("CleanReport"));
}

TEST_F(ConfigSheetTest, CancelAfterChangesOnEveryPageChangesNeitherTheRecordNorTheRegistry) {
  WriteNumber("Items", 5);
  WriteText("DosBoxParam", "/k x.bat");
  ShellExtObject shellExt;
  EXPECT_TRUE(RunSheet(*shellExt, [](SheetUser& user) {
    user.Click(user.OpenTab(kItemsTab), IDC_SHOW_DELETE);
    user.Type(::GetDlgItem(user.OpenTab(kDosBoxTab), IDC_DOSBOX_PARAM), "changed");
    user.Click(user.OpenTab(kDeleteTab), IDC_ERASE);
    HWND clean = user.OpenTab(kCleanTab);
    user.Type(user.ComboEdit(clean, IDC_MASKS), "*.bak");
    user.Click(clean, IDC_SUBFOLDERS);
    user.PressCancel();
  }));
  EXPECT_EQ(2u, ValueCount());
  EXPECT_EQ(5u, Number("Items"));
  EXPECT_EQ("/k x.bat", Text("DosBoxParam"));
  EXPECT_EQ(5u, shellExt->settings().Items);
  EXPECT_EQ("/k x.bat", shellExt->settings().DosBoxParam);
  EXPECT_EQ(0, shellExt->settings().DeleteOption);
  EXPECT_EQ("*.tmp|incl", shellExt->settings().CleanMasks);
  EXPECT_EQ(0, shellExt->settings().CleanSubfolders);
}

TEST_F(ConfigSheetTest, OnlyOpenedPagesApplyTheOthersAreSavedAsLoaded) {
  // Values that the Delete and Clean pages would rewrite if they applied.
  WriteNumber("DeleteOption", 2);
  WriteNumber("DeleteConfirm", 0);
  WriteNumber("DeleteReport", 7);
  WriteText("CleanMasks", "a|incl|b|excl|c|incl|d|excl");
  WriteNumber("CleanReport", 9);
  WriteText("DosBoxParam", "  /k kept.bat ");
  EXPECT_TRUE(RunOnce([](SheetUser& user) {
    user.Click(user.CurrentPage(), IDC_SHOW_DELETE);
    user.PressOk();
  }));
  EXPECT_EQ(12u, ValueCount());
  EXPECT_EQ(0xFFFFFFFDu, Number("Items"));
  EXPECT_EQ(2u, Number("DeleteOption"));
  EXPECT_EQ(0u, Number("DeleteConfirm"));
  EXPECT_EQ(7u, Number("DeleteReport"));
  EXPECT_EQ("a|incl|b|excl|c|incl|d|excl", Text("CleanMasks"));
  EXPECT_EQ(9u, Number("CleanReport"));
  EXPECT_EQ("  /k kept.bat ", Text("DosBoxParam"));
}

namespace {
std::string helpShown;
int helpCalls = 0;
HWND RecordHelp(HWND, const char* text) {
  helpShown = text;
  ++helpCalls;
  return nullptr;
}

// The help text a page shows for one control ("" when it shows none).
struct HelpAnswer {
  LRESULT answer = 0;
  int calls = 0;
  std::string text;
};

HelpAnswer AskHelp(HWND page, int controlId) {
  helpShown.clear();
  helpCalls = 0;
  HELPINFO request = {};
  request.cbSize = sizeof(request);
  request.iContextType = HELPINFO_WINDOW;
  request.iCtrlId = controlId;
  request.hItemHandle = ::GetDlgItem(page, controlId);
  HelpAnswer result;
  result.answer = ::SendMessageA(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&request));
  result.calls = helpCalls;
  result.text = helpShown;
  return result;
}
}  // namespace

TEST_F(ConfigSheetTest, HelpShowsTheTextOfTheControlOnItsOwnPageAndNothingForLabels) {
  const HelpPopupFunction previous = SetConfigHelpPopupForTesting(RecordHelp);
  HelpAnswer deleteReport, cleanReport, parameters, dosBoxBox, webLink, description, label, shell, verify, note;
  EXPECT_TRUE(RunOnce([&](SheetUser& user) {
    HWND items = user.OpenTab(kItemsTab);
    dosBoxBox = AskHelp(items, IDC_SHOW_DOSBOX);
    webLink = AskHelp(items, IDC_WEBLINK);
    label = AskHelp(items, -1);
    parameters = AskHelp(user.OpenTab(kDosBoxTab), IDC_DOSBOX_PARAM);
    shell = AskHelp(user.OpenTab(kDosBoxTab), IDC_DOSBOX_SHELL);
    HWND erase = user.OpenTab(kDeleteTab);
    deleteReport = AskHelp(erase, IDC_REPORT);
    description = AskHelp(erase, IDC_DESCR);
    verify = AskHelp(erase, IDC_ERASE_VERIFY);
    note = AskHelp(erase, IDC_SOLID_STATE_NOTE);
    cleanReport = AskHelp(user.OpenTab(kCleanTab), IDC_REPORT);
    user.PressCancel();
  }));
  SetConfigHelpPopupForTesting(previous);
  EXPECT_EQ("Show summary of all deleted files and folders.", deleteReport.text);
  EXPECT_EQ("Show summary of all deleted files.", cleanReport.text);
  EXPECT_EQ("Run a DOS command box for the selected folder.", dosBoxBox.text);
  EXPECT_EQ(0u, parameters.text.find("For a list of possible parameters type \"cmd /?\""));
  EXPECT_EQ(0u, shell.text.find("The interpreter DOS Box starts in the selected folder."));
  EXPECT_EQ(0u, verify.text.find("Read the last pass of every file back from the disk"));
  for (const HelpAnswer* none : {&webLink, &description, &label, &note}) {
    EXPECT_EQ(0, none->calls);
    EXPECT_EQ(TRUE, none->answer);
  }
  EXPECT_EQ(TRUE, deleteReport.answer);
}

TEST_F(ConfigSheetTest, DescriptionLabelsCarryTheCommandHelpTexts) {
  std::string dosBox, erase, clean;
  EXPECT_TRUE(RunOnce([&](SheetUser& user) {
    dosBox = user.Text(::GetDlgItem(user.OpenTab(kDosBoxTab), IDC_DESCR));
    erase = user.Text(::GetDlgItem(user.OpenTab(kDeleteTab), IDC_DESCR));
    clean = user.Text(::GetDlgItem(user.OpenTab(kCleanTab), IDC_DESCR));
    user.PressCancel();
  }));
  EXPECT_EQ("Run a DOS command box for the selected folder.", dosBox);
  EXPECT_EQ("Delete selected folders.", erase);
  EXPECT_EQ("Delete special files from selected folders.", clean);
}

// ---- Items and DOS Box -----------------------------------------------------

TEST_F(ConfigSheetTest, ItemsKeepsTheBitsThePageDoesNotShow) {
  EXPECT_TRUE(RunOnce([](SheetUser& user) { user.PressOk(); }));
  EXPECT_EQ(0xFFFFFFFFu, Number("Items"));

  WriteNumber("Items", 0xFFFFFFFF);
  EXPECT_TRUE(RunOnce([](SheetUser& user) {
    user.Click(user.CurrentPage(), IDC_SHOW_DELETE);
    user.PressOk();
  }));
  EXPECT_EQ(0xFFFFFFFDu, Number("Items"));

  WriteNumber("Items", 0x100);
  bool anyCheckedAtStart = true;
  EXPECT_TRUE(RunOnce([&](SheetUser& user) {
    HWND items = user.CurrentPage();
    anyCheckedAtStart = user.IsChecked(items, IDC_SHOW_DOSBOX) || user.IsChecked(items, IDC_SHOW_DELETE) ||
                        user.IsChecked(items, IDC_SHOW_CLEAN);
    for (int id : {IDC_SHOW_DOSBOX, IDC_SHOW_DELETE, IDC_SHOW_CLEAN}) user.Click(items, id);
    user.PressOk();
  }));
  EXPECT_FALSE(anyCheckedAtStart);
  EXPECT_EQ(0x107u, Number("Items"));
}

TEST_F(ConfigSheetTest, MenuIconsBoxStoresZeroOrOneAndOutOfRangeShowsUnchecked) {
  EXPECT_TRUE(RunOnce([](SheetUser& user) {
    user.Click(user.CurrentPage(), IDC_MENU_BITMAPS);
    user.PressOk();
  }));
  EXPECT_EQ(0u, Number("MenuBitmaps"));

  WriteNumber("MenuBitmaps", 5);
  bool checkedAtStart = true;
  EXPECT_TRUE(RunOnce([&](SheetUser& user) {
    checkedAtStart = user.IsChecked(user.CurrentPage(), IDC_MENU_BITMAPS);
    user.Click(user.CurrentPage(), IDC_MENU_BITMAPS);
    user.PressOk();
  }));
  EXPECT_FALSE(checkedAtStart);
  EXPECT_EQ(1u, Number("MenuBitmaps"));
}

TEST_F(ConfigSheetTest, ParametersAreStoredAsTypedBlanksIncluded) {
  WriteText("DosBoxParam", "/k old.bat");
  std::string shown;
  EXPECT_TRUE(RunOnce([&](SheetUser& user) {
    HWND field = ::GetDlgItem(user.OpenTab(kDosBoxTab), IDC_DOSBOX_PARAM);
    shown = user.Text(field);
    user.Type(field, "  /k macros.bat  ");
    user.PressOk();
  }));
  EXPECT_EQ("/k old.bat", shown);
  EXPECT_EQ("  /k macros.bat  ", Text("DosBoxParam"));

  EXPECT_TRUE(RunOnce([](SheetUser& user) {
    user.Type(::GetDlgItem(user.OpenTab(kDosBoxTab), IDC_DOSBOX_PARAM), "");
    user.PressOk();
  }));
  EXPECT_EQ("", Text("DosBoxParam"));
}

namespace {

// PowerShell 7 and Terminal are "installed" for the page while one lives;
// Wine has Command Prompt and Windows PowerShell of its own.
bool everyInterpreterInstalled = false;
DWORD WINAPI InterpreterAttributes(LPCWSTR path) {
  const std::wstring name(path);
  for (const wchar_t* end : {L"\\PowerShell\\7\\pwsh.exe", L"\\Microsoft\\WindowsApps\\wt.exe"})
    if (everyInterpreterInstalled && name.size() > wcslen(end) && name.compare(name.size() - wcslen(end), wcslen(end), end) == 0)
      return FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT;
  return RealCommandBoxCalls().getFileAttributes(path);
}
struct InstalledInterpreters {
  explicit InstalledInterpreters(bool every) {
    everyInterpreterInstalled = every;
    calls->getFileAttributes = &InterpreterAttributes;
  }
  SeamOverride<CommandBoxPlatform> calls{CommandBoxCalls()};
};

// The interpreter list as the page shows it, and the stored choice after
// picking item `pick` (-1: none) and OK.
struct InterpreterList {
  std::vector<std::string> names;
  std::string shown;
};
InterpreterList ShowInterpreters(int pick) {
  InterpreterList list;
  EXPECT_TRUE(RunOnce([&](SheetUser& user) {
    HWND page = user.OpenTab(kDosBoxTab);
    HWND box = ::GetDlgItem(page, IDC_DOSBOX_SHELL);
    for (int i = 0; i < user.ItemCount(page, IDC_DOSBOX_SHELL); ++i) {
      char name[64] = {};
      ::SendMessageA(box, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(name));
      list.names.push_back(name);
    }
    list.shown = user.Text(box);
    if (pick >= 0) user.Choose(page, IDC_DOSBOX_SHELL, pick);
    user.PressOk();
  }));
  return list;
}

}  // namespace

TEST_F(ConfigSheetTest, TheInterpreterListOffersWhatIsInstalledAndStoresTheChoice) {
  InterpreterList list;
  {
    InstalledInterpreters every(true);
    list = ShowInterpreters(2);
    EXPECT_EQ((std::vector<std::string>{"Command Prompt", "Windows PowerShell", "PowerShell 7", "Windows Terminal"}),
              list.names);
    EXPECT_EQ("Command Prompt", list.shown);
    EXPECT_EQ(2u, Number("DosBoxShell"));

    WriteNumber("DosBoxShell", 3);
    list = ShowInterpreters(-1);
    EXPECT_EQ("Windows Terminal", list.shown);
    EXPECT_EQ(3u, Number("DosBoxShell"));
  }
  // Without PowerShell 7 and Terminal the list leaves them out and shows
  // what DOS Box starts instead; the stored choice stays for the day they
  // are back.
  InstalledInterpreters wineOnly(false);
  list = ShowInterpreters(-1);
  EXPECT_EQ((std::vector<std::string>{"Command Prompt", "Windows PowerShell"}), list.names);
  EXPECT_EQ("Command Prompt", list.shown);
  EXPECT_EQ(3u, Number("DosBoxShell"));
  WriteNumber("DosBoxShell", 77);
  list = ShowInterpreters(1);
  EXPECT_EQ("Command Prompt", list.shown);
  EXPECT_EQ(1u, Number("DosBoxShell"));
}

// ---- Delete ------------------------------------------------------------------

TEST_F(ConfigSheetTest, RecycleWithoutConfirmationOpensUncheckedAndEnabledAndKeepsZero) {
  WriteNumber("DeleteConfirm", 0);
  bool recycle = false, confirmChecked = true, confirmEnabled = false, methodEnabled = true;
  EXPECT_TRUE(RunOnce([&](SheetUser& user) {
    HWND page = user.OpenTab(kDeleteTab);
    recycle = user.IsChecked(page, IDC_RECYCLE);
    confirmChecked = user.IsChecked(page, IDC_CONFIRM);
    confirmEnabled = user.IsEnabled(page, IDC_CONFIRM);
    methodEnabled = user.IsEnabled(page, IDC_METHOD);
    user.PressOk();
  }));
  EXPECT_TRUE(recycle);
  EXPECT_FALSE(confirmChecked);
  EXPECT_TRUE(confirmEnabled);
  EXPECT_FALSE(methodEnabled);
  EXPECT_EQ(0u, Number("DeleteConfirm"));
  EXPECT_EQ(0u, Number("DeleteOption"));
}

TEST_F(ConfigSheetTest, EraseForcesConfirmationAndRecycleBringsBackTheUsersChoice) {
  WriteNumber("DeleteOption", 2);
  WriteNumber("DeleteConfirm", 0);
  WriteNumber("EraseMethod", 2);
  bool erase = false, confirmChecked = false, confirmEnabled = true, methodEnabled = false;
  int method = -1;
  bool recycleChecked = false, recycleEnabled = false;
  EXPECT_TRUE(RunOnce([&](SheetUser& user) {
    HWND page = user.OpenTab(kDeleteTab);
    erase = user.IsChecked(page, IDC_ERASE);
    confirmChecked = user.IsChecked(page, IDC_CONFIRM);
    confirmEnabled = user.IsEnabled(page, IDC_CONFIRM);
    methodEnabled = user.IsEnabled(page, IDC_METHOD);
    method = user.ChosenIndex(page, IDC_METHOD);
    user.Click(page, IDC_RECYCLE);
    recycleChecked = user.IsChecked(page, IDC_CONFIRM);
    recycleEnabled = user.IsEnabled(page, IDC_CONFIRM);
    user.PressCancel();
  }));
  EXPECT_TRUE(erase);
  EXPECT_TRUE(confirmChecked);
  EXPECT_FALSE(confirmEnabled);
  EXPECT_TRUE(methodEnabled);
  EXPECT_EQ(2, method);
  // Outside Recycle the stored 0 counted as "confirm": that is what Recycle shows.
  EXPECT_TRUE(recycleChecked);
  EXPECT_TRUE(recycleEnabled);
}

TEST_F(ConfigSheetTest, UncheckedConfirmSurvivesATripThroughEraseButOkInEraseStoresOne) {
  bool afterErase = false, afterErasePermanent = false, backInRecycle = true;
  EXPECT_TRUE(RunOnce([&](SheetUser& user) {
    HWND page = user.OpenTab(kDeleteTab);
    user.Click(page, IDC_CONFIRM);
    user.Click(page, IDC_ERASE);
    afterErase = user.IsChecked(page, IDC_CONFIRM) && !user.IsEnabled(page, IDC_CONFIRM);
    user.Click(page, IDC_PERMANENT);
    afterErasePermanent = user.IsChecked(page, IDC_CONFIRM) && !user.IsEnabled(page, IDC_METHOD);
    user.Click(page, IDC_RECYCLE);
    backInRecycle = user.IsChecked(page, IDC_CONFIRM);
    user.Click(page, IDC_ERASE);
    user.PressOk();
  }));
  EXPECT_TRUE(afterErase);
  EXPECT_TRUE(afterErasePermanent);
  EXPECT_FALSE(backInRecycle);
  EXPECT_EQ(2u, Number("DeleteOption"));
  EXPECT_EQ(1u, Number("DeleteConfirm"));
}

TEST_F(ConfigSheetTest, TheChosenMethodIsStoredEvenWhenTheModeChangesAway) {
  std::string gutmann;
  EXPECT_TRUE(RunOnce([&](SheetUser& user) {
    HWND page = user.OpenTab(kDeleteTab);
    user.Click(page, IDC_ERASE);
    user.Choose(page, IDC_METHOD, 3);
    gutmann = user.Text(::GetDlgItem(page, IDC_METHOD));
    user.Click(page, IDC_RECYCLE);
    user.PressOk();
  }));
  EXPECT_EQ("35 passes (Gutmann)", gutmann);
  EXPECT_EQ(3u, Number("EraseMethod"));
  EXPECT_EQ(0u, Number("DeleteOption"));
}

TEST_F(ConfigSheetTest, VerifyGoesWithEraseIsStoredFromItsBoxAndLoadedIntoIt) {
  bool checkedAtStart = true, enabledOutsideErase = true, enabledInErase = false;
  EXPECT_TRUE(RunOnce([&](SheetUser& user) {
    HWND page = user.OpenTab(kDeleteTab);
    checkedAtStart = user.IsChecked(page, IDC_ERASE_VERIFY);
    enabledOutsideErase = user.IsEnabled(page, IDC_ERASE_VERIFY);
    user.Click(page, IDC_PERMANENT);
    enabledOutsideErase |= user.IsEnabled(page, IDC_ERASE_VERIFY);
    user.Click(page, IDC_ERASE);
    enabledInErase = user.IsEnabled(page, IDC_ERASE_VERIFY);
    user.Click(page, IDC_ERASE_VERIFY);
    user.PressOk();
  }));
  EXPECT_FALSE(checkedAtStart);
  EXPECT_FALSE(enabledOutsideErase);
  EXPECT_TRUE(enabledInErase);
  EXPECT_EQ(1u, Number("EraseVerify"));

  // Loaded checked; unchecked, it stores 0 even when the mode then changes
  // away, as the method does.
  bool checkedWhenStored = false;
  EXPECT_TRUE(RunOnce([&](SheetUser& user) {
    HWND page = user.OpenTab(kDeleteTab);
    checkedWhenStored = user.IsChecked(page, IDC_ERASE_VERIFY) && user.IsEnabled(page, IDC_ERASE_VERIFY);
    user.Click(page, IDC_ERASE_VERIFY);
    user.Click(page, IDC_RECYCLE);
    user.PressOk();
  }));
  EXPECT_TRUE(checkedWhenStored);
  EXPECT_EQ(0u, Number("EraseVerify"));
}

namespace {

struct NoteSeen {
  bool visible = true;
  std::string text;
  int opens = 0;
};

NoteSeen DeletePageNote(bool answers) {
  testing_support::SolidStateDrive drive(answers);
  NoteSeen seen;
  EXPECT_TRUE(RunOnce([&](SheetUser& user) {
    HWND note = ::GetDlgItem(user.OpenTab(kDeleteTab), IDC_SOLID_STATE_NOTE);
    seen.visible = ::IsWindowVisible(note) != FALSE;
    seen.text = user.Text(note);
    user.PressCancel();
  }));
  seen.opens = testing_support::SolidStateDrive::opens();
  return seen;
}

}  // namespace

TEST_F(ConfigSheetTest, TheDeletePageSaysWhatErasureCannotReachWhenTheProfileIsOnASolidStateDrive) {
  const NoteSeen solid = DeletePageNote(true);
  EXPECT_EQ(1, solid.opens) << "the profile's drive is asked once";
  EXPECT_TRUE(solid.visible);
  EXPECT_EQ(
      "Overwriting cannot reach every copy on a solid-state drive; the drive's own secure erase or full-disk "
      "encryption is the way to be sure.",
      solid.text);
  const NoteSeen unanswered = DeletePageNote(false);
  EXPECT_FALSE(unanswered.visible);
  EXPECT_EQ("", unanswered.text);
}

TEST_F(ConfigSheetTest, OutOfRangeDeleteValuesAreShownAsNothingChosenAndStoredBack) {
  WriteNumber("DeleteOption", 7);
  WriteNumber("EraseMethod", 9);
  WriteNumber("DeleteReport", 5);
  bool anyMode = true, confirmEnabled = true, methodEnabled = true, report = true;
  int method = 0, items = 0;
  EXPECT_TRUE(RunOnce([&](SheetUser& user) {
    HWND page = user.OpenTab(kDeleteTab);
    anyMode = user.IsChecked(page, IDC_RECYCLE) || user.IsChecked(page, IDC_PERMANENT) ||
              user.IsChecked(page, IDC_ERASE);
    confirmEnabled = user.IsEnabled(page, IDC_CONFIRM);
    methodEnabled = user.IsEnabled(page, IDC_METHOD);
    method = user.ChosenIndex(page, IDC_METHOD);
    items = user.ItemCount(page, IDC_METHOD);
    report = user.IsChecked(page, IDC_REPORT);
    user.PressOk();
  }));
  EXPECT_FALSE(anyMode);
  EXPECT_FALSE(confirmEnabled);
  EXPECT_FALSE(methodEnabled);
  EXPECT_EQ(CB_ERR, method);
  EXPECT_EQ(4, items);
  EXPECT_FALSE(report);
  EXPECT_EQ(0xFFFFFFFFu, Number("DeleteOption"));
  EXPECT_EQ(9u, Number("EraseMethod"));
  EXPECT_EQ(0u, Number("DeleteReport"));
  EXPECT_EQ(1u, Number("DeleteConfirm"));
}

// ---- Clean ---------------------------------------------------------------------

TEST_F(ConfigSheetTest, TheDefaultHistoryShowsOneIncludedList) {
  std::string field;
  int items = 0;
  bool include = false, exclude = true;
  EXPECT_EQ("*.tmp|incl", CleanMasksAfter("*.tmp|incl", [&](SheetUser& user, HWND page) {
              field = user.Text(::GetDlgItem(page, IDC_MASKS));
              items = user.ItemCount(page, IDC_MASKS);
              include = user.IsChecked(page, IDC_INCLUDE);
              exclude = user.IsChecked(page, IDC_EXCLUDE);
            }));
  EXPECT_EQ("*.tmp", field);
  EXPECT_EQ(1, items);
  EXPECT_TRUE(include);
  EXPECT_FALSE(exclude);
}

TEST_F(ConfigSheetTest, WorkedHistoryExampleWithTypedUpperCaseStoredLowerCase) {
  for (const mask_history_example::Step& step : mask_history_example::kSteps) {
    std::string typed = step.masks;
    for (char& c : typed) c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(step.after, CleanMasksAfter(step.before, [&](SheetUser& user, HWND page) {
                user.Type(user.ComboEdit(page, IDC_MASKS), typed);
                user.Click(page, step.exclude ? IDC_EXCLUDE : IDC_INCLUDE);
              }));
  }
}

TEST_F(ConfigSheetTest, AFourthListDropsTheOldestAndHandWrittenHistoriesAreCutToThree) {
  EXPECT_EQ("d|incl|a|incl|b|excl", CleanMasksAfter("a|incl|b|excl|c|incl", [](SheetUser& user, HWND page) {
              user.Type(user.ComboEdit(page, IDC_MASKS), "d");
            }));
  int shown = 0;
  EXPECT_EQ("a|incl|b|excl|c|incl", CleanMasksAfter("a|incl|b|excl|c|incl|d|excl", [&](SheetUser& user, HWND page) {
              shown = user.ItemCount(page, IDC_MASKS);
            }));
  EXPECT_EQ(4, shown);
}

TEST_F(ConfigSheetTest, AnEntryWithoutItsSenseReadsAsIncludeAndIsWrittenBackWithAnEmptyWord) {
  bool include = false;
  EXPECT_EQ("x|excl|a|incl|b|", CleanMasksAfter("a|incl|b", [&](SheetUser& user, HWND page) {
              user.Choose(page, IDC_MASKS, 1);
              include = user.IsChecked(page, IDC_INCLUDE);
              user.Type(user.ComboEdit(page, IDC_MASKS), "x");
              user.Click(page, IDC_EXCLUDE);
            }));
  EXPECT_TRUE(include);
}

TEST_F(ConfigSheetTest, ChoosingAnOlderListBringsBackItsSense) {
  bool exclude = false;
  std::string field;
  EXPECT_EQ("*.obj;*.pch|excl|*.tmp|incl", CleanMasksAfter("*.tmp|incl|*.obj;*.pch|excl", [&](SheetUser& user, HWND page) {
              user.Choose(page, IDC_MASKS, 1);
              exclude = user.IsChecked(page, IDC_EXCLUDE) && !user.IsChecked(page, IDC_INCLUDE);
              field = user.Text(::GetDlgItem(page, IDC_MASKS));
            }));
  EXPECT_TRUE(exclude);
  EXPECT_EQ("*.obj;*.pch", field);
}

TEST_F(ConfigSheetTest, SubfoldersAndReportAreStoredFromTheirBoxes) {
  WriteNumber("CleanReport", 3);
  bool report = true;
  EXPECT_TRUE(RunOnce([&](SheetUser& user) {
    HWND page = user.OpenTab(kCleanTab);
    report = user.IsChecked(page, IDC_REPORT);
    user.Click(page, IDC_SUBFOLDERS);
    user.PressOk();
  }));
  EXPECT_FALSE(report);
  EXPECT_EQ(1u, Number("CleanSubfolders"));
  EXPECT_EQ(0u, Number("CleanReport"));
}

namespace {
// The refusal is a message box on the sheet's thread: close it like the
// user does and tell whether it came. Returns once the sheet's thread has
// finished with the refusal: the box is gone, and a message sent to the
// sheet is answered only from its own loop again.
bool DismissRefusal(DWORD thread, HWND sheet) {
  HWND box = WaitForMessageBox(thread, sheet);
  if (!box) return false;
  ::PostMessageA(box, WM_COMMAND, IDOK, 0);
  for (int i = 0; i < 500 && ::IsWindow(box); ++i) ::Sleep(10);
  DWORD_PTR answer = 0;
  ::SendMessageTimeoutA(sheet, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
  return !::IsWindow(box);
}
}  // namespace

TEST_F(ConfigSheetTest, AMaskListWithTheSeparatorIsRefusedUntilTheUserCorrectsIt) {
  const DWORD thread = ::GetCurrentThreadId();
  bool refused = false, stillOpen = false;
  std::string kept;
  EXPECT_TRUE(RunOnce([&](SheetUser& user) {
    HWND page = user.OpenTab(kCleanTab);
    HWND field = user.ComboEdit(page, IDC_MASKS);
    user.Type(field, "*.a|*.b");
    user.PressOk();
    refused = DismissRefusal(thread, user.sheet());
    stillOpen = ::IsWindowVisible(user.sheet()) && user.CurrentPage() == page;
    kept = user.Text(field);
    user.Type(field, "*.a;*.b");
    user.PressOk();
  }));
  EXPECT_TRUE(refused);
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ("*.a|*.b", kept);
  EXPECT_EQ("*.a;*.b|incl|*.tmp|incl", Text("CleanMasks"));
}

TEST_F(ConfigSheetTest, AMaskListWithoutAMaskIsRefusedUntilTheUserGivesOne) {
  const DWORD thread = ::GetCurrentThreadId();
  std::vector<std::string> messages;
  bool stillOpen = true;
  EXPECT_TRUE(RunOnce([&](SheetUser& user) {
    HWND page = user.OpenTab(kCleanTab);
    HWND field = user.ComboEdit(page, IDC_MASKS);
    for (const char* typed : {";", " ; ", ""}) {
      user.Type(field, typed);
      user.PressOk();
      HWND box = WaitForMessageBox(thread, user.sheet());
      char text[512] = {};
      if (box) ::GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
      messages.push_back(text);
      if (!box || !DismissRefusal(thread, user.sheet())) return;
      stillOpen = stillOpen && ::IsWindowVisible(user.sheet()) && user.CurrentPage() == page;
    }
    user.Type(field, "*.a");
    user.PressOk();
  }));
  const std::string refusal =
      "The mask list holds no mask. Enter at least one filename, e.g. *.tmp; separate the masks with a semi-colon (;).";
  EXPECT_EQ((std::vector<std::string>{refusal, refusal, refusal}), messages);
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ("*.a|incl|*.tmp|incl", Text("CleanMasks"));
}

TEST_F(ConfigSheetTest, TheSeparatorAlsoKeepsTheUserOnTheCleanTab) {
  const DWORD thread = ::GetCurrentThreadId();
  bool refused = false;
  HWND after = nullptr, clean = nullptr;
  EXPECT_TRUE(RunOnce([&](SheetUser& user) {
    clean = user.OpenTab(kCleanTab);
    user.Type(user.ComboEdit(clean, IDC_MASKS), "|");
    // The switch waits in the refusal's message loop until the box goes.
    std::thread closer([&] { refused = DismissRefusal(thread, user.sheet()); });
    user.OpenTab(kItemsTab);
    closer.join();
    after = user.CurrentPage();
    user.PressCancel();
  }));
  EXPECT_TRUE(refused);
  EXPECT_EQ(clean, after);
  EXPECT_EQ(0u, ValueCount());
}
