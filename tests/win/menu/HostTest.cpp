// The shell-like host (host.exe) run as its own process against the built
// module: the menu it prints, the items it invokes, and the open menu on
// the screen.
#include <algorithm>
#include <vector>

#include "MenuTestSupport.h"
#include "base/Module.h"

using namespace menu_test;
using testing_support::Exists;
using testing_support::ProgramDirectory;
using testing_support::ReadFileBytes;

namespace {

// A host process whose output goes to a file (a pipe could be held open by
// programs it starts).
class HostProcess {
 public:
  HostProcess(const std::string& arguments, const std::string& outputFile) : output_(outputFile) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE out = CreateFileA(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = out;
    std::string command = "\"" + ProgramDirectory() + "\\host.exe\" --dll \"" + testing_support::ModulePath() +
                          "\" " + arguments;
    started_ = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                              &process_) != FALSE;
    CloseHandle(out);
  }
  ~HostProcess() {
    if (!started_) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
  HostProcess(const HostProcess&) = delete;
  HostProcess& operator=(const HostProcess&) = delete;

  bool started() const { return started_; }
  // The exit code, or -1 when the process is still running after the wait.
  int Wait(DWORD ms = 30000) {
    if (!started_ || WaitForSingleObject(process_.hProcess, ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<int>(code);
  }
  std::string Output() const { return ReadFileBytes(output_); }

 private:
  std::string output_;
  PROCESS_INFORMATION process_ = {};
  bool started_ = false;
};

constexpr int kCoveredColumns = 3;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

bool HasLine(const std::string& output, const std::string& line) {
  return output.find(line + "\r\n") != std::string::npos || output.find(line + "\n") != std::string::npos;
}

// The screen as 32-bit pixels (top row first).
std::vector<COLORREF> CaptureScreen(int& width, int& height) {
  width = GetSystemMetrics(SM_CXSCREEN);
  height = GetSystemMetrics(SM_CYSCREEN);
  std::vector<COLORREF> pixels;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  GdiFlush();

  const auto* raw = static_cast<const DWORD*>(bits);
  for (int i = 0; i < width * height; ++i)
    pixels.push_back(RGB((raw[i] >> 16) & 0xFF, (raw[i] >> 8) & 0xFF, raw[i] & 0xFF));
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// Whether the module's bitmap appears on the screen: its own pixels where it
// has a picture, and the background (in part: the menu's margin lies
// under the picture too) where it has the key colour. Wine's menu frame and
// margin cover the three leftmost columns of the pictures, which sit at the
// left edge of the menu's surface.
bool ScreenShowsBitmap(const std::vector<COLORREF>& screen, int width, int height, UINT id, COLORREF background) {
  HBITMAP bitmap = LoadBitmapA(ModuleInstance(), MAKEINTRESOURCEA(id));
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = 16;
  info.bmiHeader.biHeight = -16;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  DWORD raw[256] = {};
  HDC dc = GetDC(nullptr);
  GetDIBits(dc, bitmap, 0, 16, raw, &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  DeleteObject(bitmap);
  COLORREF own[256];
  for (int i = 0; i < 256; ++i) own[i] = RGB((raw[i] >> 16) & 0xFF, (raw[i] >> 8) & 0xFF, raw[i] & 0xFF);
  for (int y = 0; y + 16 <= height; ++y) {
    for (int x = 0; x + 16 <= width; ++x) {
      bool match = true;
      int background_seen = 0;
      for (int i = 0; i < 256 && match; ++i) {
        if (i % 16 < kCoveredColumns) continue;
        const COLORREF seen = screen[(y + i / 16) * width + x + i % 16];
        if (own[i] == RGB(255, 0, 255))
          background_seen += seen == background;
        else
          match = seen == own[i];
      }
      if (match && background_seen >= 16) return true;
    }
  }
  return false;
}

}  // namespace

TEST_F(MenuTest, HostListsTheMenuAsTheShellBuildsIt) {
  const std::string a = temp_.MakeFolder("alpha");
  const std::string b = temp_.MakeFolder("beta");
  HostProcess host("list " + Quoted(a) + " " + Quoted(b), temp_.Sub("out.txt"));
  ASSERT_TRUE(host.started());
  EXPECT_EQ(0, host.Wait());
  const std::string out = host.Output();
  EXPECT_TRUE(HasLine(out, "Open\tenabled\ttext\t-\t")) << out;
  EXPECT_TRUE(HasLine(out, "Varnoke\tenabled\towner-drawn+popup\t0\tThandrel Varnoke")) << out;
  EXPECT_TRUE(HasLine(out, "Varnoke/DOS Box\tgrayed\towner-drawn\t2\tRun a DOS command box for the selected folder."))
      << out;
  EXPECT_TRUE(HasLine(out, "Varnoke/Delete\tenabled\towner-drawn\t3\tDelete selected folders.")) << out;
  EXPECT_TRUE(HasLine(out, "Varnoke/Clean\tenabled\ttext\t4\tDelete special files from selected folders.")) << out;
  EXPECT_TRUE(HasLine(out, "Varnoke/Configure...\tenabled\ttext\t1\tConfigure Varnoke.")) << out;
  EXPECT_TRUE(HasLine(out, "Properties\tenabled\ttext\t-\t")) << out;

  WriteSetting("MenuBitmaps", 0u);
  HostProcess plain("list " + Quoted(a), temp_.Sub("plain.txt"));
  EXPECT_EQ(0, plain.Wait());
  const std::string text = plain.Output();
  EXPECT_TRUE(HasLine(text, "Varnoke\tenabled\ttext+popup\t0\tThandrel Varnoke")) << text;
  EXPECT_TRUE(HasLine(text, "Varnoke/DOS Box\tenabled\ttext\t2\tRun a DOS command box for the selected folder."))
      << text;
  EXPECT_EQ(std::string::npos, text.find("owner-drawn")) << text;
}

TEST_F(MenuTest, HostInvokesItemsByNameButNotGrayedOnes) {
  // Appended, so that a command started by a refused invocation would leave
  // a second line beside the one the invoked item writes.
  WriteSetting("DosBoxParam", std::string("/c echo host>> marker.txt"));
  const std::string a = temp_.MakeFolder("alpha");
  const std::string b = temp_.MakeFolder("beta");
  const std::string marker = a + "\\marker.txt";
  {
    HostProcess grayed("invoke \"DOS Box\" " + Quoted(a) + " " + Quoted(b), temp_.Sub("grayed.txt"));
    EXPECT_EQ(3, grayed.Wait());
    EXPECT_NE(std::string::npos, grayed.Output().find("is grayed")) << grayed.Output();
    HostProcess missing("invoke Nothing " + Quoted(a), temp_.Sub("missing.txt"));
    EXPECT_EQ(3, missing.Wait());
  }
  HostProcess host("invoke \"Varnoke/DOS Box\" " + Quoted(a), temp_.Sub("out.txt"));
  EXPECT_EQ(0, host.Wait());
  for (int i = 0; i < 300 && ReadFileBytes(marker).size() < 6; ++i) Sleep(100);
  EXPECT_EQ("host\r\n", ReadFileBytes(marker));
}

TEST_F(MenuTest, HostShowsTheOpenMenuWithBitmapsAndHelpText) {
  const std::string a = temp_.MakeFolder("alpha");
  const std::string b = temp_.MakeFolder("beta");
  const std::string ready = temp_.Sub("ready");
  HostProcess host("--ready " + Quoted(ready) + " --hold 30000 shot Varnoke/Delete " + Quoted(a) + " " + Quoted(b),
                   temp_.Sub("out.txt"));
  ASSERT_TRUE(host.started());
  for (int i = 0; i < 300 && !Exists(ready); ++i) Sleep(100);
  ASSERT_TRUE(Exists(ready)) << host.Output();

  HWND window = FindWindowA("VarnokeShellHost", nullptr);
  ASSERT_NE(nullptr, window);
  HWND status = FindWindowExA(window, nullptr, STATUSCLASSNAMEA, nullptr);
  char help[128] = {};
  SendMessageTimeoutA(status, WM_GETTEXT, sizeof(help), reinterpret_cast<LPARAM>(help), SMTO_ABORTIFHUNG, 5000,
                      nullptr);
  EXPECT_STREQ("Delete selected folders.", help);

  int width = 0, height = 0;
  const std::vector<COLORREF> screen = CaptureScreen(width, height);
  const COLORREF menu = GetSysColor(COLOR_MENU);
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  EXPECT_TRUE(ScreenShowsBitmap(screen, width, height, 210, highlight)) << "highlighted Delete";
  EXPECT_TRUE(ScreenShowsBitmap(screen, width, height, 207, menu)) << "grayed DOS Box";
  EXPECT_TRUE(ScreenShowsBitmap(screen, width, height, 202, highlight)) << "highlighted Varnoke popup";
  EXPECT_FALSE(ScreenShowsBitmap(screen, width, height, 209, menu)) << "Delete drawn as not highlighted";

  DeleteFileA(ready.c_str());
  EXPECT_EQ(0, host.Wait());
}

namespace {

// Waits for a visible top-level window with the given title.
HWND WaitForWindow(const char* title) {
  for (int i = 0; i < 300; ++i) {
    HWND window = FindWindowA(nullptr, title);
    if (window && IsWindowVisible(window)) return window;
    Sleep(100);
  }
  return nullptr;
}

std::string ControlText(HWND dialog, int id) {
  char text[1024] = {};
  SendMessageTimeoutA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 5000, nullptr);
  return text;
}

}  // namespace

TEST_F(MenuTest, HostRunsCleanFromTheMenuThroughTheDialogToItsReport) {
  const std::string a = temp_.MakeFolder("alpha");
  const std::string b = temp_.MakeFolder("beta");
  temp_.MakeFile("alpha\\one.tmp", "12345");
  temp_.MakeFile("alpha\\keep.txt");
  temp_.MakeFile("alpha\\sub\\deep.tmp");
  temp_.MakeFile("beta\\two.tmp", "123");
  HostProcess host("invoke Varnoke/Clean " + Quoted(a) + " " + Quoted(b), temp_.Sub("out.txt"));
  ASSERT_TRUE(host.started());

  HWND dialog = WaitForWindow("Clean");
  ASSERT_NE(nullptr, dialog) << host.Output();
  EXPECT_EQ(0u, ControlText(dialog, 317).find("Are you sure you want to permanently delete files matching *.tmp in:"))
      << ControlText(dialog, 317);
  EXPECT_TRUE(Exists(a + "\\one.tmp"));  // nothing goes before "Yes"
  PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);

  std::string exitText;
  for (int i = 0; i < 300 && (exitText = ControlText(dialog, IDCANCEL)) != "E&xit"; ++i) Sleep(100);
  ASSERT_EQ("E&xit", exitText);
  EXPECT_EQ("Report:\n\n8 bytes diskspace has been freed\n2 files have been deleted (0 errors).",
            ControlText(dialog, 317));
  PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
  EXPECT_EQ(0, host.Wait());

  EXPECT_FALSE(Exists(a + "\\one.tmp"));
  EXPECT_FALSE(Exists(b + "\\two.tmp"));
  EXPECT_TRUE(Exists(a + "\\keep.txt"));
  EXPECT_TRUE(Exists(a + "\\sub\\deep.tmp"));  // subfolders are not cleaned by default
}

// ---- The Explorer command, driven as Windows 11's Explorer drives it ------

namespace {

std::string ModuleIcon(int id) { return testing_support::ModulePath() + ",-" + std::to_string(id); }

}  // namespace

TEST_F(MenuTest, HostPrintsTheCommandTreeForEachItemsValueAndSelection) {
  const std::string a = temp_.MakeFolder("alpha");
  const std::string b = temp_.MakeFolder("beta");
  HostProcess one("commands " + Quoted(a), temp_.Sub("one.txt"));
  EXPECT_EQ(0, one.Wait());
  const std::string out = one.Output();
  EXPECT_TRUE(HasLine(out, "Varnoke\tenabled\tsubcommands\t-\tThandrel Varnoke")) << out;
  EXPECT_TRUE(HasLine(out, "Varnoke/DOS Box\tenabled\t-\t" + ModuleIcon(125) +
                               "\tRun a DOS command box for the selected folder."))
      << out;
  EXPECT_TRUE(HasLine(out, "Varnoke/Delete\tenabled\t-\t" + ModuleIcon(124) + "\tDelete selected folders.")) << out;
  EXPECT_TRUE(HasLine(out, "Varnoke/Clean\tenabled\t-\t-\tDelete special files from selected folders.")) << out;
  EXPECT_TRUE(HasLine(out, "Varnoke/Configure...\tenabled\tseparator-before\t-\tConfigure Varnoke.")) << out;
  // The order of the classic submenu.
  EXPECT_LT(out.find("/DOS Box"), out.find("/Delete"));
  EXPECT_LT(out.find("/Delete"), out.find("/Clean"));
  EXPECT_LT(out.find("/Clean"), out.find("/Configure..."));

  HostProcess two("commands " + Quoted(a) + " " + Quoted(b), temp_.Sub("two.txt"));
  EXPECT_EQ(0, two.Wait());
  EXPECT_TRUE(HasLine(two.Output(), "Varnoke/DOS Box\tdisabled\t-\t" + ModuleIcon(125) +
                                        "\tRun a DOS command box for the selected folder."))
      << two.Output();

  WriteSetting("Items", 2u);
  HostProcess deleteOnly("commands " + Quoted(a), temp_.Sub("delete.txt"));
  EXPECT_EQ(0, deleteOnly.Wait());
  const std::string text = deleteOnly.Output();
  EXPECT_NE(std::string::npos, text.find("Varnoke/DOS Box\thidden\t")) << text;
  EXPECT_NE(std::string::npos, text.find("Varnoke/Delete\tenabled\t")) << text;
  EXPECT_NE(std::string::npos, text.find("Varnoke/Clean\thidden\t")) << text;
  EXPECT_NE(std::string::npos, text.find("Varnoke/Configure...\tenabled\tseparator-before\t")) << text;

  WriteSetting("Items", 0u);
  HostProcess none("commands " + Quoted(a), temp_.Sub("none.txt"));
  EXPECT_EQ(0, none.Wait());
  // Nothing before it: no separator.
  EXPECT_TRUE(HasLine(none.Output(), "Varnoke/Configure...\tenabled\t-\t-\tConfigure Varnoke.")) << none.Output();
}

TEST_F(MenuTest, HostRunsTheDosBoxByFullPathButNotWhenDisabled) {
  WriteSetting("DosBoxParam", std::string("/c echo modern>> marker.txt"));
  const std::string a = temp_.MakeFolder("alpha");
  const std::string b = temp_.MakeFolder("beta");
  const std::string marker = a + "\\marker.txt";
  {
    HostProcess disabled("run \"DOS Box\" " + Quoted(a) + " " + Quoted(b), temp_.Sub("disabled.txt"));
    EXPECT_EQ(3, disabled.Wait());
    EXPECT_NE(std::string::npos, disabled.Output().find("is disabled")) << disabled.Output();
  }
  HostProcess host("--no-site run \"Varnoke/DOS Box\" " + Quoted(a), temp_.Sub("out.txt"));
  EXPECT_EQ(0, host.Wait());
  EXPECT_NE(std::string::npos, host.Output().find("invoked DOS Box: 0x00000000")) << host.Output();
  for (int i = 0; i < 300 && ReadFileBytes(marker).size() < 8; ++i) Sleep(100);
  EXPECT_EQ("modern\r\n", ReadFileBytes(marker));
  EXPECT_FALSE(Exists(b + "\\marker.txt"));
}

TEST_F(MenuTest, HostRunsDeleteOverTheSelectionAndRemovesExactlyIt) {
  WriteSetting("DeleteOption", static_cast<DWORD>(DeletePermanently));
  const std::string a = temp_.MakeFolder("alpha");
  const std::string b = temp_.MakeFolder("beta");
  const std::string kept = temp_.MakeFolder("kept");
  temp_.MakeFile("alpha\\one.txt", "12345");
  temp_.MakeFile("beta\\sub\\two.txt", "123");
  temp_.MakeFile("kept\\three.txt", "1");
  HostProcess host("run Delete " + Quoted(a) + " " + Quoted(b), temp_.Sub("out.txt"));
  ASSERT_TRUE(host.started());

  HWND dialog = WaitForWindow("Delete (permanently)");
  ASSERT_NE(nullptr, dialog) << host.Output();
  // The site's window owns the dialog.
  char ownerText[64] = {};
  snprintf(ownerText, sizeof(ownerText), "site window %p", static_cast<void*>(GetWindow(dialog, GW_OWNER)));
  EXPECT_NE(std::string::npos, host.Output().find(ownerText)) << host.Output();
  EXPECT_TRUE(Exists(a + "\\one.txt"));  // nothing goes before "Yes"
  PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  std::string exitText;
  for (int i = 0; i < 300 && (exitText = ControlText(dialog, IDCANCEL)) != "E&xit"; ++i) Sleep(100);
  ASSERT_EQ("E&xit", exitText);
  PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
  EXPECT_EQ(0, host.Wait());
  EXPECT_FALSE(Exists(a));
  EXPECT_FALSE(Exists(b));
  EXPECT_TRUE(Exists(kept + "\\three.txt"));
}

TEST_F(MenuTest, HostRunsCleanFromTheCommandThroughTheDialogToItsReport) {
  const std::string a = temp_.MakeFolder("alpha");
  temp_.MakeFile("alpha\\one.tmp", "12345");
  temp_.MakeFile("alpha\\keep.txt");
  HostProcess host("run Clean " + Quoted(a), temp_.Sub("out.txt"));
  ASSERT_TRUE(host.started());
  HWND dialog = WaitForWindow("Clean");
  ASSERT_NE(nullptr, dialog) << host.Output();
  PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  std::string exitText;
  for (int i = 0; i < 300 && (exitText = ControlText(dialog, IDCANCEL)) != "E&xit"; ++i) Sleep(100);
  ASSERT_EQ("E&xit", exitText);
  EXPECT_EQ("Report:\n\n5 bytes diskspace has been freed\n1 file has been deleted (0 errors).",
            ControlText(dialog, 317));
  PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
  EXPECT_EQ(0, host.Wait());
  EXPECT_FALSE(Exists(a + "\\one.tmp"));
  EXPECT_TRUE(Exists(a + "\\keep.txt"));
}

TEST_F(MenuTest, HostRunsConfigureWhoseSheetTheSitesWindowOwns) {
  const std::string a = temp_.MakeFolder("alpha");
  HostProcess host("run Configure... " + Quoted(a), temp_.Sub("out.txt"));
  ASSERT_TRUE(host.started());
  HWND sheet = WaitForWindow("Configure Varnoke");
  ASSERT_NE(nullptr, sheet) << host.Output();
  char ownerText[64] = {};
  snprintf(ownerText, sizeof(ownerText), "site window %p", static_cast<void*>(GetWindow(sheet, GW_OWNER)));
  EXPECT_NE(std::string::npos, host.Output().find(ownerText)) << host.Output();
  PostMessageA(GetDlgItem(sheet, IDCANCEL), BM_CLICK, 0, 0);
  EXPECT_EQ(0, host.Wait());
  EXPECT_NE(std::string::npos, host.Output().find("invoked Configure...: 0x00000000")) << host.Output();
}
