// "DOS Box": the request handed to the system, and real interpreter runs.
#include "MenuTestSupport.h"
#include "menu/CommandBox.h"
#include "base/Module.h"
#include "tests/win/operations/WideTree.h"

using namespace menu_test;
using testing_support::Exists;
using testing_support::ReadFileBytes;
using wide_tree::W;

namespace {

// This program, copied into a folder as "cmd.exe", marks that it was started
// and ends before any test runs: the planted interpreter of the tests below.
const bool plantedCopyEnds = [] {
  wchar_t self[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (length < 8 || lstrcmpiW(self + length - 8, L"\\cmd.exe") != 0) return false;
  std::wstring marker(self, length - 7);
  marker += L"planted-ran.txt";
  HANDLE file = ::CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ::CloseHandle(file);
  ::ExitProcess(0);
}();

struct Launch {
  int count = 0;
  SHELLEXECUTEINFOW info = {};
  std::wstring file, parameters, directory;
  bool parametersGiven = false;
} launch;

BOOL WINAPI RecordLaunch(SHELLEXECUTEINFOW* info) {
  ++launch.count;
  launch.info = *info;
  launch.file = info->lpFile ? info->lpFile : L"";
  launch.parametersGiven = info->lpParameters != nullptr;
  launch.parameters = info->lpParameters ? info->lpParameters : L"";
  launch.directory = info->lpDirectory ? info->lpDirectory : L"";
  return TRUE;
}

std::wstring SystemFile(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  ::GetSystemDirectoryW(folder, MAX_PATH);
  return std::wstring(folder) + L"\\" + name;
}

// Sets an environment variable for the test's time and puts it back.
class EnvironmentScope {
 public:
  EnvironmentScope(const wchar_t* name, const wchar_t* value) : name_(name) {
    wchar_t old[4096] = {};
    had_ = ::GetEnvironmentVariableW(name, old, 4096) > 0;
    old_ = old;
    ::SetEnvironmentVariableW(name, value);
  }
  ~EnvironmentScope() { ::SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }

 private:
  const wchar_t* name_;
  bool had_;
  std::wstring old_;
};

class CommandBoxTest : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    launch = Launch();
    CommandBoxCalls().shellExecuteEx = RecordLaunch;
  }
  void TearDown() override {
    CommandBoxCalls() = RealCommandBoxCalls();
    SetPlatformIdForTesting(static_cast<DWORD>(-1));
    MenuTest::TearDown();
  }
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
  EXPECT_EQ(sizeof(SHELLEXECUTEINFOW), launch.info.cbSize);
  EXPECT_EQ(0u, launch.info.fMask);
  EXPECT_EQ(nullptr, launch.info.hwnd);
  EXPECT_EQ(nullptr, launch.info.lpVerb);
  EXPECT_EQ(SW_SHOWNORMAL, launch.info.nShow);
  EXPECT_EQ(L"/k macros.bat", launch.parameters);
  EXPECT_EQ(W(a), launch.directory);
}

TEST_F(CommandBoxTest, EmptyParametersAreGivenAsEmptyText) {
  const std::string a = temp_.MakeFolder("a");
  Handler handler;
  ASSERT_EQ(S_OK, handler.Initialize({a}));
  handler->RunCommandBox();
  ASSERT_EQ(1, launch.count);
  EXPECT_TRUE(launch.parametersGiven);
  EXPECT_EQ(L"", launch.parameters);
}

TEST_F(CommandBoxTest, TheInterpreterIsNamedByItsFullPathNeverByABareName) {
  const std::string a = temp_.MakeFolder("a");
  Handler handler;
  ASSERT_EQ(S_OK, handler.Initialize({a}));
  const std::wstring system = SystemFile(L"cmd.exe");
  ASSERT_TRUE(wide_tree::ExistsW(system));
  const std::wstring elsewhere = W(temp_.MakeFile("shell\\other.exe"));
  for (const wchar_t* comSpec : {L"cmd.exe", L"", L"C:\\no\\such\\cmd.exe"}) {
    EnvironmentScope scope(L"ComSpec", comSpec);
    handler->RunCommandBox();
    EXPECT_EQ(system, launch.file) << "ComSpec \"" << wide_tree::U8(comSpec) << "\" names no existing file by full path";
  }
  {
    EnvironmentScope scope(L"ComSpec", nullptr);
    handler->RunCommandBox();
    EXPECT_EQ(system, launch.file);
  }
  EnvironmentScope scope(L"ComSpec", elsewhere.c_str());
  handler->RunCommandBox();
  EXPECT_EQ(elsewhere, launch.file) << "a full ComSpec that names a file is the user's interpreter";
  SetPlatformIdForTesting(VER_PLATFORM_WIN32_WINDOWS);
  EnvironmentScope none(L"ComSpec", nullptr);
  handler->RunCommandBox();
  EXPECT_EQ(SystemFile(L"command.com"), launch.file);
  EXPECT_STREQ("command.com", CommandInterpreterName(VER_PLATFORM_WIN32s));
  EXPECT_STREQ("cmd.exe", CommandInterpreterName(VER_PLATFORM_WIN32_NT));
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

TEST_F(MenuTest, ACmdExePlantedInTheSelectedFolderNeverRuns) {
  WriteSetting("DosBoxParam", std::string("/c echo system> marker.txt"));
  const std::string a = temp_.MakeFolder("downloaded");
  wchar_t self[MAX_PATH] = {};
  ASSERT_GT(::GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  ASSERT_TRUE(::CopyFileW(self, (W(a) + L"\\cmd.exe").c_str(), TRUE));
  // Even a ComSpec that names the interpreter by its bare name must not
  // lead to the folder's copy.
  EnvironmentScope scope(L"ComSpec", L"cmd.exe");
  Handler handler;
  ASSERT_EQ(S_OK, handler.Initialize({a}));
  CMINVOKECOMMANDINFO info = {};
  info.cbSize = sizeof(info);
  info.lpVerb = MAKEINTRESOURCEA(2);
  ASSERT_EQ(S_OK, handler->InvokeCommand(&info));
  const std::string marker = a + "\\marker.txt";
  for (int i = 0; i < 300 && ReadFileBytes(marker).size() < 8 && !Exists(a + "\\planted-ran.txt"); ++i) Sleep(100);
  EXPECT_EQ("system\r\n", ReadFileBytes(marker)) << "the system's interpreter ran in the folder";
  EXPECT_FALSE(Exists(a + "\\planted-ran.txt")) << "the planted cmd.exe was started";
}
