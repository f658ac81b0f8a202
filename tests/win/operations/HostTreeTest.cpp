// Trees that tests/win/operations/host-tree.sh builds from the host side of the
// prefix: real directory symbolic links, and a folder of 20,000 files. The
// tests are disabled for the ordinary run and started by that script, which
// names the tree's root in VARNOKE_HOST_TREE and checks the links' targets
// again from the host afterwards.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>

#include "DialogDriver.h"
#include "TestSupport.h"
#include "menu/DosBox.h"
#include "operations/FolderOperation.h"
#include "operations/OperationDialog.h"
#include "operations/OperationWorker.h"
#include "operations/FolderWalker.h"
#include "resources/ResourceIds.h"
#include "server/ShellExt.h"
#include "tests/win/operations/WideTree.h"
#include "tests/shared/SeamOverride.h"

using namespace wide_tree;

namespace {

std::wstring Environment(const wchar_t* name) {
  wchar_t value[MAX_PATH] = {};
  const DWORD length = ::GetEnvironmentVariableW(name, value, MAX_PATH);
  return length > 0 && length < MAX_PATH ? value : L"";
}

std::wstring HostTree() { return Environment(L"VARNOKE_HOST_TREE"); }

LRESULT CALLBACK Ignore(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcW(window, message, wParam, lParam);
}

// A run of the worker's own entry visit over one walk, with every visit
// recorded on the way in.
struct WorkerLike {
  WorkerLike(OperationMode mode, uint32_t eraseMethod = 0) : operation(settings, folders, mode) {
    settings.EraseMethod = eraseMethod;
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &Ignore;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VarnokeHostTreeSink";
    ::RegisterClassW(&windowClass);
    operation.window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                         windowClass.hInstance, nullptr);
  }
  ~WorkerLike() { ::DestroyWindow(operation.window); }

  int32_t Walk(const std::wstring& folder, bool recurse, const char* masks) {
    WalkOptions options{recurse, 1, masks, &WorkerLike::Visit, this, &operation.listedSize};
    options.place = &operation.listedPlace;
    options.openToRemove = operation.mode == ModeDelete || operation.mode == ModeErase;
    return WalkFolder(ExtendedPath(folder).c_str(), options);
  }
  static int32_t Visit(const wchar_t* path, int32_t kind, void* context) {
    WorkerLike& self = *static_cast<WorkerLike*>(context);
    self.visits.emplace_back(ShownPath(path), kind);
    return VisitEntry(path, kind, &self.operation);
  }

  Settings settings;
  SelectedFolders folders;
  FolderOperation operation;
  std::vector<std::pair<std::wstring, int32_t>> visits;
};

class DISABLED_HostTree : public testing::Test {
 protected:
  void SetUp() override {
    root_ = HostTree();
    if (root_.empty()) FAIL() << "VARNOKE_HOST_TREE is not set: run tests/win/operations/host-tree.sh";
  }
  // The target's files, read through Windows.
  void ExpectTargetIntact(const std::wstring& base) {
    EXPECT_EQ("keep me", ReadBytesW(base + L"\\target\\keep.txt"));
    EXPECT_EQ("keep me too", ReadBytesW(base + L"\\target\\x.tmp"));
    EXPECT_EQ("deep", ReadBytesW(base + L"\\target\\deep\\keep.tmp"));
  }
  void ExpectNothingVisitedThroughLinks(const WorkerLike& run, const std::wstring& sel) {
    for (const auto& visit : run.visits) {
      EXPECT_NE(0u, visit.first.rfind(sel + L"\\link\\", 0)) << U8(visit.first);
      EXPECT_NE(0u, visit.first.rfind(sel + L"\\sub\\deeplink\\", 0)) << U8(visit.first);
    }
  }
  std::wstring root_;
};

TEST_F(DISABLED_HostTree, LinksToFoldersLookLikeLinks) {
  const std::wstring sel = root_ + L"\\delete\\sel";
  EXPECT_TRUE(IsLinkEntry((sel + L"\\link").c_str()));
  EXPECT_FALSE(IsLinkEntry((sel + L"\\sub").c_str()));
  EXPECT_FALSE(IsLinkEntry((sel + L"\\a.txt").c_str()));
}

TEST_F(DISABLED_HostTree, DeleteRemovesTheSelectionButNothingALinkPointsTo) {
  const std::wstring base = root_ + L"\\delete";
  const std::wstring sel = base + L"\\sel";
  WorkerLike run(ModeDelete);
  EXPECT_EQ(0, run.Walk(sel, 1, "*"));
  ExpectNothingVisitedThroughLinks(run, sel);
  const std::set<std::pair<std::wstring, int32_t>> visits(run.visits.begin(), run.visits.end());
  EXPECT_EQ(1u, visits.count({sel + L"\\link", EntryLink})) << "the link is handed over as a link";
  EXPECT_EQ(1u, visits.count({sel + L"\\sub\\deeplink", EntryLink}));
  EXPECT_FALSE(ExistsW(sel + L"\\a.txt"));
  EXPECT_FALSE(ExistsW(sel + L"\\sub\\c.tmp"));
  EXPECT_EQ(0u, run.operation.fileErrors);
  ExpectTargetIntact(base);
}

TEST_F(DISABLED_HostTree, ErasureOverwritesNothingALinkPointsTo) {
  const std::wstring base = root_ + L"\\erase";
  const std::wstring sel = base + L"\\sel";
  WorkerLike run(ModeErase, 2);
  EXPECT_EQ(0, run.Walk(sel, 1, "*"));
  ExpectNothingVisitedThroughLinks(run, sel);
  EXPECT_FALSE(ExistsW(sel + L"\\a.txt"));
  EXPECT_FALSE(ExistsW(sel + L"\\b.tmp"));
  EXPECT_FALSE(ExistsW(sel + L"\\sub\\c.tmp"));
  EXPECT_EQ(0u, run.operation.fileErrors);
  ExpectTargetIntact(base);
}

TEST_F(DISABLED_HostTree, CleanWithSubfoldersLeavesWhatALinkPointsTo) {
  const std::wstring base = root_ + L"\\clean";
  const std::wstring sel = base + L"\\sel";
  WorkerLike run(ModeClean);
  EXPECT_EQ(0, run.Walk(sel, 1, "*.tmp"));
  ExpectNothingVisitedThroughLinks(run, sel);
  EXPECT_FALSE(ExistsW(sel + L"\\b.tmp"));
  EXPECT_FALSE(ExistsW(sel + L"\\sub\\c.tmp"));
  EXPECT_TRUE(ExistsW(sel + L"\\a.txt"));
  EXPECT_TRUE(ExistsW(sel + L"\\link"));
  ExpectTargetIntact(base);
}

TEST_F(DISABLED_HostTree, FolderWithTwentyThousandFiles) {
  const std::wstring big = root_ + L"\\big";
  WorkerLike run(ModeDelete);
  EXPECT_EQ(0, run.Walk(big, 1, "*"));
  std::set<std::wstring> files;
  for (const auto& visit : run.visits)
    if (visit.second == EntryFile) files.insert(visit.first);
  EXPECT_EQ(20000u, files.size());
  EXPECT_EQ(1u, files.count(big + L"\\f19999.dat"));
  EXPECT_EQ(std::make_pair(big + L"\\sub", 1), run.visits.front());
  EXPECT_EQ(std::make_pair(big, 1), run.visits.back());
  EXPECT_EQ(20002u, run.visits.size());
  EXPECT_EQ(20000u, run.operation.filesDeleted);
  EXPECT_EQ(2u, run.operation.foldersRemoved);
  EXPECT_EQ(0u, run.operation.fileErrors + run.operation.folderErrors);
  EXPECT_FALSE(ExistsW(big));
}

// The root of the prefix's own drive (never C:), which host-tree.sh points
// at a test folder holding keep.txt, a.tmp and sub\b.tmp.
class DISABLED_HostDrive : public testing::Test {
 protected:
  void SetUp() override {
    const std::wstring drive = Environment(L"VARNOKE_ROOT_DRIVE");
    if (drive.size() != 2 || drive[1] != L':') FAIL() << "VARNOKE_ROOT_DRIVE is not set: run host-tree.sh";
    root_ = drive + L"\\";
    rootAnsi_ = U8(root_);
  }
  void ExpectUntouched() {
    EXPECT_EQ("keep", ReadBytesW(root_ + L"keep.txt"));
    EXPECT_EQ("a", ReadBytesW(root_ + L"a.tmp"));
    EXPECT_EQ("b", ReadBytesW(root_ + L"sub\\b.tmp"));
  }
  std::wstring root_;
  std::string rootAnsi_;
};

std::wstring startedIn;
BOOL WINAPI RecordStart(SHELLEXECUTEINFOW* info) {
  startedIn = info->lpDirectory ? info->lpDirectory : L"";
  return TRUE;
}

TEST_F(DISABLED_HostDrive, DeleteOfADriveRootIsRefusedInEveryModeBeforeAnythingIsTouched) {
  ASSERT_EQ(L"\\\\?\\" + root_, ExtendedPath(root_)) << "the root keeps its separator";
  const SelectedFolders folders{root_};
  for (const OperationMode mode : {ModeRecycle, ModeDelete, ModeErase}) {
    Settings settings;
    settings.DeleteConfirm = 0;  // plain recycling then skips its question, never the refusal
    FolderOperation operation(settings, folders, mode);
    std::string text, no;
    bool yesShown = true;
    testing_support::DialogDriver::Run([&] { RunOperationDialog(operation, nullptr); },
                                       [&](testing_support::DialogDriver& d) {
                                         if (!d.WaitForDialog()) return;
                                         text = d.Text(IDC_TEXT);
                                         no = d.Text(IDCANCEL);
                                         yesShown = d.Visible(IDOK);
                                         d.Click(IDCANCEL);
                                       });
    EXPECT_EQ(rootAnsi_ + " is the root of a drive. Varnoke never deletes a whole drive: nothing has been deleted.",
              text)
        << mode;
    EXPECT_EQ("E&xit", no);
    EXPECT_FALSE(yesShown);
    ExpectUntouched();
    // Should anything start the worker all the same, it refuses too.
    WorkerLike run(mode);
    run.folders = {root_};
    WorkerMain(run.operation);
    EXPECT_EQ(1u, run.operation.folderErrors) << mode;
    EXPECT_EQ(0u, run.operation.filesDeleted + run.operation.foldersRemoved);
    EXPECT_TRUE(run.visits.empty());
    ExpectUntouched();
  }
}

TEST_F(DISABLED_HostDrive, ADriveRootGetsTheMenuTheDosBoxAndClean) {
  IShellExtInit* init = nullptr;
  ASSERT_EQ(S_OK, CreateShellExt(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init)));
  IDataObject* data = testing_support::NewDropDataObject({rootAnsi_});
  EXPECT_EQ(S_OK, init->Initialize(nullptr, data, nullptr)) << "a root is a folder";
  data->Release();
  IContextMenu* menu = nullptr;
  ASSERT_EQ(S_OK, init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu)));
  const HMENU popup = ::CreatePopupMenu();
  EXPECT_GT(HRESULT_CODE(menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_NORMAL)), 0);
  ::DestroyMenu(popup);
  menu->Release();
  init->Release();

  {
    SeamOverride calls(CommandBoxCalls());
    calls->shellExecuteEx = &RecordStart;
    OpenDosBox(Settings(), SelectedFolders{root_}, false);
  }
  EXPECT_EQ(root_, startedIn) << "the box starts in the root";

  WorkerLike run(ModeClean);
  run.settings.CleanMasks = "*.tmp|incl";
  run.settings.CleanSubfolders = 1;
  run.folders = {root_};
  WorkerMain(run.operation);
  EXPECT_EQ(2u, run.operation.filesDeleted);
  EXPECT_EQ(0u, run.operation.fileErrors + run.operation.folderErrors);
  EXPECT_EQ("keep", ReadBytesW(root_ + L"keep.txt"));
  EXPECT_FALSE(ExistsW(root_ + L"a.tmp"));
  EXPECT_FALSE(ExistsW(root_ + L"sub\\b.tmp"));
  EXPECT_TRUE(ExistsW(root_ + L"sub"));
}

}  // namespace
