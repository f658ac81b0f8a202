// The MSI's Windows 11 steps under this 64-bit Wine's msiexec: which of
// them run on which Windows build, with which command lines, as which
// user, and that a failed registration fails the install. Wine has no
// PowerShell, only a placeholder of its own: a stand-in
// (tests/drivers/fakepowershell) takes the system's place, loaded in
// preference to Wine's built-in one, and records how it was called.
#include <gtest/gtest.h>
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "RegistryFixture.h"
#include "TestSupport.h"

using namespace registration_tests;

namespace {

constexpr char kVersionKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr char kScriptArguments[] = "-NoProfile -NonInteractive -ExecutionPolicy Bypass -WindowStyle Hidden -File ";
// CustomAction.Type bits.
constexpr int kInScript = 0x400;
constexpr int kNoImpersonate = 0x800;
constexpr int kContinueOnFailure = 0x40;
constexpr int kExeFromProperty = 50;

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string Package() {
  std::string path = "Z:" + Environment("VARNOKE_MSI");
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string SystemFolder() {
  char path[MAX_PATH] = {};
  ::GetSystemDirectoryA(path, MAX_PATH);
  return path;
}

std::string InstallFolder() {
  char path[MAX_PATH] = {};
  ::ExpandEnvironmentStringsA("%ProgramW6432%\\Varnoke", path, MAX_PATH);
  return path;
}

DWORD Msiexec(const std::string& arguments) { return RunAndWait("msiexec " + arguments + " /qn"); }

std::vector<std::string> Lines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string BuildNumber() {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kVersionKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
    return "";
  char value[32] = {};
  DWORD size = sizeof(value) - 1;
  const LONG status = ::RegQueryValueExA(key, "CurrentBuildNumber", nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                                         &size);
  ::RegCloseKey(key);
  return status == ERROR_SUCCESS ? value : "";
}

void SetBuildNumber(const std::string& build) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kVersionKey, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &key));
  EXPECT_EQ(ERROR_SUCCESS, ::RegSetValueExA(key, "CurrentBuildNumber", 0, REG_SZ,
                                            reinterpret_cast<const BYTE*>(build.c_str()), DWORD(build.size() + 1)));
  ::RegCloseKey(key);
}

struct Action {
  int type = -1;
  std::string source;
  std::string target;
  std::string condition;
};

std::string Field(MSIHANDLE record, UINT field) {
  char text[1024] = {};
  DWORD size = sizeof(text);
  return ::MsiRecordGetStringA(record, field, text, &size) == ERROR_SUCCESS ? text : "";
}

// An action as the package's CustomAction and InstallExecuteSequence
// tables hold it.
Action ReadAction(const std::string& name) {
  Action action;
  MSIHANDLE database = 0;
  if (::MsiOpenDatabaseA(Package().c_str(), MSIDBOPEN_READONLY, &database) != ERROR_SUCCESS) return action;
  for (const char* table : {"CustomAction", "InstallExecuteSequence"}) {
    const std::string query = std::string("SELECT * FROM `") + table + "` WHERE `Action` = '" + name + "'";
    MSIHANDLE view = 0, record = 0;
    if (::MsiDatabaseOpenViewA(database, query.c_str(), &view) == ERROR_SUCCESS &&
        ::MsiViewExecute(view, 0) == ERROR_SUCCESS && ::MsiViewFetch(view, &record) == ERROR_SUCCESS) {
      if (table[0] == 'C') {
        action.type = ::MsiRecordGetInteger(record, 2);
        action.source = Field(record, 3);
        action.target = Field(record, 4);
      } else {
        action.condition = Field(record, 2);
      }
      ::MsiCloseHandle(record);
    }
    if (view) ::MsiCloseHandle(view);
  }
  ::MsiCloseHandle(database);
  return action;
}

// Each test installs on a given Windows build with the stand-in in the
// system's PowerShell folder, and puts the build number and the folder back.
class SparsePackageMsi : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    ASSERT_FALSE(Environment("VARNOKE_MSI").empty()) << "the build gives the package's path";
    build_ = BuildNumber();
    ASSERT_FALSE(build_.empty());
    folder_ = SystemFolder() + "\\WindowsPowerShell\\v1.0";
    ::CreateDirectoryA((SystemFolder() + "\\WindowsPowerShell").c_str(), nullptr);
    ::CreateDirectoryA(folder_.c_str(), nullptr);
    // Wine's placeholder is put back afterwards.
    ::MoveFileExA(PowerShell().c_str(), Saved().c_str(), MOVEFILE_REPLACE_EXISTING);
    ASSERT_TRUE(::CopyFileA((testing_support::ProgramDirectory() + "\\fakepowershell.exe").c_str(),
                            PowerShell().c_str(), FALSE));
    // msiexec and the programs it starts inherit this.
    ASSERT_TRUE(::SetEnvironmentVariableA("WINEDLLOVERRIDES", "powershell.exe=n"));
    Msiexec("/x \"" + Package() + "\"");
    ::DeleteFileA(Calls().c_str());
  }

  void TearDown() override {
    Msiexec("/x \"" + Package() + "\"");
    ::SetEnvironmentVariableA("WINEDLLOVERRIDES", nullptr);
    for (const char* name : {"\\calls.txt", "\\fail"}) ::DeleteFileA((folder_ + name).c_str());
    if (testing_support::Exists(Saved())) {
      ::MoveFileExA(Saved().c_str(), PowerShell().c_str(), MOVEFILE_REPLACE_EXISTING);
    } else {
      ::DeleteFileA(PowerShell().c_str());
      ::RemoveDirectoryA(folder_.c_str());
      ::RemoveDirectoryA((SystemFolder() + "\\WindowsPowerShell").c_str());
    }
    SetBuildNumber(build_);
    RegistryTest::TearDown();
  }

  std::string Calls() const { return folder_ + "\\calls.txt"; }
  std::string PowerShell() const { return folder_ + "\\powershell.exe"; }
  std::string Saved() const { return folder_ + "\\powershell.exe.wine"; }
  std::string Script() const { return "\"" + InstallFolder() + "\\Varnoke-Package.ps1\""; }

  std::string build_;
  std::string folder_;
};

}  // namespace

TEST_F(SparsePackageMsi, TheActionsAreDeferredRegistrationAsTheUserTheRestAsTheSystemNoneIgnoresFailure) {
  const Action powershell = ReadAction("SetPowerShell");
  EXPECT_EQ("[System64Folder]WindowsPowerShell\\v1.0\\powershell.exe", powershell.target);
  EXPECT_EQ("WINDOWSBUILD >= 22000", powershell.condition);

  const Action registration = ReadAction("RegisterSparsePackage");
  EXPECT_EQ(kExeFromProperty | kInScript, registration.type);
  EXPECT_EQ("POWERSHELL", registration.source);
  EXPECT_EQ("NOT REMOVE AND WINDOWSBUILD >= 22000", registration.condition);
  const Action activeSetup = ReadAction("AddPackageActiveSetup");
  EXPECT_EQ(kExeFromProperty | kInScript | kNoImpersonate, activeSetup.type);
  EXPECT_EQ("NOT REMOVE AND WINDOWSBUILD >= 22000", activeSetup.condition);
  const Action removal = ReadAction("RemoveSparsePackage");
  EXPECT_EQ(kExeFromProperty | kInScript | kNoImpersonate, removal.type);
  EXPECT_EQ("REMOVE~=\"ALL\" AND WINDOWSBUILD >= 22000", removal.condition);
  for (const Action& action : {registration, activeSetup, removal}) EXPECT_EQ(0, action.type & kContinueOnFailure);
}

TEST_F(SparsePackageMsi, OnEarlierBuildsThanWindows11NothingRunsAndThePackageFileIsStillInstalled) {
  // Wine's own build (a fresh Wine 8.0 prefix says 7601, Windows 7), Windows
  // 10's last, the build just before Windows 11's; 9600 (Windows 8.1) is
  // above 22000 as text: the comparison must be a number's.
  ASSERT_LT(std::atoi(build_.c_str()), 22000) << "this Wine says it is Windows 11";
  for (const std::string& build : {build_, std::string("19045"), std::string("9600"), std::string("21999")}) {
    SCOPED_TRACE(build);
    SetBuildNumber(build);
    ASSERT_EQ(0u, Msiexec("/i \"" + Package() + "\""));
    EXPECT_TRUE(testing_support::Exists(InstallFolder() + "\\Varnoke-sparse.msix"));
    EXPECT_TRUE(testing_support::Exists(InstallFolder() + "\\Varnoke-Package.ps1"));
    ASSERT_EQ(0u, Msiexec("/x \"" + Package() + "\""));
    EXPECT_FALSE(testing_support::Exists(InstallFolder()));
    EXPECT_EQ(std::vector<std::string>{}, Lines(Calls()));
  }
}

TEST_F(SparsePackageMsi, OnWindows11InstallRegistersAndAddsActiveSetupAndUninstallRemovesWithNothingLeft) {
  for (const char* build : {"22000", "26100"}) {
    SCOPED_TRACE(build);
    SetBuildNumber(build);
    ::DeleteFileA(Calls().c_str());
    ASSERT_EQ(0u, Msiexec("/i \"" + Package() + "\""));
    const std::string powershell = folder_ + "\\powershell.exe";
    std::vector<std::string> calls = Lines(Calls());
    ASSERT_EQ(2u, calls.size());
    const std::string arguments = kScriptArguments + Script();
    EXPECT_NE(std::string::npos, calls[0].find(powershell)) << calls[0];
    EXPECT_EQ(arguments + " register", calls[0].substr(calls[0].find(" -NoProfile") + 1)) << calls[0];
    EXPECT_EQ(arguments + " activesetup -Version " + Environment("VARNOKE_VERSION"),
              calls[1].substr(calls[1].find(" -NoProfile") + 1)) << calls[1];

    ASSERT_EQ(0u, Msiexec("/x \"" + Package() + "\""));
    calls = Lines(Calls());
    ASSERT_EQ(3u, calls.size());
    EXPECT_EQ(arguments + " remove", calls[2].substr(calls[2].find(" -NoProfile") + 1)) << calls[2];
    EXPECT_FALSE(testing_support::Exists(InstallFolder()));
  }
}

TEST_F(SparsePackageMsi, AFailedRegistrationFailsTheInstallAndLeavesNothingInstalled) {
  SetBuildNumber("22631");
  std::ofstream(folder_ + "\\fail").close();
  EXPECT_NE(0u, Msiexec("/i \"" + Package() + "\""));
  const std::vector<std::string> calls = Lines(Calls());
  ASSERT_FALSE(calls.empty());
  EXPECT_NE(std::string::npos, calls[0].find(" register")) << calls[0];
  EXPECT_FALSE(testing_support::Exists(InstallFolder() + "\\Varnoke.dll"));
  EXPECT_FALSE(testing_support::Exists(InstallFolder() + "\\Varnoke-sparse.msix"));
}
