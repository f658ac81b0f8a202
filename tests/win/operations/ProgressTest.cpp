// The Working state's progress, driven like a user: the count before the
// work, the bar and its lines as the run goes, the time left, Pause and
// Resume, Cancel during the count and during the run, the taskbar button.
#include <windows.h>
#include <commctrl.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "DialogDriver.h"
#include "TestSupport.h"
#include "erase/ErasePlatform.h"
#include "operations/FolderOperation.h"
#include "operations/ProgressLines.h"
#include "operations/OperationDialog.h"
#include "operations/OperationPlatform.h"
#include "operations/TaskbarProgress.h"
#include "base/FileSystemPlatform.h"
#include "resources/ResourceIds.h"
#include "tests/win/operations/WideTree.h"
#include "tests/shared/SeamOverride.h"

using namespace testing_support;
using wide_tree::W;

namespace {

Settings Defaults() {
  Settings settings;
  settings.EraseMethod = 0;
  return settings;
}

// In one reading: a length read first may belong to the line before.
std::string TextOf(const DialogDriver& d, int id) {
  wchar_t text[512] = {};
  const int length = ::GetWindowTextW(::GetDlgItem(d.dialog(), id), text, 512);
  return wide_tree::U8(std::wstring(text, static_cast<size_t>(length > 0 ? length : 0)));
}

int BarPosition(const DialogDriver& d) {
  return static_cast<int>(::SendDlgItemMessageW(d.dialog(), IDC_PROGRESS, PBM_GETPOS, 0, 0));
}

int BarTop(const DialogDriver& d) {
  return static_cast<int>(::SendDlgItemMessageW(d.dialog(), IDC_PROGRESS, PBM_GETRANGE, FALSE, 0));
}

bool Reported(const DialogDriver& d) { return d.Text(IDCANCEL) == "E&xit"; }

// The files done of a "n of m files" or "n of m items" line; -1 for any
// other text.
int DoneOf(const std::string& line) {
  unsigned done = 0, total = 0;
  return std::sscanf(line.c_str(), "%u of %u", &done, &total) == 2 ? static_cast<int>(done) : -1;
}

// Every removal by its own handle, and every subfolder the count opens,
// waits this long first: a run slow enough to watch.
std::atomic<DWORD> openDelayMs{0};
DWORD SlowOpenAt(HANDLE folder, const wchar_t* name, uint32_t length, DWORD access, DWORD options, HANDLE* opened) {
  ::Sleep(openDelayMs);
  return RealFileSystemCalls().openAt(folder, name, length, access, options, opened);
}

class SlowOpens {
 public:
  explicit SlowOpens(DWORD ms) {
    openDelayMs = ms;
    calls_->openAt = &SlowOpenAt;
  }

 private:
  SeamOverride<FileSystemPlatform> calls_{FileSystemCalls()};
};

// Every flushed chunk of an erasure takes 150 ms more, longer than the
// counts line's 100 ms.
BOOL WINAPI SlowFlush(HANDLE file) {
  ::Sleep(150);
  return RealEraseCalls().flushFileBuffers(file);
}

// A clock that runs 700 ms on at every reading: a few readings make the
// seconds of rate the time left waits for, and every line is due.
std::atomic<DWORD> steppingTicks{0};
DWORD WINAPI SteppingTicks() { return steppingTicks += 700; }

// Restores the run's platform tables and the lines' time stamps.
struct CleanSeams {
  CleanSeams() { ResetProgressLines(); }
  ~CleanSeams() { ResetProgressLines(); }
  SeamOverride<OperationPlatform> operation{OperationCalls()};
  SeamOverride<FileSystemPlatform> fileSystem{FileSystemCalls()};
  SeamOverride<ErasePlatform> erase{EraseCalls()};
  SeamOverride<TaskbarPlatform> taskbar{TaskbarCalls()};
};

// What the Working state showed at each change the test saw.
struct Sample {
  std::string counts;
  int position = 0;
  int top = 0;
};

// Clicks Yes and records the Working state until the report.
std::vector<Sample> WatchRun(DialogDriver& d) {
  std::vector<Sample> seen;
  d.Click(IDOK);
  DialogDriver::WaitUntil([&] {
    if (Reported(d)) return true;
    // Read between two readings of the bar that agree: the line and the
    // bar then come from one update.
    const int before = BarPosition(d);
    Sample now{TextOf(d, IDC_COUNTS), BarPosition(d), BarTop(d)};
    if (now.counts.empty() || now.position != before) return false;
    if (seen.empty() || seen.back().counts != now.counts || seen.back().position != now.position)
      seen.push_back(now);
    return false;
  });
  return seen;
}

}  // namespace

TEST(Progress, TheCountOfAKnownTreeAndTheBarFollowTheRun) {
  CleanSeams seams;
  TempFolder temp("pc");
  const std::string f = temp.MakeFolder("F");
  temp.MakeFile("F\\a", std::string(1024, 'a'));
  temp.MakeFile("F\\b", std::string(1024, 'b'));
  temp.MakeFile("F\\S\\c", std::string(1024, 'c'));
  temp.MakeFile("F\\S\\d", std::string(1024, 'd'));
  temp.MakeFile("F\\S\\T\\e", std::string(1024, 'e'));
  temp.MakeFile("F\\S\\T\\g", std::string(1024, 'g'));
  const SlowOpens slow(150);
  Settings settings = Defaults();
  SelectedFolders folders{W(f)};
  FolderOperation operation(settings, folders, ModeDelete);
  std::vector<Sample> seen;
  std::string report;
  DialogDriver::Run([&] { RunOperationDialog(operation, nullptr); },
                    [&](DialogDriver& d) {
                      if (!d.WaitForDialog()) return;
                      EXPECT_FALSE(d.Visible(IDC_PROGRESS)) << "not while asking";
                      seen = WatchRun(d);
                      report = d.Text(IDC_TEXT);
                      EXPECT_FALSE(d.Visible(IDC_PROGRESS)) << "not in the report";
                      EXPECT_FALSE(d.Visible(IDC_PAUSE));
                      d.Click(IDCANCEL);
                    });
  ASSERT_GE(seen.size(), 4u);
  EXPECT_EQ("Counting\xE2\x80\xA6", seen.front().counts);
  std::vector<int> done;
  for (const Sample& sample : seen) {
    if (sample.counts == seen.front().counts) continue;
    const int n = DoneOf(sample.counts);
    ASSERT_GE(n, 0) << sample.counts;
    EXPECT_EQ(std::to_string(n) + " of 6 files \xE2\x80\x94 " + (n ? std::to_string(n) + ".0 Kb" : "0 bytes") +
                  " of 6.0 Kb",
              sample.counts);
    EXPECT_EQ(1000, sample.top);
    EXPECT_EQ(n * 1000 / 6, sample.position) << sample.counts;
    done.push_back(n);
  }
  EXPECT_TRUE(std::is_sorted(done.begin(), done.end()));
  EXPECT_GE(done.size(), 4u) << "each slow removal is seen";
  EXPECT_EQ(
      "Report:\n\n6.0 Kb diskspace has been freed\n6 files have been deleted (0 errors).\n"
      "3 folders have been removed (0 errors).",
      report);
  EXPECT_FALSE(Exists(f));
}

TEST(Progress, EraseCountsBytesTimesPassesAndTheBarMovesThroughEveryPass) {
  CleanSeams seams;
  TempFolder temp("pe");
  const std::string f = temp.MakeFolder("F");
  temp.MakeFile("F\\one.bin", std::string(1 << 20, '1'));
  temp.MakeFile("F\\two.bin", std::string(1 << 20, '2'));
  seams.erase->flushFileBuffers = &SlowFlush;
  Settings settings = Defaults();
  settings.EraseMethod = 2;  // three passes
  SelectedFolders folders{W(f)};
  FolderOperation operation(settings, folders, ModeErase);
  std::vector<Sample> seen;
  DialogDriver::Run([&] { RunOperationDialog(operation, nullptr); },
                    [&](DialogDriver& d) {
                      if (!d.WaitForDialog()) return;
                      seen = WatchRun(d);
                      d.Click(IDCANCEL);
                    });
  std::vector<int> firstFile;
  for (const Sample& sample : seen) {
    if (DoneOf(sample.counts) < 0) continue;
    EXPECT_NE(std::string::npos, sample.counts.find(" of 6.0 Mb")) << sample.counts;
    if (DoneOf(sample.counts) == 0) firstFile.push_back(sample.position);
  }
  // Two passes of the first file are behind it when its third begins.
  EXPECT_NE(firstFile.end(), std::find(firstFile.begin(), firstFile.end(), 166));
  EXPECT_NE(firstFile.end(), std::find(firstFile.begin(), firstFile.end(), 333));
  EXPECT_EQ(2u, operation.filesDeleted);
}

TEST(Progress, TheTimeLeftAppearsOnceAFewSecondsOfRateExist) {
  CleanSeams seams;
  TempFolder temp("pt");
  const std::string f = temp.MakeFolder("F");
  for (int i = 0; i < 12; ++i) temp.MakeFile("F\\f" + std::to_string(i), std::string(4096, 'x'));
  seams.operation->tickCount = &SteppingTicks;
  const SlowOpens slow(40);
  Settings settings = Defaults();
  SelectedFolders folders{W(f)};
  FolderOperation operation(settings, folders, ModeDelete);
  std::string firstLeft = "unseen", left, rate, counts;
  DialogDriver::Run([&] { RunOperationDialog(operation, nullptr); },
                    [&](DialogDriver& d) {
                      if (!d.WaitForDialog()) return;
                      d.Click(IDOK);
                      DialogDriver::WaitUntil([&] { return DoneOf(TextOf(d, IDC_COUNTS)) >= 0; });
                      firstLeft = TextOf(d, IDC_TIME_LEFT);
                      DialogDriver::WaitUntil([&] { return !TextOf(d, IDC_TIME_LEFT).empty() || Reported(d); });
                      left = TextOf(d, IDC_TIME_LEFT);
                      rate = TextOf(d, IDC_RATE);
                      counts = TextOf(d, IDC_COUNTS);
                      DialogDriver::WaitUntil([&] { return Reported(d); });
                      d.Click(IDCANCEL);
                    });
  EXPECT_EQ("", firstLeft) << "no time left from the first second";
  unsigned minutes = 0;
  char tail[32] = {};
  ASSERT_EQ(2, std::sscanf(left.c_str(), "About %u %31[^\n]", &minutes, tail)) << left;
  EXPECT_EQ(std::string(minutes == 1 ? "minute left" : "minutes left"), tail) << left;
  EXPECT_GE(minutes, 1u);
  EXPECT_NE(std::string::npos, rate.find("/s")) << rate;
  EXPECT_GT(DoneOf(counts), 0) << counts;
  EXPECT_LT(DoneOf(counts), 12) << counts;
}

namespace {

uint32_t FilesIn(const std::string& folder) {
  uint32_t files = 0;
  WIN32_FIND_DATAA entry;
  HANDLE listing = ::FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (listing == INVALID_HANDLE_VALUE) return 0;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++files;
  } while (::FindNextFileA(listing, &entry));
  ::FindClose(listing);
  return files;
}

}  // namespace

TEST(Progress, PauseStopsTheWorkerUntilResume) {
  CleanSeams seams;
  TempFolder temp("pp");
  const std::string f = temp.MakeFolder("F");
  for (int i = 0; i < 30; ++i) temp.MakeFile("F\\f" + std::to_string(i));
  const SlowOpens slow(40);
  Settings settings = Defaults();
  SelectedFolders folders{W(f)};
  FolderOperation operation(settings, folders, ModeDelete);
  std::string pauseText, resumeText, againText;
  uint32_t atPause = 0, later = 0;
  bool reported = false;
  DialogDriver::Run([&] { RunOperationDialog(operation, nullptr); },
                    [&](DialogDriver& d) {
                      if (!d.WaitForDialog()) return;
                      d.Click(IDOK);
                      DialogDriver::WaitUntil([&] { return DoneOf(TextOf(d, IDC_COUNTS)) >= 3; });
                      pauseText = d.Text(IDC_PAUSE);
                      d.Click(IDC_PAUSE);
                      DialogDriver::WaitUntil([&] { return d.Text(IDC_PAUSE) == "Resume"; });
                      resumeText = d.Text(IDC_PAUSE);
                      ::Sleep(300);  // the entry under way ends
                      atPause = FilesIn(f);
                      d.Shot("working-paused");
                      ::Sleep(700);
                      later = FilesIn(f);
                      d.Click(IDC_PAUSE);
                      DialogDriver::WaitUntil([&] { return d.Text(IDC_PAUSE) == "Pause"; });
                      againText = d.Text(IDC_PAUSE);
                      reported = DialogDriver::WaitUntil([&] { return Reported(d); });
                      d.Click(IDCANCEL);
                    });
  EXPECT_EQ("Pause", pauseText);
  EXPECT_EQ("Resume", resumeText);
  EXPECT_EQ("Pause", againText);
  EXPECT_GT(atPause, 0u);
  EXPECT_LT(atPause, 28u);
  EXPECT_EQ(atPause, later) << "nothing removed while paused";
  EXPECT_TRUE(reported);
  EXPECT_EQ(30u, operation.filesDeleted) << "resumed to the end";
  EXPECT_FALSE(Exists(f));
}

TEST(Progress, CancelDuringTheCountTouchesNothing) {
  CleanSeams seams;
  TempFolder temp("pk");
  const std::string f = temp.MakeFolder("F");
  for (int i = 0; i < 12; ++i) temp.MakeFile("F\\S" + std::to_string(i) + "\\x");
  const SlowOpens slow(250);
  Settings settings = Defaults();
  SelectedFolders folders{W(f)};
  FolderOperation operation(settings, folders, ModeDelete);
  std::string counting, report;
  DialogDriver::Run([&] { RunOperationDialog(operation, nullptr); },
                    [&](DialogDriver& d) {
                      if (!d.WaitForDialog()) return;
                      d.Click(IDOK);
                      DialogDriver::WaitUntil([&] { return !TextOf(d, IDC_COUNTS).empty(); });
                      counting = TextOf(d, IDC_COUNTS);
                      d.Click(IDCANCEL);
                      if (DialogDriver::WaitUntil([&] { return Reported(d); })) report = d.Text(IDC_TEXT);
                      d.Click(IDCANCEL);
                    });
  EXPECT_EQ("Counting\xE2\x80\xA6", counting);
  EXPECT_EQ(
      "Report:\n\n0 bytes diskspace has been freed\n0 files have been deleted (0 errors).\n"
      "0 folders have been removed (0 errors).",
      report);
  for (int i = 0; i < 12; ++i) EXPECT_TRUE(Exists(temp.Sub("F\\S" + std::to_string(i) + "\\x"))) << i;
}

TEST(Progress, CancelDuringTheRunStopsAtTheNextEntryAndTheReportCountsWhatWent) {
  CleanSeams seams;
  TempFolder temp("pr");
  const std::string f = temp.MakeFolder("F");
  for (int i = 0; i < 20; ++i) temp.MakeFile("F\\f" + std::to_string(i));
  const SlowOpens slow(40);
  Settings settings = Defaults();
  SelectedFolders folders{W(f)};
  FolderOperation operation(settings, folders, ModeDelete);
  std::string report;
  DialogDriver::Run([&] { RunOperationDialog(operation, nullptr); },
                    [&](DialogDriver& d) {
                      if (!d.WaitForDialog()) return;
                      d.Click(IDOK);
                      DialogDriver::WaitUntil([&] { return DoneOf(TextOf(d, IDC_COUNTS)) >= 2; });
                      d.Click(IDCANCEL);
                      if (DialogDriver::WaitUntil([&] { return Reported(d); })) report = d.Text(IDC_TEXT);
                      d.Click(IDCANCEL);
                    });
  const uint32_t left = FilesIn(f);
  EXPECT_GT(left, 0u);
  EXPECT_EQ(20u, left + operation.filesDeleted);
  EXPECT_EQ("Report:\n\n" + std::to_string(operation.filesDeleted) + " bytes diskspace has been freed\n" +
                std::to_string(operation.filesDeleted) + " files have been deleted (0 errors).\n" +
                "0 folders have been removed (0 errors).",
            report);
}

namespace {

// The taskbar's object as the dialog uses it, recording what it is told.
class TaskbarLog : public ITaskbarList3 {
 public:
  std::vector<std::string> calls;
  std::vector<ULONGLONG> values;
  HWND window = nullptr;
  ULONG references = 1;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  HRESULT STDMETHODCALLTYPE HrInit() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE AddTab(HWND) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeleteTab(HWND) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ActivateTab(HWND) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetActiveAlt(HWND) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE MarkFullscreenWindow(HWND, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetProgressValue(HWND hwnd, ULONGLONG done, ULONGLONG total) override {
    window = hwnd;
    if (total == 1000) values.push_back(done);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetProgressState(HWND hwnd, TBPFLAG state) override {
    window = hwnd;
    const char* name = state == TBPF_INDETERMINATE ? "counting"
                       : state == TBPF_NORMAL      ? "normal"
                       : state == TBPF_PAUSED      ? "paused"
                       : state == TBPF_NOPROGRESS  ? "none"
                                                   : "other";
    if (calls.empty() || calls.back() != name) calls.push_back(name);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE RegisterTab(HWND, HWND) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE UnregisterTab(HWND) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetTabOrder(HWND, HWND) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetTabActive(HWND, HWND, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ThumbBarAddButtons(HWND, UINT, LPTHUMBBUTTON) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ThumbBarUpdateButtons(HWND, UINT, LPTHUMBBUTTON) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ThumbBarSetImageList(HWND, HIMAGELIST) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetOverlayIcon(HWND, HICON, LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetThumbnailTooltip(HWND, LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetThumbnailClip(HWND, RECT*) override { return E_NOTIMPL; }
} taskbarLog;
int taskbarsMade = 0;

HRESULT MakeTaskbarLog(ITaskbarList3** list) {
  ++taskbarsMade;
  taskbarLog.AddRef();
  *list = &taskbarLog;
  return S_OK;
}

// A run of `files` slow removals under `owner`, pausing once half-way.
void RunUnder(HWND owner, const std::string& f) {
  Settings settings = Defaults();
  SelectedFolders folders{W(f)};
  FolderOperation operation(settings, folders, ModeDelete);
  DialogDriver::Run([&] { RunOperationDialog(operation, owner); },
                    [&](DialogDriver& d) {
                      if (!d.WaitForDialog()) return;
                      d.Click(IDOK);
                      DialogDriver::WaitUntil([&] { return DoneOf(TextOf(d, IDC_COUNTS)) >= 3; });
                      d.Click(IDC_PAUSE);
                      DialogDriver::WaitUntil([&] { return d.Text(IDC_PAUSE) == "Resume"; });
                      d.Click(IDC_PAUSE);
                      DialogDriver::WaitUntil([&] { return Reported(d); });
                      d.Click(IDCANCEL);
                    });
}

}  // namespace

TEST(Progress, TheOwnersTaskbarButtonShowsTheRunWhereTheOwnerIsTopLevel) {
  CleanSeams seams;
  seams.taskbar->createTaskbarList = &MakeTaskbarLog;
  TempFolder temp("pb");
  const SlowOpens slow(60);
  const HWND owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                       nullptr, nullptr);
  const HWND child = ::CreateWindowExW(0, L"STATIC", L"child", WS_CHILD, 0, 0, 20, 10, owner, nullptr, nullptr,
                                       nullptr);
  ASSERT_NE(nullptr, child);
  const std::string f = temp.MakeFolder("F");
  for (int i = 0; i < 8; ++i) temp.MakeFile("F\\f" + std::to_string(i));
  RunUnder(owner, f);
  EXPECT_EQ(1, taskbarsMade);
  EXPECT_EQ(owner, taskbarLog.window);
  EXPECT_EQ((std::vector<std::string>{"counting", "normal", "paused", "normal", "none"}), taskbarLog.calls);
  ASSERT_FALSE(taskbarLog.values.empty());
  EXPECT_TRUE(std::is_sorted(taskbarLog.values.begin(), taskbarLog.values.end()));
  EXPECT_EQ(1000u, taskbarLog.values.back());
  EXPECT_EQ(1u, taskbarLog.references) << "released at the end";

  const std::string g = temp.MakeFolder("G");
  for (int i = 0; i < 8; ++i) temp.MakeFile("G\\f" + std::to_string(i));
  RunUnder(child, g);
  EXPECT_EQ(1, taskbarsMade) << "a child window has no button";
  ::DestroyWindow(owner);
}

namespace {

// While `holding` is set, the worker parks in its next flush, where it
// holds no lock the dialog's thread may need, and says so.
std::atomic<bool> holding{false}, held{false};
BOOL WINAPI SlowerFlush(HANDLE file) {
  ::Sleep(400);
  while (holding) {
    held = true;
    ::Sleep(5);
  }
  return RealEraseCalls().flushFileBuffers(file);
}

}  // namespace

TEST(Progress, AnEraseHalfWayShowsTheBarTheCountsAndTheTimeLeft) {
  CleanSeams seams;
  TempFolder temp("ph");
  const std::string f = temp.MakeFolder("F");
  temp.MakeFile("F\\one.bin", std::string(1 << 20, '1'));
  temp.MakeFile("F\\two.bin", std::string(1 << 20, '2'));
  seams.erase->flushFileBuffers = &SlowerFlush;
  seams.operation->tickCount = &SteppingTicks;
  Settings settings = Defaults();
  settings.EraseMethod = 2;
  SelectedFolders folders{W(f)};
  FolderOperation operation(settings, folders, ModeErase);
  const std::string halfWay = "1 of 2 files \xE2\x80\x94 3.0 Mb of 6.0 Mb";
  std::string counts, left, rate;
  int position = -1;
  bool pauseShown = false;
  DialogDriver::Run([&] { RunOperationDialog(operation, nullptr); },
                    [&](DialogDriver& d) {
                      if (!d.WaitForDialog()) return;
                      d.Click(IDOK);
                      DialogDriver::WaitUntil([&] { return TextOf(d, IDC_COUNTS) == halfWay || Reported(d); });
                      // Held still for the picture.
                      held = false;
                      holding = true;
                      DialogDriver::WaitUntil([&] { return held || Reported(d); });
                      counts = TextOf(d, IDC_COUNTS);
                      left = TextOf(d, IDC_TIME_LEFT);
                      rate = TextOf(d, IDC_RATE);
                      position = BarPosition(d);
                      pauseShown = d.Visible(IDC_PAUSE);
                      d.Shot("working-progress");
                      holding = false;
                      d.Click(IDCANCEL);
                      DialogDriver::WaitUntil([&] { return Reported(d); });
                      d.Click(IDCANCEL);
                    });
  EXPECT_EQ(halfWay, counts);
  EXPECT_EQ(500, position);
  EXPECT_EQ(0u, left.find("About ")) << left;
  EXPECT_NE(std::string::npos, rate.find("/s")) << rate;
  EXPECT_TRUE(pauseShown);
}
