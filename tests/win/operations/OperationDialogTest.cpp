// The operation dialog driven like a user: questions to the byte, the three
// states, cancelling, and runs that must not remove anything.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "DialogDriver.h"
#include "SolidStateDrive.h"
#include "TestSupport.h"
#include "tests/shared/MaskCutCases.h"
#include "base/HelpPopup.h"
#include "erase/ErasePlatform.h"
#include "operations/FolderOperation.h"
#include "operations/OperationMessages.h"
#include "operations/ProgressLines.h"
#include "operations/OperationDialog.h"
#include "operations/OperationPlatform.h"
#include "tests/win/operations/WideTree.h"
#include "resources/ResourceIds.h"
#include "server/ShellExt.h"
#include "tests/shared/SeamOverride.h"

using namespace testing_support;
using wide_tree::W;

namespace {

// What the user saw of the dialog at one moment.
struct Seen {
  std::string caption;
  std::string text;
  std::string yes;
  std::string no;
  bool textShown = false;
  bool iconShown = false;
  bool yesShown = false;
  bool animationShown = false;
  bool fileShown = false;
  bool passesShown = false;
  int focus = 0;
};

Seen Look(const DialogDriver& d) {
  Seen seen;
  seen.caption = d.Caption();
  seen.text = d.Text(IDC_TEXT);
  seen.yes = d.Text(IDOK);
  seen.no = d.Text(IDCANCEL);
  seen.textShown = d.Visible(IDC_TEXT);
  seen.iconShown = d.Visible(IDC_MODEICON);
  seen.yesShown = d.Visible(IDOK);
  seen.animationShown = d.Visible(IDC_ANIMATION);
  seen.fileShown = d.Visible(IDC_FILENAME);
  seen.passesShown = d.Visible(IDC_PASSES);
  seen.focus = d.FocusId();
  return seen;
}

void ExpectAsking(const Seen& seen) {
  EXPECT_TRUE(seen.textShown);
  EXPECT_TRUE(seen.iconShown);
  EXPECT_TRUE(seen.yesShown);
  EXPECT_FALSE(seen.animationShown);
  EXPECT_FALSE(seen.fileShown);
  EXPECT_FALSE(seen.passesShown);
  EXPECT_EQ("Yes", seen.yes);
  EXPECT_EQ("No", seen.no);
  EXPECT_EQ(IDCANCEL, seen.focus);
}

// Shows the question of one run, looks at it and answers "No".
Seen AskAndDecline(const Settings& settings, const std::vector<std::string>& paths, OperationMode mode,
                   const std::string& shot = std::string()) {
  Seen seen;
  SelectedFolders folders;
  for (const std::string& path : paths) folders.push_back(W(path));
  FolderOperation operation(settings, folders, mode);
  DialogDriver::Run([&] { RunOperationDialog(operation, nullptr); },
                    [&](DialogDriver& d) {
                      if (!d.WaitForDialog()) return;
                      seen = Look(d);
                      if (!shot.empty()) d.Shot(shot);
                      d.Click(IDCANCEL);
                    });
  EXPECT_EQ(1, operation.idle);
  EXPECT_EQ(0u, operation.filesDeleted + operation.foldersRemoved);
  return seen;
}

// The help popup's entry point, recording what the dialog asks it to show.
struct PopupLog {
  int popups = 0;
  HWND owner = nullptr;
  std::string text;
} popupLog;

HWND WINAPI RecordHtmlHelp(HWND window, LPCSTR, UINT command, DWORD_PTR data) {
  if (command == 0x0E) {
    ++popupLog.popups;
    popupLog.owner = window;
    popupLog.text = reinterpret_cast<const char*>(reinterpret_cast<const void* const*>(data)[3]);
  }
  return nullptr;
}
LSTATUS WINAPI NoKey(HKEY, LPCSTR, DWORD, REGSAM, PHKEY) { return ERROR_FILE_NOT_FOUND; }
LSTATUS WINAPI NoValue(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD) { return ERROR_FILE_NOT_FOUND; }
HMODULE WINAPI AnyLibrary(LPCSTR) { return ::GetModuleHandleA(nullptr); }
FARPROC WINAPI Recorder(HMODULE, LPCSTR) { return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&RecordHtmlHelp)); }
const HelpLoaderPlatform kRecordingHelp = {&NoKey, &NoValue, &AnyLibrary, &Recorder};

struct RecordPopups {
  RecordPopups() {
    popupLog = PopupLog();
    ResetHelpLoader();
  }
  ~RecordPopups() { ResetHelpLoader(); }
  SeamOverride<HelpLoaderPlatform> calls{HelpLoaderCalls(), kRecordingHelp};
};

std::string TrashFolder() {
  char data[MAX_PATH] = {};
  ::GetEnvironmentVariableA("XDG_DATA_HOME", data, MAX_PATH);
  std::string trash = std::string("Z:") + data + "/Trash/files";
  for (char& c : trash)
    if (c == '/') c = '\\';
  return trash;
}

CShellExt* NewShellExt(const std::vector<std::string>& folders) {
  IShellExtInit* init = nullptr;
  if (FAILED(CreateShellExt(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init)))) return nullptr;
  IDataObject* data = NewDropDataObject(folders);
  const HRESULT hr = init->Initialize(nullptr, data, nullptr);
  data->Release();
  if (FAILED(hr)) {
    init->Release();
    return nullptr;
  }
  return static_cast<CShellExt*>(init);
}

Settings Defaults() {
  Settings settings;
  settings.EraseMethod = 0;
  return settings;
}

HANDLE WINAPI NoThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD) {
  ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return nullptr;
}

// The pass number of a "Pass n of 35" line, 0 for any other text.
int PassOf(const std::string& line) {
  unsigned pass = 0, count = 0;
  return std::sscanf(line.c_str(), "Pass %u of %u", &pass, &count) == 2 && count == 35 ? static_cast<int>(pass) : 0;
}

DWORD fakeTicks = 0;
DWORD WINAPI FakeTickCount() { return fakeTicks; }

// A disk slow enough to watch: every flushed chunk of an erasure takes
// 40 ms more, so a pass over a few MiB outlasts the dialog's 100 ms line.
// Hold() parks the worker in its next flush, where it holds no lock of
// the system (a thread suspended at any point may hold the window or heap
// lock the dialog's thread needs), until Release().
class SlowDisk {
 public:
  SlowDisk() {
    held_ = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    released_ = ::CreateEventA(nullptr, TRUE, TRUE, nullptr);
    calls_->flushFileBuffers = &SlowFlush;
  }
  ~SlowDisk() {
    ::CloseHandle(held_);
    ::CloseHandle(released_);
  }
  SlowDisk(const SlowDisk&) = delete;
  SlowDisk& operator=(const SlowDisk&) = delete;
  bool Hold() const {
    ::ResetEvent(released_);
    return ::WaitForSingleObject(held_, 10000) == WAIT_OBJECT_0;
  }
  void Release() const {
    ::ResetEvent(held_);
    ::SetEvent(released_);
  }

 private:
  static BOOL WINAPI SlowFlush(HANDLE file) {
    ::Sleep(40);
    if (::WaitForSingleObject(released_, 0) == WAIT_TIMEOUT) {
      ::SetEvent(held_);
      ::WaitForSingleObject(released_, INFINITE);
    }
    return RealEraseCalls().flushFileBuffers(file);
  }
  static HANDLE held_;
  static HANDLE released_;
  SeamOverride<ErasePlatform> calls_{EraseCalls()};
};
HANDLE SlowDisk::held_ = nullptr;
HANDLE SlowDisk::released_ = nullptr;

}  // namespace

TEST(OperationDialog, QuestionsOfEveryModeToTheByte) {
  TempFolder temp("q");
  const std::string a = temp.MakeFolder("A"), b = temp.MakeFolder("B"), c = temp.MakeFolder("C");
  ASSERT_LE(a.size(), 54u);
  Settings settings = Defaults();

  Seen seen = AskAndDecline(settings, {a}, ModeDelete, "question-delete");
  EXPECT_EQ("Delete (permanently)", seen.caption);
  EXPECT_EQ("Are you sure you want to permanently delete:\n\n" + a + "\n", seen.text);
  ExpectAsking(seen);

  seen = AskAndDecline(settings, {a, b, c}, ModeRecycle, "question-recycle");
  EXPECT_EQ("Delete (recycle)", seen.caption);
  EXPECT_EQ("Are you sure you want to move to the recycling bin:\n\n" + a + "\n" + b + "\n...\n", seen.text);
  ExpectAsking(seen);

  settings.EraseMethod = 3;
  seen = AskAndDecline(settings, {a}, ModeErase, "question-erase");
  EXPECT_EQ("Delete (erase)", seen.caption);
  EXPECT_EQ("Are you sure you want to erase (35 passes (Gutmann)):\n\n" + a + "\n", seen.text);
  ExpectAsking(seen);

  settings.CleanMasks = "*.bak;*.tmp|excl|*.tmp|incl";
  settings.CleanSubfolders = 1;
  seen = AskAndDecline(settings, {a, b}, ModeClean, "question-clean");
  EXPECT_EQ("Clean", seen.caption);
  EXPECT_EQ("Are you sure you want to permanently delete files NOT matching *.bak;*.tmp in:\n\n" + a +
                "\n...\n(and subfolders)",
            seen.text);
  ExpectAsking(seen);

  settings = Defaults();
  seen = AskAndDecline(settings, {a}, ModeClean);
  EXPECT_EQ("Are you sure you want to permanently delete files matching *.tmp in:\n\n" + a + "\n", seen.text);

  for (const mask_cut_cases::Case& cut : mask_cut_cases::Cases()) {
    settings.CleanMasks = cut.masks + "|incl";
    EXPECT_EQ("Are you sure you want to permanently delete files matching " + cut.shown + " in:\n\n" + a + "\n",
              AskAndDecline(settings, {a}, ModeClean).text);
  }
  EXPECT_TRUE(Exists(a) && Exists(b) && Exists(c));
}

namespace {

// The question and where the text and the buttons ended up.
struct QuestionLayout {
  std::string text;
  RECT frame = {}, textBox = {}, yes = {}, no = {};
};

QuestionLayout AskErase(const std::vector<std::string>& paths, const std::string& shot = std::string()) {
  QuestionLayout seen;
  Settings settings = Defaults();
  SelectedFolders folders;
  for (const std::string& path : paths) folders.push_back(W(path));
  FolderOperation operation(settings, folders, ModeErase);
  DialogDriver::Run([&] { RunOperationDialog(operation, nullptr); },
                    [&](DialogDriver& d) {
                      if (!d.WaitForDialog()) return;
                      seen.text = d.Text(IDC_TEXT);
                      ::GetWindowRect(d.dialog(), &seen.frame);
                      ::GetWindowRect(::GetDlgItem(d.dialog(), IDC_TEXT), &seen.textBox);
                      ::GetWindowRect(::GetDlgItem(d.dialog(), IDOK), &seen.yes);
                      ::GetWindowRect(::GetDlgItem(d.dialog(), IDCANCEL), &seen.no);
                      if (!shot.empty()) d.Shot(shot);
                      d.Click(IDCANCEL);
                    });
  return seen;
}

int Height(const RECT& r) { return r.bottom - r.top; }

}  // namespace

TEST(OperationDialog, OnASolidStateDriveTheEraseQuestionSaysWhatOverwritingCannotReachAndShowsItWhole) {
  TempFolder temp("s");
  const std::string a = temp.MakeFolder("A"), b = temp.MakeFolder("B"), c = temp.MakeFolder("C");
  const std::string question = "Are you sure you want to erase (1 pass (zero)):\n\n" + a + "\n" + b + "\n...\n";
  const std::string note =
      "Overwriting cannot reach every copy on a solid-state drive; the drive's own secure erase or full-disk "
      "encryption is the way to be sure.";
  QuestionLayout plain, noted, unanswered;
  {
    SolidStateDrive drive(false);
    unanswered = AskErase({a, b, c});
    EXPECT_EQ(1, SolidStateDrive::opens());
  }
  plain = AskErase({a, b, c});
  {
    SolidStateDrive drive;
    noted = AskErase({a, b, c}, "question-erase-solid-state");
    EXPECT_EQ(1, SolidStateDrive::opens()) << "three folders on one volume: one question to the drive";
    Settings settings = Defaults();
    for (OperationMode mode : {ModeRecycle, ModeDelete, ModeClean})
      EXPECT_EQ(std::string::npos, AskAndDecline(settings, {a}, mode).text.find(note)) << mode;
    EXPECT_EQ(1, SolidStateDrive::opens()) << "only Erase asks";
  }
  EXPECT_EQ(question, plain.text);
  EXPECT_EQ(question, unanswered.text) << "a drive that cannot be asked adds nothing";
  EXPECT_EQ(Height(plain.frame), Height(unanswered.frame));
  EXPECT_EQ(question + "\n" + note, noted.text);
  // The question was drawn for five lines; with the note it needs more.
  EXPECT_GT(Height(noted.textBox), Height(plain.textBox));
  EXPECT_EQ(Height(noted.frame) - Height(plain.frame), Height(noted.textBox) - Height(plain.textBox));
  EXPECT_EQ(noted.yes.top - noted.textBox.bottom, plain.yes.top - plain.textBox.bottom) << "the buttons moved with it";
  EXPECT_EQ(noted.no.top, noted.yes.top);
  EXPECT_LE(noted.yes.bottom, noted.frame.bottom);
}

TEST(OperationDialog, LongPathIsShortenedInTheQuestionAndWholeInTheFolderList) {
  TempFolder temp("q");
  const std::string deep = temp.MakeFolder("a_folder_with_a_long_name\\another_folder_with_a_long_name");
  ASSERT_GT(deep.size(), 54u);
  RecordPopups popups;
  Settings settings = Defaults();
  SelectedFolders folders{W(deep)};
  FolderOperation operation(settings, folders, ModeDelete);
  std::string text;
  DialogDriver::Run([&] { RunOperationDialog(operation, nullptr); },
                    [&](DialogDriver& d) {
                      if (!d.WaitForDialog()) return;
                      text = d.Text(IDC_TEXT);
                      d.ClickText(IDC_TEXT);
                      DialogDriver::WaitUntil([] { return popupLog.popups > 0; }, 5000);
                      d.Click(IDCANCEL);
                    });
  const std::string prefix = "Are you sure you want to permanently delete:\n\n";
  ASSERT_EQ(0u, text.find(prefix));
  const std::string line = text.substr(prefix.size());
  ASSERT_FALSE(line.empty());
  EXPECT_EQ('\n', line.back());
  EXPECT_LE(line.size() - 1, 54u);
  EXPECT_NE(std::string::npos, line.find("..."));
  EXPECT_NE(std::string::npos, line.find("another_folder_with_a_long_name"));
  EXPECT_EQ(1, popupLog.popups);
  EXPECT_EQ("Selected folder(s):\n\n" + deep + "\n", popupLog.text);
  EXPECT_NE(nullptr, popupLog.owner);
  EXPECT_TRUE(Exists(deep));
}

TEST(OperationDialog, EnterEscAndTheCloseBoxDeclineAndNothingIsRemoved) {
  TempFolder temp("d");
  const std::string f = temp.MakeFolder("F");
  temp.MakeFile("F\\keep.txt");
  Settings settings = Defaults();
  SelectedFolders folders{W(f)};
  for (int how = 0; how < 3; ++how) {
    FolderOperation operation(settings, folders, ModeDelete);
    bool closed = false;
    DialogDriver::Run([&] { RunOperationDialog(operation, nullptr); },
                      [&](DialogDriver& d) {
                        if (!d.WaitForDialog()) return;
                        if (how == 0) d.PressKey(VK_RETURN);
                        if (how == 1) d.PressKey(VK_ESCAPE);
                        if (how == 2) d.CloseBox();
                        closed = DialogDriver::WaitUntil([&d] { return d.Closed(); }, 10000);
                        if (!closed) d.Click(IDCANCEL);
                      });
    EXPECT_TRUE(closed) << how;
    EXPECT_EQ(nullptr, operation.worker.get()) << how;
    EXPECT_TRUE(Exists(temp.Sub("F\\keep.txt"))) << how;
  }
}

TEST(OperationDialog, YesWorksThenReportsUntilExit) {
  TempFolder temp("y");
  const std::string f = temp.MakeFolder("F");
  temp.MakeFile("F\\a", std::string(1000, 'a'));
  temp.MakeFile("F\\S\\b", std::string(2000, 'b'));
  temp.MakeFile("F\\S\\T\\c", std::string(500, 'c'));
  RecordPopups popups;
  Settings settings = Defaults();
  SelectedFolders folders{W(f)};
  FolderOperation operation(settings, folders, ModeDelete);
  Seen report;
  bool closed = false;
  DialogDriver::Run([&] { RunOperationDialog(operation, nullptr); },
                    [&](DialogDriver& d) {
                      if (!d.WaitForDialog()) return;
                      d.Click(IDOK);
                      if (!DialogDriver::WaitUntil([&d] { return d.Text(IDCANCEL) == "E&xit"; })) return;
                      report = Look(d);
                      d.Shot("report");
                      d.ClickText(IDC_TEXT);
                      DialogDriver::WaitUntil([] { return popupLog.popups > 0; }, 5000);
                      d.Click(IDCANCEL);
                      closed = DialogDriver::WaitUntil([&d] { return d.Closed(); }, 10000);
                    });
  EXPECT_EQ(
      "Report:\n\n3.4 Kb diskspace has been freed\n3 files have been deleted (0 errors).\n"
      "3 folders have been removed (0 errors).",
      report.text);
  EXPECT_TRUE(report.textShown);
  EXPECT_TRUE(report.iconShown);
  EXPECT_FALSE(report.yesShown);
  EXPECT_FALSE(report.animationShown);
  EXPECT_FALSE(report.fileShown);
  EXPECT_FALSE(report.passesShown);
  EXPECT_EQ("Selected folder(s):\n\n" + f + "\n", popupLog.text);
  EXPECT_TRUE(closed);
  EXPECT_FALSE(Exists(f));
}

TEST(OperationDialog, WithoutReportTheDialogClosesByItself) {
  TempFolder temp("n");
  const std::string f = temp.MakeFolder("F");
  temp.MakeFile("F\\a");
  Settings settings = Defaults();
  settings.DeleteReport = 0;
  SelectedFolders folders{W(f)};
  FolderOperation operation(settings, folders, ModeDelete);
  bool closed = false;
  DialogDriver::Run([&] { RunOperationDialog(operation, nullptr); },
                    [&](DialogDriver& d) {
                      if (!d.WaitForDialog()) return;
                      d.Click(IDOK);
                      closed = DialogDriver::WaitUntil([&d] { return d.Closed(); }, 20000);
                      if (!closed) d.Click(IDCANCEL);
                    });
  EXPECT_TRUE(closed);
  EXPECT_FALSE(Exists(f));
  EXPECT_EQ(1u, operation.filesDeleted);
}

TEST(OperationDialog, RecycleWithoutConfirmationStartsAtOnceIntoTheTrash) {
  TempFolder temp("r");
  const std::string tag = std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(::GetTickCount());
  const std::string f = temp.MakeFolder("bin_" + tag);
  temp.MakeFile("bin_" + tag + "\\doc_" + tag + ".txt", "recycle me");
  CShellExt* ext = NewShellExt({f});
  ASSERT_NE(nullptr, ext);
  ext->settings() = Defaults();
  ext->settings().DeleteConfirm = 0;
  Seen working, report;
  DialogDriver::Run([&] { ext->RunDeleteCommand(false); },
                    [&](DialogDriver& d) {
                      if (!d.WaitForDialog()) return;
                      working = Look(d);
                      if (!DialogDriver::WaitUntil([&d] { return d.Text(IDCANCEL) == "E&xit"; })) return;
                      report = Look(d);
                      d.Click(IDCANCEL);
                    });
  ext->Release();
  EXPECT_EQ("Delete (recycle)", working.caption);
  EXPECT_FALSE(working.yesShown);  // never asked
  EXPECT_EQ(
      "Report:\n\n10 bytes diskspace has been freed\n1 file has been deleted (0 errors).\n"
      "1 folder has been removed (0 errors).",
      report.text);
  EXPECT_FALSE(Exists(f));
  // The folder went whole, as one entry holding its file.
  EXPECT_EQ("recycle me", ReadFileBytes(TrashFolder() + "\\bin_" + tag + "\\doc_" + tag + ".txt"));
}

TEST(OperationDialog, ConfirmationSettingOnlySkipsTheQuestionOfPlainRecycling) {
  TempFolder temp("s");
  const std::string f = temp.MakeFolder("F");
  CShellExt* ext = NewShellExt({f});
  ASSERT_NE(nullptr, ext);
  ext->settings() = Defaults();
  ext->settings().DeleteConfirm = 0;
  for (int option = 0; option < 3; ++option) {
    ext->settings().DeleteOption = option;
    Seen seen;
    DialogDriver::Run([&] { ext->RunDeleteCommand(option == 0); },  // Shift held with recycling
                      [&](DialogDriver& d) {
                        if (!d.WaitForDialog()) return;
                        seen = Look(d);
                        d.Click(IDCANCEL);
                      });
    EXPECT_EQ(option == 2 ? "Delete (erase)" : "Delete (permanently)", seen.caption) << option;
    EXPECT_TRUE(seen.yesShown) << option;
  }
  ext->Release();
  EXPECT_TRUE(Exists(f));
}

TEST(OperationDialog, ACleanWithoutAMaskIsRefusedWithItsReasonAndExitAlone) {
  TempFolder temp("m");
  const std::string f = temp.MakeFolder("F");
  temp.MakeFile("F\\a.txt");
  Settings settings = Defaults();
  settings.CleanMasks = " ; |excl";
  SelectedFolders folders{W(f)};
  FolderOperation operation(settings, folders, ModeClean);
  Seen seen;
  bool closed = false;
  DialogDriver::Run([&] { RunOperationDialog(operation, nullptr); },
                    [&](DialogDriver& d) {
                      if (!d.WaitForDialog()) return;
                      seen = Look(d);
                      d.PressKey(VK_RETURN);  // what "Yes" would have done
                      ::Sleep(200);
                      d.Click(IDCANCEL);
                      closed = DialogDriver::WaitUntil([&d] { return d.Closed(); }, 10000);
                    });
  EXPECT_EQ("Clean", seen.caption);
  EXPECT_EQ(
      "The mask list holds no mask, only semi-colons or blanks. Nothing has been deleted.\n\n"
      "Enter at least one filename (e.g. *.tmp) on the Clean page of \"Configure Varnoke\".",
      seen.text);
  EXPECT_FALSE(seen.yesShown);
  EXPECT_EQ("E&xit", seen.no);
  EXPECT_EQ(IDCANCEL, seen.focus);
  EXPECT_TRUE(closed);
  EXPECT_TRUE(operation.worker.get() == nullptr) << "no worker ever started";
  EXPECT_TRUE(Exists(temp.Sub("F\\a.txt")));
}

TEST(OperationDialog, DeleteOptionNamingNoModeStartsNothing) {
  TempFolder temp("i");
  const std::string f = temp.MakeFolder("F");
  temp.MakeFile("F\\keep");
  CShellExt* ext = NewShellExt({f});
  ASSERT_NE(nullptr, ext);
  for (int32_t option : {3, -1, 1000}) {
    ext->settings().DeleteOption = option;
    bool dialogSeen = true;
    DialogDriver::Run([&] { ext->RunDeleteCommand(false); },
                      [&](DialogDriver& d) {
                        dialogSeen = d.WaitForDialog(500) != nullptr;
                        if (dialogSeen) d.Click(IDCANCEL);
                      });
    EXPECT_FALSE(dialogSeen) << option;
  }
  ext->Release();
  EXPECT_TRUE(Exists(temp.Sub("F\\keep")));
}

TEST(OperationDialog, CancelDuringGutmannErasureStopsAtTheNextPassAndKeepsTheFile) {
  TempFolder temp("c");
  const std::string f = temp.MakeFolder("F");
  const std::string content(4 * 1024 * 1024, 'k');
  const std::string file = temp.MakeFile("F\\big.bin", content);
  const SlowDisk slow;
  Settings settings = Defaults();
  settings.EraseMethod = 3;
  SelectedFolders folders{W(f)};
  FolderOperation operation(settings, folders, ModeErase);
  Seen working, report;
  std::string fileLine, passLine;
  DialogDriver::Run([&] { RunOperationDialog(operation, nullptr); },
                    [&](DialogDriver& d) {
                      if (!d.WaitForDialog()) return;
                      d.Click(IDOK);
                      // Every pass of this file takes longer than the line's
                      // 100 ms, so each pass number is shown in turn.
                      if (!DialogDriver::WaitUntil([&d] { return PassOf(d.Text(IDC_PASSES)) >= 3; })) {
                        d.Click(IDCANCEL);
                        return;
                      }
                      // Hold the worker still for the picture of pass 3.
                      slow.Hold();
                      working = Look(d);
                      fileLine = d.Text(IDC_FILENAME);
                      passLine = d.Text(IDC_PASSES);
                      d.Shot("working-pass");
                      slow.Release();
                      d.Click(IDCANCEL);
                      if (DialogDriver::WaitUntil([&d] { return d.Text(IDCANCEL) == "E&xit"; })) report = Look(d);
                      d.Click(IDCANCEL);
                    });
  EXPECT_EQ("Pass " + std::to_string(PassOf(passLine)) + " of 35", passLine);
  EXPECT_GE(PassOf(passLine), 3);
  EXPECT_EQ(file, fileLine);
  EXPECT_TRUE(working.animationShown);
  EXPECT_TRUE(working.fileShown);
  EXPECT_TRUE(working.passesShown);
  EXPECT_FALSE(working.textShown);
  EXPECT_FALSE(working.iconShown);
  EXPECT_FALSE(working.yesShown);
  EXPECT_EQ("&Cancel", working.no);
  EXPECT_EQ(
      "Report:\n\n0 bytes diskspace has been freed\n0 files have been deleted (1 error).\n"
      "0 folders have been removed (0 errors).",
      report.text);
  EXPECT_TRUE(Exists(file));
  EXPECT_EQ(content.size(), ReadFileBytes(file).size());
}

TEST(OperationDialog, CloseBoxWhileWorkingWaitsForTheWorker) {
  TempFolder temp("w");
  const std::string f = temp.MakeFolder("F");
  const std::string file = temp.MakeFile("F\\big.bin", std::string(2 * 1024 * 1024, 'k'));
  const SlowDisk slow;
  Settings settings = Defaults();
  settings.EraseMethod = 3;
  settings.DeleteReport = 0;
  SelectedFolders folders{W(f)};
  FolderOperation operation(settings, folders, ModeErase);
  bool openAfterClose = false, closedAtLast = false;
  DialogDriver::Run([&] { RunOperationDialog(operation, nullptr); },
                    [&](DialogDriver& d) {
                      if (!d.WaitForDialog()) return;
                      d.Click(IDOK);
                      if (!DialogDriver::WaitUntil([&d] { return !d.Text(IDC_PASSES).empty(); })) return;
                      slow.Hold();
                      ::SendMessageA(d.dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
                      ::SendMessageA(d.dialog(), WM_CLOSE, 0, 0);
                      // Both were handled when SendMessage returned: a close
                      // either ends the dialog or, while the worker runs, only
                      // asks it to stop. The request shows which one it did.
                      openAfterClose = !d.Closed() && operation.cancel == 1;
                      slow.Release();
                      closedAtLast = DialogDriver::WaitUntil([&d] { return d.Closed(); });
                    });
  EXPECT_TRUE(openAfterClose);
  EXPECT_TRUE(closedAtLast);
  EXPECT_EQ(1u, operation.fileErrors);
  EXPECT_EQ(0u, operation.filesDeleted);
  EXPECT_TRUE(Exists(file));
}

TEST(OperationDialog, WorkerThatCannotStartEndsTheRunAtOnceWithNothingDoneAndSaysSo) {
  TempFolder temp("t");
  const std::string f = temp.MakeFolder("F");
  temp.MakeFile("F\\keep");
  SeamOverride calls(OperationCalls());
  calls->createThread = &NoThread;
  ResetProgressLines();
  Settings settings = Defaults();
  SelectedFolders folders{W(f)};
  for (int32_t report : {1, 0}) {
    settings.DeleteReport = report;
    FolderOperation operation(settings, folders, ModeDelete);
    std::string text;
    bool closed = false;
    DialogDriver::Run([&] { RunOperationDialog(operation, nullptr); },
                      [&](DialogDriver& d) {
                        if (!d.WaitForDialog()) return;
                        d.Click(IDOK);
                        if (report) {
                          if (DialogDriver::WaitUntil([&d] { return d.Text(IDCANCEL) == "E&xit"; }, 10000))
                            text = d.Text(IDC_TEXT);
                          d.Click(IDCANCEL);
                        }
                        closed = DialogDriver::WaitUntil([&d] { return d.Closed(); }, 10000);
                      });
    EXPECT_TRUE(closed) << report;
    if (report) {
      // The folder was left as it was: the report must not read as a clean run.
      EXPECT_EQ(
          "Report:\n\n0 bytes diskspace has been freed\n0 files have been deleted (0 errors).\n"
          "0 folders have been removed (1 error).",
          text);
    }
  }
  ResetProgressLines();
  EXPECT_TRUE(Exists(temp.Sub("F\\keep")));
}

TEST(OperationDialog, ProgressLinesRepaintAtMostOncePer100Milliseconds) {
  TempFolder temp("p");
  const std::string f = temp.MakeFolder("F");
  SeamOverride calls(OperationCalls());
  calls->tickCount = &FakeTickCount;
  ResetProgressLines();
  fakeTicks = ::GetTickCount() + 1000000;
  Settings settings = Defaults();
  SelectedFolders folders{W(f)};
  FolderOperation operation(settings, folders, ModeDelete);
  std::vector<std::string> paths, passes;
  DialogDriver::Run([&] { RunOperationDialog(operation, nullptr); },
                    [&](DialogDriver& d) {
                      if (!d.WaitForDialog()) return;
                      auto send = [&d](UINT message, const wchar_t* text, DWORD advance) {
                        fakeTicks += advance;
                        ::SendMessageA(d.dialog(), message, reinterpret_cast<WPARAM>(text), 0);
                      };
                      send(WM_OP_FILE, L"first", 0);
                      paths.push_back(d.Text(IDC_FILENAME));
                      send(WM_OP_FILE, L"50 ms later", 50);
                      paths.push_back(d.Text(IDC_FILENAME));
                      send(WM_OP_PASS, L"own stamp", 0);  // the passes line keeps its own time
                      passes.push_back(d.Text(IDC_PASSES));
                      send(WM_OP_FILE, L"100 ms after first", 50);
                      paths.push_back(d.Text(IDC_FILENAME));
                      send(WM_OP_FILE, L"101 ms after first", 1);
                      paths.push_back(d.Text(IDC_FILENAME));
                      send(WM_OP_PASS, L"too soon", 0);  // 51 ms after its own last change
                      passes.push_back(d.Text(IDC_PASSES));
                      send(WM_OP_PASS, L"in time", 50);
                      passes.push_back(d.Text(IDC_PASSES));
                      d.Click(IDCANCEL);
                    });
  ResetProgressLines();
  EXPECT_EQ((std::vector<std::string>{"first", "first", "first", "101 ms after first"}), paths);
  EXPECT_EQ((std::vector<std::string>{"own stamp", "own stamp", "in time"}), passes);
  EXPECT_EQ(L"101 ms after first", operation.fileText);
}

namespace {

std::wstring WideText(HWND dialog, int id) {
  const HWND control = ::GetDlgItem(dialog, id);
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(control, &text[0], static_cast<int>(text.size()))));
  return text;
}

}  // namespace

TEST(OperationDialog, TheQuestionAndTheProgressLineShowTheRealNames) {
  wide_tree::WideTemp temp("names");
  const std::wstring folder = temp.Sub(L"\xD83D\xDCE6 \x041F\x0430\x043A\x0435\x0442 \x5305\x88F9");
  const std::wstring file = folder + L"\\\x65E5\x672C\x8A9E \xD83C\xDF89.bin";
  ASSERT_TRUE(wide_tree::MakeFileW(file, std::string(4 * 1024 * 1024, 'n')));
  Settings settings = Defaults();
  settings.EraseMethod = 3;
  SelectedFolders folders{folder};
  FolderOperation operation(settings, folders, ModeErase);
  std::wstring question, line;
  DialogDriver::Run([&] { RunOperationDialog(operation, nullptr); },
                    [&](DialogDriver& d) {
                      if (!d.WaitForDialog()) return;
                      question = WideText(d.dialog(), IDC_TEXT);
                      d.Shot("question-names");
                      d.Click(IDOK);
                      DialogDriver::WaitUntil([&] { return PassOf(d.Text(IDC_PASSES)) >= 2; });
                      // Paused, the line holds still for its picture.
                      d.Click(IDC_PAUSE);
                      DialogDriver::WaitUntil([&] { return d.Text(IDC_PAUSE) == "Resume"; });
                      line = WideText(d.dialog(), IDC_FILENAME);
                      d.Shot("working-names");
                      d.Click(IDCANCEL);
                      DialogDriver::WaitUntil([&d] { return d.Text(IDCANCEL) == "E&xit"; });
                      d.Click(IDCANCEL);
                    });
  EXPECT_NE(std::wstring::npos, question.find(L"\x5305\x88F9\n")) << wide_tree::U8(question);
  EXPECT_NE(std::wstring::npos, question.find(L"\xD83D\xDCE6")) << wide_tree::U8(question);
  EXPECT_NE(std::wstring::npos, line.find(L"\x65E5\x672C\x8A9E \xD83C\xDF89.bin")) << wide_tree::U8(line);
  EXPECT_LE(line.size(), 54u);
  EXPECT_TRUE(wide_tree::ExistsW(file)) << "cancelled during the passes";
}
