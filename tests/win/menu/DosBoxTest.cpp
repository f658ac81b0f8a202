// "DOS Box": the request handed to the system, and real interpreter runs.
#include "MenuTestSupport.h"
#include "menu/DosBox.h"
#include "base/Module.h"
#include "tests/win/operations/WideTree.h"
#include "tests/shared/SeamOverride.h"

using namespace menu_test;
using testing_support::Exists;
using testing_support::ReadFileBytes;
using wide_tree::W;

namespace {

// This program, copied into a folder as one of the interpreters, writes its
// command line into "<name>-ran.txt" beside itself and ends before any test
// runs: the planted and the installed interpreters of the tests below.
const bool plantedCopyEnds = [] {
  wchar_t self[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  const wchar_t* name = length ? wcsrchr(self, L'\\') : nullptr;
  if (!name) return false;
  ++name;
  bool interpreter = false;
  for (const wchar_t* known : {L"cmd.exe", L"pwsh.exe", L"wt.exe", L"powershell.exe"})
    interpreter |= lstrcmpiW(name, known) == 0;
  if (!interpreter) return false;
  std::wstring marker(static_cast<const wchar_t*>(self), name);
  marker += std::wstring(name, static_cast<const wchar_t*>(wcsrchr(name, L'.'))) + L"-ran.txt";
  const std::string line = wide_tree::U8(::GetCommandLineW());
  HANDLE file = ::CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  ::CloseHandle(file);
  ::ExitProcess(0);
}();

struct Launch {
  int count = 0;
  SHELLEXECUTEINFOW info = {};
  std::wstring verb, file, parameters, directory;
  bool parametersGiven = false;
} launch;

BOOL WINAPI RecordLaunch(SHELLEXECUTEINFOW* info) {
  ++launch.count;
  launch.info = *info;
  launch.verb = info->lpVerb ? info->lpVerb : L"";
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

class DosBoxTest : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    launch = Launch();
    calls->shellExecuteEx = RecordLaunch;
  }
  void TearDown() override {
    SetPlatformIdForTesting(static_cast<DWORD>(-1));
    MenuTest::TearDown();
  }
  SeamOverride<CommandBoxPlatform> calls{CommandBoxCalls()};
};

}  // namespace

TEST_F(DosBoxTest, StartsTheInterpreterInTheFirstFolderWithTheStoredParameters) {
  WriteSetting("DosBoxParam", std::string("/k macros.bat"));
  const std::string a = temp_.MakeFolder("first folder");
  const std::string b = temp_.MakeFolder("second");
  Handler handler;
  ASSERT_EQ(S_OK, handler.Initialize({a, b}));
  handler->RunDosBox();
  ASSERT_EQ(1, launch.count);
  EXPECT_EQ(sizeof(SHELLEXECUTEINFOW), launch.info.cbSize);
  EXPECT_EQ(0u, launch.info.fMask);
  EXPECT_EQ(nullptr, launch.info.hwnd);
  EXPECT_EQ(nullptr, launch.info.lpVerb);
  EXPECT_EQ(SW_SHOWNORMAL, launch.info.nShow);
  EXPECT_EQ(L"/k macros.bat", launch.parameters);
  EXPECT_EQ(W(a), launch.directory);
}

TEST_F(DosBoxTest, EmptyParametersAreGivenAsEmptyText) {
  const std::string a = temp_.MakeFolder("a");
  Handler handler;
  ASSERT_EQ(S_OK, handler.Initialize({a}));
  handler->RunDosBox();
  ASSERT_EQ(1, launch.count);
  EXPECT_TRUE(launch.parametersGiven);
  EXPECT_EQ(L"", launch.parameters);
}

TEST_F(DosBoxTest, TheInterpreterIsNamedByItsFullPathNeverByABareName) {
  const std::string a = temp_.MakeFolder("a");
  Handler handler;
  ASSERT_EQ(S_OK, handler.Initialize({a}));
  const std::wstring system = SystemFile(L"cmd.exe");
  ASSERT_TRUE(wide_tree::ExistsW(system));
  const std::wstring elsewhere = W(temp_.MakeFile("shell\\other.exe"));
  for (const wchar_t* comSpec : {L"cmd.exe", L"", L"C:\\no\\such\\cmd.exe"}) {
    EnvironmentScope scope(L"ComSpec", comSpec);
    handler->RunDosBox();
    EXPECT_EQ(system, launch.file) << "ComSpec \"" << wide_tree::U8(comSpec) << "\" names no existing file by full path";
  }
  {
    EnvironmentScope scope(L"ComSpec", nullptr);
    handler->RunDosBox();
    EXPECT_EQ(system, launch.file);
  }
  EnvironmentScope scope(L"ComSpec", elsewhere.c_str());
  handler->RunDosBox();
  EXPECT_EQ(elsewhere, launch.file) << "a full ComSpec that names a file is the user's interpreter";
  SetPlatformIdForTesting(VER_PLATFORM_WIN32_WINDOWS);
  EnvironmentScope none(L"ComSpec", nullptr);
  handler->RunDosBox();
  EXPECT_EQ(SystemFile(L"command.com"), launch.file);
  EXPECT_STREQ("command.com", CommandPromptName(VER_PLATFORM_WIN32s));
  EXPECT_STREQ("cmd.exe", CommandPromptName(VER_PLATFORM_WIN32_NT));
}

TEST_F(DosBoxTest, WithoutASelectedFolderNothingStarts) {
  Handler handler;
  handler->RunDosBox();
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
  for (int i = 0; i < 300 && ReadFileBytes(marker).size() < 8 && !Exists(a + "\\cmd-ran.txt"); ++i) Sleep(100);
  EXPECT_EQ("system\r\n", ReadFileBytes(marker)) << "the system's interpreter ran in the folder";
  EXPECT_FALSE(Exists(a + "\\cmd-ran.txt")) << "the planted cmd.exe was started";
}

// ---- The interpreter choice ---------------------------------------------------

namespace {

// A machine whose Program Files and local application data are folders of
// the test; an interpreter is installed there by copying this program in.
class FakeMachine {
 public:
  explicit FakeMachine(const testing_support::TempFolder& temp)
      : programFiles_(W(temp.MakeFolder("machine\\Program Files"))),
        localData_(W(temp.MakeFolder("machine\\Local"))) {
    instance_ = this;
    calls_->knownFolderPath = &KnownFolder;
  }
  ~FakeMachine() { instance_ = nullptr; }
  std::wstring Pwsh() const { return programFiles_ + L"\\PowerShell\\7\\pwsh.exe"; }
  std::wstring Terminal() const { return localData_ + L"\\Microsoft\\WindowsApps\\wt.exe"; }
  static void Install(const std::wstring& path) {
    wide_tree::MakeFolders(path.substr(0, path.rfind(L'\\')));
    wchar_t self[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    ASSERT_TRUE(::CopyFileW(self, path.c_str(), FALSE));
  }

 private:
  static HRESULT WINAPI KnownFolder(REFKNOWNFOLDERID id, DWORD, HANDLE, PWSTR* path) {
    *path = nullptr;
    const std::wstring* folder = IsEqualGUID(id, FOLDERID_ProgramFiles)    ? &instance_->programFiles_
                                 : IsEqualGUID(id, FOLDERID_LocalAppData) ? &instance_->localData_
                                                                          : nullptr;
    if (!folder) return E_INVALIDARG;
    const size_t bytes = (folder->size() + 1) * sizeof(wchar_t);
    *path = static_cast<PWSTR>(::CoTaskMemAlloc(bytes));
    memcpy(*path, folder->c_str(), bytes);
    return S_OK;
  }
  static FakeMachine* instance_;
  std::wstring programFiles_, localData_;
  SeamOverride<CommandBoxPlatform> calls_{CommandBoxCalls()};
};
FakeMachine* FakeMachine::instance_ = nullptr;

// Sets the keyboard state this thread reads as the user's.
class KeysDown {
 public:
  explicit KeysDown(std::initializer_list<int> keys) {
    ::GetKeyboardState(saved_);
    BYTE state[256];
    memcpy(state, saved_, sizeof(state));
    for (int key : {VK_SHIFT, VK_CONTROL, VK_LSHIFT, VK_LCONTROL}) state[key] = 0;
    for (int key : keys) state[key] = 0x80;
    ::SetKeyboardState(state);
  }
  ~KeysDown() { ::SetKeyboardState(saved_); }

 private:
  BYTE saved_[256] = {};
};

HRESULT InvokeDosBox(Handler& handler, DWORD mask = 0) {
  CMINVOKECOMMANDINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = mask;
  info.lpVerb = MAKEINTRESOURCEA(2);
  return handler->InvokeCommand(&info);
}

}  // namespace

TEST_F(DosBoxTest, EachInstalledChoiceStartsByItsFullPathWithTheParametersInTheFolder) {
  FakeMachine machine(temp_);
  FakeMachine::Install(machine.Pwsh());
  FakeMachine::Install(machine.Terminal());
  WriteSetting("DosBoxParam", std::string("-NoLogo"));
  const std::string a = temp_.MakeFolder("work folder");
  const std::wstring windowsPowerShell = SystemFile(L"WindowsPowerShell\\v1.0\\powershell.exe");
  ASSERT_TRUE(wide_tree::ExistsW(windowsPowerShell)) << "Wine installs its own Windows PowerShell";
  const struct {
    DWORD choice;
    std::wstring file, parameters;
  } cases[] = {
      {0, SystemFile(L"cmd.exe"), L"-NoLogo"},
      {1, windowsPowerShell, L"-NoLogo"},
      {2, machine.Pwsh(), L"-NoLogo"},
      {3, machine.Terminal(), L"-d \"" + W(a) + L"\" -NoLogo"},
  };
  EnvironmentScope noComSpec(L"ComSpec", nullptr);
  for (const auto& expected : cases) {
    WriteSetting("DosBoxShell", expected.choice);
    Handler handler;
    ASSERT_EQ(S_OK, handler.Initialize({a}));
    launch = Launch();
    ASSERT_EQ(S_OK, InvokeDosBox(handler));
    ASSERT_EQ(1, launch.count) << expected.choice;
    EXPECT_EQ(expected.file, launch.file) << expected.choice;
    EXPECT_EQ(expected.parameters, launch.parameters) << expected.choice;
    EXPECT_EQ(W(a), launch.directory) << expected.choice;
    EXPECT_EQ(L"", launch.verb) << expected.choice;
  }
}

TEST_F(DosBoxTest, AChoiceThatIsNotInstalledOrUnknownStartsCommandPrompt) {
  FakeMachine machine(temp_);
  WriteSetting("DosBoxParam", std::string("/k macros.bat"));
  const std::string a = temp_.MakeFolder("a");
  EnvironmentScope noComSpec(L"ComSpec", nullptr);
  for (DWORD stored : {2u, 3u, 4u, 0xFFFFFFFFu}) {
    WriteSetting("DosBoxShell", stored);
    Handler handler;
    ASSERT_EQ(S_OK, handler.Initialize({a}));
    launch = Launch();
    handler->RunDosBox();
    ASSERT_EQ(1, launch.count) << stored;
    EXPECT_EQ(SystemFile(L"cmd.exe"), launch.file) << stored;
    EXPECT_EQ(L"/k macros.bat", launch.parameters) << stored << ": Terminal's -d goes with Terminal alone";
    EXPECT_EQ(static_cast<uint32_t>(CommandPrompt), InstalledInterpreter(stored)) << stored;
  }
  EXPECT_EQ(L"", InterpreterPath(PowerShell7));
  EXPECT_EQ(L"", InterpreterPath(WindowsTerminal));
  EXPECT_EQ(L"", InterpreterPath(kDosBoxInterpreterCount));
}

TEST_F(DosBoxTest, CtrlShiftAloneAsksForAdministratorRightsThroughRunas) {
  const std::string a = temp_.MakeFolder("a");
  Handler handler;
  ASSERT_EQ(S_OK, handler.Initialize({a}));
  // The keys as the thread sees them, or as the shell's flags say.
  const struct {
    std::initializer_list<int> keys;
    DWORD mask;
    const wchar_t* verb;
  } cases[] = {
      {{VK_CONTROL, VK_SHIFT}, 0, L"runas"},
      {{}, CMIC_MASK_SHIFT_DOWN | CMIC_MASK_CONTROL_DOWN, L"runas"},
      {{VK_CONTROL}, CMIC_MASK_SHIFT_DOWN, L"runas"},
      {{VK_SHIFT}, 0, L""},
      {{VK_CONTROL}, 0, L""},
      {{}, CMIC_MASK_SHIFT_DOWN, L""},
      {{}, 0, L""},
  };
  for (const auto& expected : cases) {
    launch = Launch();
    {
      KeysDown keys(expected.keys);
      ASSERT_EQ(S_OK, InvokeDosBox(handler, expected.mask));
    }
    ASSERT_EQ(1, launch.count);
    EXPECT_EQ(std::wstring(expected.verb), launch.verb) << expected.keys.size() << " keys, mask " << expected.mask;
    EXPECT_EQ(SystemFile(L"cmd.exe"), launch.file);
    EXPECT_EQ(W(a), launch.directory);
  }
}

TEST_F(DosBoxTest, TerminalIsToldADriveRootWithADotSoThatItsQuoteStaysAQuote) {
  FakeMachine machine(temp_);
  FakeMachine::Install(machine.Terminal());
  Settings settings;
  settings.DosBoxShell = WindowsTerminal;
  OpenDosBox(settings, SelectedFolders{L"C:\\"}, false);
  ASSERT_EQ(1, launch.count);
  EXPECT_EQ(machine.Terminal(), launch.file);
  EXPECT_EQ(L"-d \"C:\\.\"", launch.parameters);
  EXPECT_EQ(L"C:\\", launch.directory);
}

TEST_F(MenuTest, InterpretersPlantedInTheSelectedFolderNeverRunTheInstalledOnesDo) {
  FakeMachine machine(temp_);
  const std::string a = temp_.MakeFolder("downloaded");
  for (const wchar_t* name : {L"\\pwsh.exe", L"\\wt.exe", L"\\powershell.exe"}) FakeMachine::Install(W(a) + name);
  // Neither PowerShell 7 nor Terminal is installed: Command Prompt runs, and
  // nothing of the folder.
  WriteSetting("DosBoxParam", std::string("/c echo system> marker.txt"));
  for (DWORD stored : {2u, 3u}) {
    WriteSetting("DosBoxShell", stored);
    Handler handler;
    ASSERT_EQ(S_OK, handler.Initialize({a}));
    ASSERT_EQ(S_OK, InvokeDosBox(handler));
    const std::string marker = a + "\\marker.txt";
    for (int i = 0; i < 300 && ReadFileBytes(marker).size() < 8; ++i) Sleep(100);
    EXPECT_EQ("system\r\n", ReadFileBytes(marker)) << stored;
    ::DeleteFileA(marker.c_str());
  }
  // Installed, Terminal runs from its own folder, told the selected one.
  FakeMachine::Install(machine.Terminal());
  WriteSetting("DosBoxParam", std::string("cmd /k"));
  Handler handler;
  ASSERT_EQ(S_OK, handler.Initialize({a}));
  ASSERT_EQ(S_OK, InvokeDosBox(handler));
  const std::string ran = wide_tree::U8(machine.Terminal().substr(0, machine.Terminal().size() - 4)) + "-ran.txt";
  for (int i = 0; i < 300 && !Exists(ran); ++i) Sleep(100);
  const std::string line = ReadFileBytes(ran);
  EXPECT_NE(std::string::npos, line.find("-d \"" + a + "\" cmd /k")) << line;
  for (const char* planted : {"\\pwsh-ran.txt", "\\wt-ran.txt", "\\powershell-ran.txt"})
    EXPECT_FALSE(Exists(a + planted)) << planted << ": a program of the selected folder was started";
}
