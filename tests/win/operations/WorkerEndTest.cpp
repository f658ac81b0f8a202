// A worker that stops on an unexpected failure leaves a report that says so.
#include <windows.h>

#include <gtest/gtest.h>

#include <new>
#include <string>

#include "TestSupport.h"
#include "operations/FolderOperation.h"
#include "operations/OperationMessages.h"
#include "operations/RunTexts.h"
#include "operations/ProgressLines.h"
#include "operations/OperationWorker.h"
#include "operations/OperationPlatform.h"
#include "tests/win/operations/WideTree.h"
#include "tests/shared/SeamOverride.h"

using namespace testing_support;
using wide_tree::W;

namespace {

DWORD WINAPI ThrowingTickCount() { throw std::bad_alloc(); }

}  // namespace

TEST(HonestEnd, AWorkerStoppedByAnUnexpectedFailureCountsAnError) {
  TempFolder temp("h");
  const std::string f = temp.MakeFolder("F");
  temp.MakeFile("F\\keep");
  const HWND sink = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, sink);
  Settings settings;
  settings.EraseMethod = 0;
  SelectedFolders folders{W(f)};
  for (OperationMode mode : {ModeDelete, ModeClean}) {
    settings.CleanMasks = "*|incl";
    FolderOperation operation(settings, folders, mode);
    operation.window = sink;
    ResetProgressLines();
    // The first progress line throws, as a text that finds no memory would.
    {
      SeamOverride calls(OperationCalls());
      calls->tickCount = &ThrowingTickCount;
      EXPECT_EQ(0u, OperationWorker(&operation));
    }
    const OperationCounts counts = operation.Counts();
    EXPECT_EQ(1u, counts.fileErrors + counts.folderErrors) << mode;
    EXPECT_EQ(mode == ModeClean ? 1u : 0u, counts.fileErrors) << mode;
    const std::wstring report = ComposeReport(operation);
    EXPECT_NE(std::wstring::npos, report.find(L"(1 error)")) << mode;
    MSG done = {};
    EXPECT_TRUE(::PeekMessageA(&done, sink, WM_OP_DONE, WM_OP_DONE, PM_REMOVE)) << "the dialog still hears the end";
  }
  ::DestroyWindow(sink);
  EXPECT_TRUE(Exists(temp.Sub("F\\keep")));
}
