// A selection that overlaps itself, run as the menu starts it: each entry
// done once, the report without false errors.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DialogDriver.h"
#include "TestSupport.h"
#include "operations/FolderOperation.h"
#include "tests/win/operations/WideTree.h"
#include "resources/ResourceIds.h"

using namespace testing_support;
using wide_tree::W;

namespace {

Settings Quiet() {
  Settings settings;
  settings.EraseMethod = 0;
  return settings;
}

// Runs the operation as the menu starts it, answers "Yes" and returns the
// report's text.
std::string RunAndReport(const Settings& settings, const SelectedFolders& folders, OperationMode mode) {
  std::string report;
  DialogDriver::Run([&] { RunFolderOperation(settings, folders, mode, nullptr); },
                    [&](DialogDriver& d) {
                      if (!d.WaitForDialog()) return;
                      d.Click(IDOK);
                      if (DialogDriver::WaitUntil([&d] { return d.Text(IDCANCEL) == "E&xit"; }))
                        report = d.Text(IDC_TEXT);
                      d.Click(IDCANCEL);
                      DialogDriver::WaitUntil([&d] { return d.Closed(); }, 10000);
                    });
  return report;
}

}  // namespace

TEST(OverlappingSelection, EachEntryIsDoneOnceUnderItsTopmostFolder) {
  TempFolder temp("o");
  const std::string f = temp.MakeFolder("Fold");
  temp.MakeFile("Fold\\a", std::string(10, 'a'));
  temp.MakeFile("Fold\\Sub\\b", std::string(20, 'b'));
  const std::string sub = temp.Sub("Fold\\Sub");
  const std::string beside = temp.MakeFolder("Folder");
  temp.MakeFile("Folder\\c", "c");
  // The inner folder first, in another case, and the outer one twice.
  std::string upperSub = sub;
  upperSub.replace(upperSub.size() - 8, 8, "FOLD\\SUB");
  const SelectedFolders folders{W(upperSub), W(f), W(f + "\\")};
  EXPECT_EQ(
      "Report:\n\n30 bytes diskspace has been freed\n2 files have been deleted (0 errors).\n"
      "2 folders have been removed (0 errors).",
      RunAndReport(Quiet(), folders, ModeDelete));
  EXPECT_FALSE(Exists(f));
  EXPECT_TRUE(Exists(beside + "\\c")) << "a folder whose name starts with the selected one's is not inside it";
}

TEST(OverlappingSelection, CleanWithoutSubfoldersStillDoesAnInnerFolderSelectedWithItsParent) {
  TempFolder temp("o");
  const std::string f = temp.MakeFolder("F");
  temp.MakeFile("F\\a.tmp");
  temp.MakeFile("F\\S\\b.tmp");
  temp.MakeFile("F\\S\\T\\c.tmp");
  Settings settings = Quiet();
  settings.CleanSubfolders = 0;
  const SelectedFolders folders{W(f), W(temp.Sub("F\\S")), W(temp.Sub("F\\S"))};
  EXPECT_EQ("Report:\n\n2 bytes diskspace has been freed\n2 files have been deleted (0 errors).",
            RunAndReport(settings, folders, ModeClean));
  EXPECT_FALSE(Exists(temp.Sub("F\\a.tmp")));
  EXPECT_FALSE(Exists(temp.Sub("F\\S\\b.tmp")));
  EXPECT_TRUE(Exists(temp.Sub("F\\S\\T\\c.tmp")));
}

