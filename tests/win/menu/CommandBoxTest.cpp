// "DOS Box": the request handed to the system, and a real interpreter run.
#include "MenuTestSupport.h"
#include "menu/CommandBox.h"
#include "server/Module.h"

using namespace menu_test;
using testing_support::Exists;
using testing_support::ReadFileBytes;

namespace {

struct Launch {
  int count = 0;
  SHELLEXECUTEINFOA info = {};
  std::string file, parameters, directory;
  bool parametersGiven = false;
} launch;

BOOL WINAPI RecordLaunch(SHELLEXECUTEINFOA* info) {
  ++launch.count;
  launch.info = *info;
  launch.file = info->lpFile ? info->lpFile : "";
  launch.parametersGiven = info->lpParameters != nullptr;
  launch.parameters = info->lpParameters ? info->lpParameters : "";
  launch.directory = info->lpDirectory ? info->lpDirectory : "";
  return TRUE;
}

class CommandBoxTest : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    launch = Launch();
    previous_ = SetShellExecuteExForTesting(RecordLaunch);
  }
  void TearDown() override {
    SetShellExecuteExForTesting(previous_);
    SetPlatformIdForTesting(static_cast<DWORD>(-1));
    MenuTest::TearDown();
  }
  ShellExecuteExFunction previous_ = nullptr;
};

}  // namespace

TEST_F(CommandBoxTest, StartsTheInterpreterInTheFirstFolderWithTheStoredParameters) {
  WriteSetting("DosBoxParam", std::string("/k macros.bat"));
  const std::string a = temp_.MakeFolder("first folder");
  const std::string b = temp_.MakeFolder("second");
  Handler handler;
  ASSERT_EQ(S_OK, handler.Initialize({a, b}));
  handler->RunCommandBox();
  ASSERT_EQ(1, launch.count);
  EXPECT_EQ(sizeof(SHELLEXECUTEINFOA), launch.info.cbSize);
  EXPECT_EQ(0u, launch.info.fMask);
  EXPECT_EQ(nullptr, launch.info.hwnd);
  EXPECT_EQ(nullptr, launch.info.lpVerb);
  EXPECT_EQ(SW_SHOWNORMAL, launch.info.nShow);
  EXPECT_EQ("cmd.exe", launch.file);
  EXPECT_EQ("/k macros.bat", launch.parameters);
  EXPECT_EQ(a, launch.directory);
}

TEST_F(CommandBoxTest, EmptyParametersAreGivenAsEmptyText) {
  const std::string a = temp_.MakeFolder("a");
  Handler handler;
  ASSERT_EQ(S_OK, handler.Initialize({a}));
  handler->RunCommandBox();
  ASSERT_EQ(1, launch.count);
  EXPECT_TRUE(launch.parametersGiven);
  EXPECT_EQ("", launch.parameters);
}

TEST_F(CommandBoxTest, OutsideTheNtFamilyTheInterpreterIsCommandCom) {
  const std::string a = temp_.MakeFolder("a");
  Handler handler;
  ASSERT_EQ(S_OK, handler.Initialize({a}));
  SetPlatformIdForTesting(VER_PLATFORM_WIN32_WINDOWS);
  handler->RunCommandBox();
  EXPECT_EQ("command.com", launch.file);
  SetPlatformIdForTesting(VER_PLATFORM_WIN32_NT);
  handler->RunCommandBox();
  ASSERT_EQ(2, launch.count);
  EXPECT_EQ("cmd.exe", launch.file);
  EXPECT_STREQ("command.com", CommandInterpreterName(VER_PLATFORM_WIN32_WINDOWS));
  EXPECT_STREQ("command.com", CommandInterpreterName(VER_PLATFORM_WIN32s));
}

TEST_F(CommandBoxTest, WithoutASelectedFolderNothingStarts) {
  Handler handler;
  handler->RunCommandBox();
  EXPECT_EQ(0, launch.count);
}

TEST_F(MenuTest, TheRealInterpreterRunsTheParametersInTheFirstFolder) {
  WriteSetting("DosBoxParam", std::string("/c echo ok> marker.txt"));
  const std::string a = temp_.MakeFolder("with blank");
  const std::string b = temp_.MakeFolder("b");
  Handler handler;
  ASSERT_EQ(S_OK, handler.Initialize({a, b}));
  CMINVOKECOMMANDINFO info = {};
  info.cbSize = sizeof(info);
  info.lpVerb = MAKEINTRESOURCEA(2);
  ASSERT_EQ(S_OK, handler->InvokeCommand(&info));
  const std::string marker = a + "\\marker.txt";
  for (int i = 0; i < 300 && ReadFileBytes(marker).size() < 4; ++i) Sleep(100);
  EXPECT_EQ("ok\r\n", ReadFileBytes(marker));
  EXPECT_FALSE(Exists(b + "\\marker.txt"));
}
