// What the worker makes of the eraser's reach: a cancellation between two
// chunks, files that could not be overwritten in place, and the Verify
// setting.
#include <windows.h>

#include <gtest/gtest.h>

#include <winioctl.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "erase/ErasePlatform.h"
#include "operations/FolderOperation.h"
#include "operations/RunTexts.h"
#include "operations/ProgressLines.h"
#include "operations/OperationWorker.h"
#include "resources/ResourceIds.h"
#include "tests/win/operations/WideTree.h"
#include "tests/shared/SeamOverride.h"

using namespace testing_support;
using wide_tree::W;

namespace {

constexpr size_t kMiB = size_t{1} << 20;

// Hooks on the eraser's platform calls, put back on the way out.
struct EraseHooks {
  EraseHooks() { active = this; }
  ~EraseHooks() { active = nullptr; }

  SeamOverride<ErasePlatform> calls{EraseCalls()};
  FolderOperation* operation = nullptr;  // cancelled after its first write
  // Added to what the handle reports, one entry for each file in turn.
  std::vector<DWORD> attributes;
  size_t looks = 0;
  int decompressions = 0;
  int writes = 0;
  int reads = 0;
  int volumeQuestions = 0;  // volume roots, units and flags asked for
  DWORD volumeFlags = 0;    // added to what the volume reports
  static EraseHooks* active;

  static BOOL WINAPI Write(HANDLE file, LPCVOID data, DWORD length, LPDWORD written, LPOVERLAPPED overlapped) {
    ++active->writes;
    // The click lands while the first chunk is on its way to the disk.
    if (active->operation) ::InterlockedExchange(&active->operation->cancel, 1);
    return RealEraseCalls().writeFile(file, data, length, written, overlapped);
  }
  static BOOL WINAPI Information(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information) {
    if (!RealEraseCalls().getFileInformationByHandle(file, information)) return FALSE;
    if (active->looks < active->attributes.size()) information->dwFileAttributes |= active->attributes[active->looks];
    ++active->looks;
    return TRUE;
  }
  // Wine keeps no compressed files: a decompression is taken as done.
  static BOOL WINAPI Control(HANDLE file, DWORD code, LPVOID in, DWORD inLength, LPVOID out, DWORD outLength,
                             LPDWORD returned, LPOVERLAPPED overlapped) {
    if (code != FSCTL_SET_COMPRESSION)
      return RealEraseCalls().deviceIoControl(file, code, in, inLength, out, outLength, returned, overlapped);
    ++active->decompressions;
    return TRUE;
  }
  static BOOL WINAPI VolumePath(LPCWSTR path, LPWSTR root, DWORD length) {
    ++active->volumeQuestions;
    return RealEraseCalls().getVolumePathName(path, root, length);
  }
  static BOOL WINAPI DiskFree(LPCWSTR root, LPDWORD sectors, LPDWORD bytes, LPDWORD free, LPDWORD total) {
    ++active->volumeQuestions;
    return RealEraseCalls().getDiskFreeSpace(root, sectors, bytes, free, total);
  }
  static BOOL WINAPI VolumeFlags(HANDLE file, LPWSTR name, DWORD nameLength, LPDWORD serial, LPDWORD component,
                                 LPDWORD flags, LPWSTR system, DWORD systemLength) {
    ++active->volumeQuestions;
    if (!RealEraseCalls().getVolumeInformationByHandle(file, name, nameLength, serial, component, flags, system,
                                                       systemLength))
      return FALSE;
    *flags |= active->volumeFlags;
    return TRUE;
  }
  static BOOL WINAPI Read(HANDLE file, LPVOID data, DWORD length, LPDWORD read, LPOVERLAPPED overlapped) {
    ++active->reads;
    return RealEraseCalls().readFile(file, data, length, read, overlapped);
  }
};
EraseHooks* EraseHooks::active = nullptr;

struct EraseRun {
  EraseRun() {
    hooks.calls->writeFile = &EraseHooks::Write;
    hooks.calls->getFileInformationByHandle = &EraseHooks::Information;
    hooks.calls->readFile = &EraseHooks::Read;
    hooks.calls->deviceIoControl = &EraseHooks::Control;
    hooks.calls->getVolumePathName = &EraseHooks::VolumePath;
    hooks.calls->getDiskFreeSpace = &EraseHooks::DiskFree;
    hooks.calls->getVolumeInformationByHandle = &EraseHooks::VolumeFlags;
    settings.EraseMethod = ZeroPass;
    folders = {W(temp.MakeFolder("F"))};
  }
  void Go(FolderOperation& operation) {
    ResetProgressLines();
    WorkerMain(operation);
  }
  TempFolder temp{"x"};
  EraseHooks hooks;
  Settings settings;
  SelectedFolders folders;
};

TEST(WorkerEraseReach, CancelWithinAPassStopsAtTheNextChunkAndKeepsTheFile) {
  EraseRun run;
  const std::string content(3 * kMiB, 's');
  const std::string file = run.temp.MakeFile("F\\big.bin", content);
  FolderOperation operation(run.settings, run.folders, ModeErase);
  run.hooks.operation = &operation;
  run.Go(operation);
  EXPECT_EQ(1, run.hooks.writes) << "no chunk after the one the click came in";
  EXPECT_EQ(1u, operation.fileErrors);
  EXPECT_EQ(0u, operation.filesDeleted);
  EXPECT_EQ(std::string(kMiB, '\0') + content.substr(kMiB), ReadFileBytes(file)) << "kept, partly erased";
}

TEST(WorkerEraseReach, FilesNotOverwrittenInPlaceAreRemovedAndCountedOnTheirOwnLine) {
  EraseRun run;
  run.temp.MakeFile("F\\a.bin", std::string(5000, 'a'));
  run.temp.MakeFile("F\\b.bin", std::string(100, 'b'));
  run.temp.MakeFile("F\\c.bin", std::string(300, 'c'));
  run.hooks.attributes = {FILE_ATTRIBUTE_COMPRESSED, FILE_ATTRIBUTE_ENCRYPTED, 0};
  run.settings.DeleteReport = 1;
  FolderOperation operation(run.settings, run.folders, ModeErase);
  run.Go(operation);
  EXPECT_EQ(3u, operation.filesDeleted);
  EXPECT_EQ(2u, operation.notInPlace) << "the compressed and the encrypted one";
  EXPECT_EQ(1, run.hooks.decompressions);
  EXPECT_EQ(0u, operation.fileErrors);
  EXPECT_FALSE(Exists(run.temp.Sub("F")));
  const std::wstring report = ComposeReport(operation);
  EXPECT_NE(std::wstring::npos,
            report.find(L"\n2 files could not be overwritten in place (compressed, encrypted or sparse)."))
      << wide_tree::U8(report);
}

// Every file of the tree lies on the selected folder's volume: its root,
// units and flags are asked for once, and what the volume said of its
// writes holds for each file.
TEST(WorkerEraseReach, TheVolumeIsAskedOnceForTheWholeRun) {
  EraseRun run;
  run.temp.MakeFolder("F\\S\\T");
  for (const char* name : {"F\\a.bin", "F\\b.bin", "F\\S\\c.bin", "F\\S\\d.bin", "F\\S\\T\\e.bin"})
    run.temp.MakeFile(name, std::string(1024, 'k'));
  run.hooks.volumeFlags = FILE_SUPPORTS_INTEGRITY_STREAMS;
  FolderOperation operation(run.settings, run.folders, ModeErase);
  run.Go(operation);
  EXPECT_EQ(5u, operation.filesDeleted);
  EXPECT_EQ(5u, operation.notInPlace) << "the one answer stands for every file";
  EXPECT_EQ(0u, operation.fileErrors + operation.folderErrors);
  EXPECT_EQ(3, run.hooks.volumeQuestions) << "root, units, flags: once";
  EXPECT_EQ(1u, operation.volumes.size());
  EXPECT_FALSE(Exists(run.temp.Sub("F")));
}

TEST(WorkerEraseReach, VerifySettingReadsTheLastPassBack) {
  for (const int32_t verify : {0, 1}) {
    EraseRun run;
    run.temp.MakeFile("F\\v.bin", std::string(2 * kMiB + 3, 'v'));
    run.settings.EraseVerify = verify;
    run.settings.EraseMethod = DoD3Pass;
    FolderOperation operation(run.settings, run.folders, ModeErase);
    run.Go(operation);
    EXPECT_EQ(1u, operation.filesDeleted);
    EXPECT_EQ(0u, operation.notInPlace);
    EXPECT_EQ(verify ? 3 : 0, run.hooks.reads) << "each chunk of the last pass, slack included";
  }
}

}  // namespace
