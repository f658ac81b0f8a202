// Recycling a selected folder whole: one bin entry holding the tree, the
// report's counts from the count, and item by item where the bin refuses
// the folder or cannot be given every name in it.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DialogDriver.h"
#include "TestSupport.h"
#include "operations/FolderOperation.h"
#include "operations/OperationDialog.h"
#include "operations/RecyclePath.h"
#include "resources/ResourceIds.h"
#include "tests/win/operations/WideTree.h"
#include "tests/shared/SeamOverride.h"

using namespace testing_support;
using wide_tree::W;

namespace {

std::wstring TrashFolder(const wchar_t* part) {
  wchar_t data[MAX_PATH] = {};
  ::GetEnvironmentVariableW(L"XDG_DATA_HOME", data, MAX_PATH);
  std::wstring trash = std::wstring(L"Z:") + data + L"/Trash/" + part;
  for (wchar_t& c : trash)
    if (c == L'/') c = L'\\';
  return trash;
}

// The bin's entries whose original path holds `token`, by their names in
// the bin; each is taken out of the bin for good.
std::vector<std::wstring> TakeFromTrash(const std::string& token) {
  const std::wstring info = TrashFolder(L"info"), files = TrashFolder(L"files");
  std::vector<std::wstring> found;
  WIN32_FIND_DATAW entry;
  HANDLE listing = ::FindFirstFileW((info + L"\\*.trashinfo").c_str(), &entry);
  if (listing == INVALID_HANDLE_VALUE) return found;
  do {
    const std::wstring name = entry.cFileName;
    if (wide_tree::ReadBytesW(info + L"\\" + name).find(token) == std::string::npos) continue;
    found.push_back(name.substr(0, name.size() - 10));
  } while (::FindNextFileW(listing, &entry));
  ::FindClose(listing);
  for (const std::wstring& name : found) {
    wide_tree::RemoveTreeW(files + L"\\" + name);
    ::DeleteFileW((info + L"\\" + name + L".trashinfo").c_str());
  }
  return found;
}

std::string Token(const char* what) {
  return std::string("vw_") + what + "_" + std::to_string(::GetCurrentProcessId()) + "_" +
         std::to_string(::GetTickCount());
}

// Recycles the folders in the dialog, answering its question; the report.
std::string Recycle(const std::vector<std::string>& paths) {
  Settings settings;
  SelectedFolders folders;
  for (const std::string& path : paths) folders.push_back(W(path));
  FolderOperation operation(settings, folders, ModeRecycle);
  std::string report;
  DialogDriver::Run([&] { RunOperationDialog(operation, nullptr); },
                    [&](DialogDriver& d) {
                      if (!d.WaitForDialog()) return;
                      d.Click(IDOK);
                      if (DialogDriver::WaitUntil([&d] { return d.Text(IDCANCEL) == "E&xit"; })) report = d.Text(IDC_TEXT);
                      d.Click(IDCANCEL);
                    });
  return report;
}

// What the shell's file operation was given, and the folder it refuses
// once, as the bin refuses a folder too large for it.
std::vector<std::wstring> handedOver;
std::wstring refused;
int WINAPI RecordingFileOperation(LPSHFILEOPSTRUCTW request) {
  handedOver.push_back(request->pFrom);
  // Refused whole; once emptied, the folder fits.
  if (request->pFrom == refused) {
    refused.clear();
    return ERROR_ACCESS_DENIED;
  }
  return RealRecycleCalls().fileOperation(request);
}

struct RecordRecycling {
  explicit RecordRecycling(const std::string& refuse = std::string()) {
    handedOver.clear();
    refused = W(refuse);
    calls->fileOperation = &RecordingFileOperation;
  }
  SeamOverride<RecyclePlatform> calls{RecycleCalls()};
};

}  // namespace

TEST(RecycleWhole, EachSelectedFolderIsOneBinEntryHoldingTheWholeTree) {
  TempFolder temp("rw");
  const std::string token = Token("whole");
  const std::string a = temp.MakeFolder(token + "_A"), b = temp.MakeFolder(token + "_B");
  temp.MakeFile(token + "_A\\a.txt", std::string(1000, 'a'));
  temp.MakeFile(token + "_A\\S\\b.txt", std::string(2000, 'b'));
  temp.MakeFile(token + "_A\\S\\T\\c.txt", std::string(96, 'c'));
  temp.MakeFile(token + "_B\\d.txt", "d");
  const RecordRecycling record;
  const std::string report = Recycle({a, b});
  EXPECT_EQ(
      "Report:\n\n3.0 Kb diskspace has been freed\n4 files have been deleted (0 errors).\n"
      "4 folders have been removed (0 errors).",
      report);
  EXPECT_EQ((std::vector<std::wstring>{W(a), W(b)}), handedOver) << "one call per selected folder";
  EXPECT_FALSE(Exists(a));
  EXPECT_FALSE(Exists(b));
  const std::wstring files = TrashFolder(L"files") + L"\\";
  EXPECT_EQ(std::string(96, 'c'), wide_tree::ReadBytesW(files + W(token) + L"_A\\S\\T\\c.txt")) << "restored as a tree";
  EXPECT_EQ("d", wide_tree::ReadBytesW(files + W(token) + L"_B\\d.txt"));
  EXPECT_EQ(2u, TakeFromTrash(token).size()) << "one entry per selected folder";
}

TEST(RecycleWhole, AFolderTheBinRefusesWholeGoesItemByItem) {
  TempFolder temp("rf");
  const std::string token = Token("refused");
  const std::string f = temp.MakeFolder(token);
  temp.MakeFile(token + "\\a.txt", std::string(1000, 'a'));
  temp.MakeFile(token + "\\S\\b.txt", std::string(24, 'b'));
  const RecordRecycling record(f);
  const std::string report = Recycle({f});
  EXPECT_EQ(
      "Report:\n\n1.0 Kb diskspace has been freed\n2 files have been deleted (0 errors).\n"
      "2 folders have been removed (0 errors).",
      report);
  ASSERT_FALSE(handedOver.empty());
  EXPECT_EQ(W(f), handedOver.front()) << "asked whole first";
  EXPECT_EQ(5u, handedOver.size()) << "then each file and folder";
  EXPECT_FALSE(Exists(f));
  EXPECT_EQ(4u, TakeFromTrash(token).size()) << "one entry per item";
}

TEST(RecycleWhole, AFolderHoldingANameTheShellWouldChangeGoesItemByItemAndKeepsIt) {
  TempFolder temp("rn");
  const std::string token = Token("names");
  const std::string f = temp.MakeFolder(token);
  temp.MakeFile(token + "\\ok.txt", "ok");
  temp.MakeFile(token + "\\S\\b.txt", "b");
  const std::wstring trailing = W(f) + L"\\trail.";
  ASSERT_TRUE(wide_tree::MakeFileW(trailing, "kept"));
  const RecordRecycling record;
  const std::string report = Recycle({f});
  EXPECT_EQ(
      "Report:\n\n3 bytes diskspace has been freed\n2 files have been deleted (1 error).\n"
      "1 folder has been removed (1 error).",
      report);
  for (const std::wstring& path : handedOver) EXPECT_NE(W(f), path) << "never offered whole";
  EXPECT_EQ("kept", wide_tree::ReadBytesW(trailing)) << "never under another name";
  EXPECT_TRUE(Exists(f));
  EXPECT_FALSE(Exists(f + "\\S"));
  EXPECT_EQ(3u, TakeFromTrash(token).size());
}
