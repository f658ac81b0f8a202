// The names Erase takes away, on real trees through the worker: every file
// and every folder it removes renamed in its own folder first, under Delete
// none; and a folder whose removal fails found again under its own name.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "erase/ErasePlatform.h"
#include "erase/RandomName.h"
#include "operations/FolderOperation.h"
#include "base/FileSystemPlatform.h"
#include "operations/ProgressLines.h"
#include "operations/OperationWorker.h"
#include "tests/win/operations/WideTree.h"
#include "tests/shared/SeamOverride.h"

using namespace testing_support;
using wide_tree::W;

namespace {

struct Rename {
  HANDLE folder;
  std::wstring name;
};
std::vector<Rename> renames;
int renamesAllowed = -1;  // -1: every rename goes to the system

DWORD RecordRename(HANDLE entry, HANDLE folder, const wchar_t* name, uint32_t length) {
  renames.push_back({folder, std::wstring(name, length)});
  if (renamesAllowed >= 0 && static_cast<int>(renames.size()) > renamesAllowed) return ERROR_ACCESS_DENIED;
  return RealEraseCalls().renameAt(entry, folder, name, length);
}

// Refuses to remove folders by disposition, as a share might.
BOOL WINAPI KeepFolders(HANDLE entry, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID data, DWORD size) {
  FILE_BASIC_INFO basic;
  if (kind == FileDispositionInfo &&
      ::GetFileInformationByHandleEx(entry, FileBasicInfo, &basic, sizeof(basic)) &&
      (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    ::SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  return RealFileSystemCalls().setFileInformationByHandle(entry, kind, data, size);
}

struct EraseRun {
  explicit EraseRun(OperationMode mode) : mode(mode) {
    renames.clear();
    renamesAllowed = -1;
    erase->renameAt = RecordRename;
  }
  SeamOverride<ErasePlatform> erase{EraseCalls()};
  SeamOverride<FileSystemPlatform> fileSystem{FileSystemCalls()};
  void Go(const std::string& folder) {
    settings.EraseMethod = 0;
    folders = {W(folder)};
    FolderOperation operation(settings, folders, mode);
    ResetProgressLines();
    WorkerMain(operation);
    filesDeleted = operation.filesDeleted;
    foldersRemoved = operation.foldersRemoved;
    errors = operation.fileErrors + operation.folderErrors;
  }
  OperationMode mode;
  Settings settings;
  SelectedFolders folders;
  uint32_t filesDeleted = 0, foldersRemoved = 0, errors = 0;
};

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  const HANDLE listing = ::FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (listing == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = entry.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (::FindNextFileA(listing, &entry));
  ::FindClose(listing);
  return names;
}

}  // namespace

TEST(EraseNames, EveryFileAndSubfolderIsRenamedInItsOwnFolderUnderEraseAndNoneUnderDelete) {
  for (const OperationMode mode : {ModeErase, ModeDelete}) {
    TempFolder temp("n");
    const std::string top = temp.MakeFolder("F");
    temp.MakeFile("F\\top.txt", "one");
    temp.MakeFile("F\\Inner\\deep.bin", std::string(3000, 'd'));
    EraseRun run(mode);
    run.Go(top);
    EXPECT_EQ(0u, run.errors);
    EXPECT_EQ(2u, run.filesDeleted);
    EXPECT_EQ(2u, run.foldersRemoved);
    EXPECT_FALSE(Exists(top));
    if (mode == ModeDelete) {
      EXPECT_TRUE(renames.empty()) << "Delete renames nothing";
      continue;
    }
    // Seven names for each of top.txt, deep.bin and Inner, by length.
    std::map<size_t, std::vector<Rename>> byLength;
    for (const Rename& rename : renames) byLength[rename.name.size()].push_back(rename);
    ASSERT_EQ(3u * kEraseRenames, renames.size());
    ASSERT_EQ(kEraseRenames, byLength[7].size()) << "top.txt";
    ASSERT_EQ(kEraseRenames, byLength[8].size()) << "deep.bin";
    ASSERT_EQ(kEraseRenames, byLength[5].size()) << "Inner";
    // Inner is renamed in F, beside top.txt; deep.bin in Inner, elsewhere.
    for (const Rename& rename : byLength[5]) EXPECT_EQ(byLength[7].front().folder, rename.folder);
    for (const Rename& rename : byLength[8]) EXPECT_EQ(byLength[8].front().folder, rename.folder);
    EXPECT_NE(byLength[7].front().folder, byLength[8].front().folder);
  }
}

TEST(EraseNames, AFolderThatCannotBeRemovedKeepsItsNameOrWhereItsRenamesTookIt) {
  for (const bool wayBack : {true, false}) {
    TempFolder temp("n");
    const std::string top = temp.MakeFolder("F");
    temp.MakeFile("F\\Kept\\gone.txt", "x");
    EraseRun run(ModeErase);
    run.fileSystem->setFileInformationByHandle = KeepFolders;
    // The file's seven, the folder's seven; then the way back, or not.
    if (!wayBack) renamesAllowed = 2 * kEraseRenames;
    run.Go(top);
    EXPECT_EQ(1u, run.filesDeleted);
    EXPECT_EQ(2u, run.errors) << "Kept and F stay";
    ASSERT_EQ(2 * kEraseRenames + 1, renames.size());
    EXPECT_EQ(L"Kept", renames.back().name) << "its own name asked back";
    const std::vector<std::string> names = NamesIn(top);
    ASSERT_EQ(1u, names.size());
    if (wayBack)
      EXPECT_EQ("Kept", names.front());
    else
      EXPECT_EQ(std::string(renames[2 * kEraseRenames - 1].name.begin(), renames[2 * kEraseRenames - 1].name.end()),
                names.front()) << "renamed on the disk, in its parent";
    EXPECT_TRUE(NamesIn(top + "\\" + names.front()).empty());
  }
}
