// The folder walker on real folders under Wine and on in-memory trees served
// through its platform table.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "FakeListing.h"
#include "TestSupport.h"
#include "operations/FolderWalker.h"
#include "tests/win/operations/WideTree.h"

using engine_test::FakeEntry;
using engine_test::FakeListing;
using wide_tree::W;
using wide_tree::WideTemp;

namespace {

constexpr DWORD kDir = FILE_ATTRIBUTE_DIRECTORY;
constexpr DWORD kFile = FILE_ATTRIBUTE_ARCHIVE;
constexpr DWORD kDirLink = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
constexpr DWORD kFileLink = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT;

struct Visit {
  std::wstring path;
  int32_t kind;
  DWORD error = 0;  // the last error at an unlisted folder
  bool operator==(const Visit& other) const {
    return path == other.path && kind == other.kind && error == other.error;
  }
};
std::ostream& operator<<(std::ostream& out, const Visit& v) {
  return out << "(" << wide_tree::U8(v.path) << ", " << v.kind << ", " << v.error << ")";
}
using Visits = std::vector<Visit>;

// Records every call; optionally answers `stopWith` at the call for `stopAt`.
struct Recorder {
  Visits visits;
  std::wstring stopAt;
  int32_t stopWith = 0;

  static int32_t Callback(const wchar_t* path, int32_t kind, void* context) {
    const DWORD error = kind == EntryUnlisted ? ::GetLastError() : 0;
    Recorder& self = *static_cast<Recorder*>(context);
    self.visits.push_back({path, kind, error});
    return self.stopAt == path ? self.stopWith : 0;
  }
  int32_t Walk(const std::wstring& folder, bool recurse, const char* masks = "*", int32_t include = 1) {
    WalkOptions options{recurse, include, masks, &Recorder::Callback, this};
    return WalkFolder(folder.c_str(), options);
  }
};

TEST(WalkOrder, SubfolderTreesComeFirstThenFilesThenTheFolder) {
  WideTemp temp;
  const std::wstring f = temp.path();
  temp.File(L"a.txt");
  temp.File(L"S\\b.txt");
  Recorder deep;
  EXPECT_EQ(0, deep.Walk(f, 1));
  EXPECT_EQ((Visits{{f + L"\\S\\b.txt", 0}, {f + L"\\S", 1}, {f + L"\\a.txt", 0}, {f, 1}}), deep.visits);

  Recorder flat;
  EXPECT_EQ(0, flat.Walk(f, 0));
  EXPECT_EQ((Visits{{f + L"\\a.txt", 0}, {f, 1}}), flat.visits);

  Recorder empty;
  EXPECT_EQ(0, empty.Walk(temp.Folder(L"S\\E"), 1));
  EXPECT_EQ((Visits{{f + L"\\S\\E", 1}}), empty.visits);
}

TEST(WalkOrder, FinalFolderResultIsTheWalksResult) {
  WideTemp temp;
  Recorder recorder;
  recorder.stopAt = temp.path();
  recorder.stopWith = 42;
  EXPECT_EQ(42, recorder.Walk(temp.path(), 1));
}

TEST(WalkOrder, DotEntriesAreSkippedButThreeDotsAreAName) {
  FakeListing fake;
  fake.folders[L"F"].entries = {{L".", kDir}, {L"..", kDir}, {L"...", kFile}, {L"..", kFile}, {L"...", kDir}};
  fake.folders[L"F\\..."].entries = {{L".", kDir}, {L"..", kDir}};
  Recorder recorder;
  EXPECT_EQ(0, recorder.Walk(L"F", 1));
  EXPECT_EQ((Visits{{L"F\\...", 1}, {L"F\\...", 0}, {L"F", 1}}), recorder.visits);
}

TEST(WalkOrder, ARootsOwnSeparatorIsNeverDoubled) {
  // "\\?\T:\\x" would name nothing on Windows: its file systems take no
  // empty name.
  FakeListing fake;
  fake.folders[L"C:\\"].entries = {{L"x", kFile}};
  Recorder recorder;
  EXPECT_EQ(0, recorder.Walk(L"C:\\", 0));
  EXPECT_EQ((Visits{{L"C:\\x", 0}, {L"C:\\", 1}}), recorder.visits);
}

TEST(WalkOrder, AListingWithNothingAtAllIsAnEmptyFolder) {
  FakeListing fake;
  fake.folders[L"R"].entries = {};  // a drive's root lists neither "." nor ".."
  Recorder recorder;
  EXPECT_EQ(0, recorder.Walk(L"R", 1));
  EXPECT_EQ((Visits{{L"R", 1}}), recorder.visits);
}

TEST(WalkMasks, IncludeAndExcludeSense) {
  WideTemp temp;
  const std::wstring f = temp.path();
  for (const wchar_t* name : {L"x.tmp", L"x.bak", L"x.doc"}) temp.File(name);
  temp.Folder(L"sub.tmp");

  Recorder include;
  EXPECT_EQ(0, include.Walk(f, 0, "*.tmp;;*.bak;", 1));
  Visits got = include.visits;
  std::sort(got.begin(), got.end() - 1, [](const Visit& a, const Visit& b) { return a.path < b.path; });
  EXPECT_EQ((Visits{{f + L"\\x.bak", 0}, {f + L"\\x.tmp", 0}, {f, 1}}), got);

  Recorder exclude;
  EXPECT_EQ(0, exclude.Walk(f, 1, "*.tmp;*.bak", 0));
  EXPECT_EQ((Visits{{f + L"\\sub.tmp", 1}, {f + L"\\x.doc", 0}, {f, 1}}), exclude.visits)
      << "folders are never tested against the masks";
}

TEST(WalkMasks, MaskMatchOnWideNames) {
  EXPECT_EQ(1, MaskMatch(L"x.TMP", "*.tmp", 1)) << "case is PathMatchSpec's business";
  EXPECT_EQ(0, MaskMatch(L"x.tmp", "*.tmp", 0));
  EXPECT_EQ(1, MaskMatch(L"x.doc", "*.tmp;*.bak", 0));
  EXPECT_EQ(1, MaskMatch(L"x.bak", ";;*.tmp;;*.bak;", 1)) << "empty pieces skipped, later masks still tried";
  EXPECT_EQ(0, MaskMatch(L"x.tmp", "", 1)) << "no masks select nothing in include sense";
  EXPECT_EQ(1, MaskMatch(L"x.tmp", ";;", 0)) << "and everything in exclude sense";
  EXPECT_EQ(1, MaskMatch(L"a1.txt", "a?.txt", 1));
  EXPECT_EQ(0, MaskMatch(L"ab1.txt", "a?.txt", 1));
  // Names outside the code page: the wild cards still take them.
  EXPECT_EQ(1, MaskMatch(L"\x65E5\x672C.tmp", "*.tmp", 1));
  EXPECT_EQ(1, MaskMatch(L"\xD83D\xDE00.log", "*.tmp;*.log", 1)) << "a character outside the BMP";
  EXPECT_EQ(0, MaskMatch(L"\x65E5\x672C.doc", "*.tmp", 1));
  // Masks come in the user's code page: 0xE9 is "e acute" in code page 1252.
  EXPECT_EQ(1, MaskMatch(L"caf\xE9.txt", "caf\xE9.*", 1));
}

TEST(WalkStop, CallbackResultEndsTheWalkAtOnce) {
  WideTemp temp;
  const std::wstring f = temp.path();
  temp.File(L"a.txt");
  temp.File(L"b.txt");
  temp.File(L"S\\c.txt");

  Recorder onFirstFile;
  onFirstFile.stopAt = f + L"\\S\\c.txt";
  onFirstFile.stopWith = -1;
  EXPECT_EQ(-1, onFirstFile.Walk(f, 1));
  EXPECT_EQ(1u, onFirstFile.visits.size()) << "no further file and no folder-done call";

  Recorder inFilePass;
  inFilePass.stopAt = f + L"\\a.txt";
  inFilePass.stopWith = -1;
  EXPECT_EQ(-1, inFilePass.Walk(f, 0));
  EXPECT_EQ(inFilePass.stopAt, inFilePass.visits.back().path);
  for (const Visit& v : inFilePass.visits) EXPECT_EQ(0, v.kind);

  Recorder onFolder;
  onFolder.stopAt = f + L"\\S";
  onFolder.stopWith = 1223;
  EXPECT_EQ(1223, onFolder.Walk(f, 1));
  EXPECT_EQ((Visits{{f + L"\\S\\c.txt", 0}, {f + L"\\S", 1}}), onFolder.visits) << "files of the parent come after";
}

TEST(WalkFailures, UnlistableSubfolderIsReportedAndTheRestIsWalked) {
  FakeListing fake;
  fake.folders[L"F"].entries = {{L".", kDir}, {L"a.txt", kFile}, {L"A", kDir}, {L"S", kDir}, {L"Z", kDir}};
  fake.folders[L"F\\A"].entries = {{L"in.txt", kFile}};
  fake.folders[L"F\\S"].openError = ERROR_ACCESS_DENIED;
  fake.folders[L"F\\Z"].entries = {{L"z.txt", kFile}};
  Recorder recorder;
  EXPECT_EQ(0, recorder.Walk(L"F", 1));
  EXPECT_EQ((Visits{{L"F\\A\\in.txt", 0},
                    {L"F\\A", 1},
                    {L"F\\S", EntryUnlisted, ERROR_ACCESS_DENIED},
                    {L"F\\Z\\z.txt", 0},
                    {L"F\\Z", 1},
                    {L"F\\a.txt", 0},
                    {L"F", 1}}),
            recorder.visits);
  EXPECT_EQ(0, fake.openNow);
}

TEST(WalkFailures, ListingBrokenMidwayReportsTheFolderUnlisted) {
  for (const bool inFilePass : {false, true}) {
    FakeListing fake;
    fake.folders[L"P"].entries = {{L"F", kDir}, {L"next.txt", kFile}};
    fake.folders[L"P\\F"].entries = {{L"a.txt", kFile}, {L"b.txt", kFile}, {L"c.txt", kFile}};
    fake.folders[L"P\\F"].failAfter = 2;
    fake.folders[L"P\\F"].nextError = ERROR_NOT_READY;
    Recorder recorder;
    if (inFilePass) {
      EXPECT_EQ(0, recorder.Walk(L"P\\F", 0));
      EXPECT_EQ((Visits{{L"P\\F\\a.txt", 0}, {L"P\\F\\b.txt", 0}, {L"P\\F", EntryUnlisted, ERROR_NOT_READY}}),
                recorder.visits);
    } else {
      EXPECT_EQ(0, recorder.Walk(L"P", 1));
      EXPECT_EQ((Visits{{L"P\\F", EntryUnlisted, ERROR_NOT_READY}, {L"P\\next.txt", 0}, {L"P", 1}}), recorder.visits)
          << "the subfolder pass fails before any file; the parent goes on";
    }
    EXPECT_EQ(0, fake.openNow);
  }
}

TEST(WalkFailures, FailureWithoutALastErrorIsStillAFailure) {
  FakeListing fake;
  fake.folders[L"F"].entries = {{L"a.txt", kFile}};
  fake.folders[L"F"].failAfter = 1;
  fake.folders[L"F"].nextError = ERROR_SUCCESS;
  Recorder recorder;
  EXPECT_EQ(0, recorder.Walk(L"F", 0));
  ASSERT_EQ(2u, recorder.visits.size());
  EXPECT_EQ(EntryUnlisted, recorder.visits[1].kind) << "the folder is not reported as done";
  EXPECT_NE(0u, recorder.visits[1].error);
}

TEST(WalkFailures, MissingFolderUnderWine) {
  WideTemp temp;
  for (const int32_t recurse : {1, 0}) {
    Recorder recorder;
    EXPECT_EQ(0, recorder.Walk(temp.Sub(L"gone"), recurse));
    EXPECT_EQ((Visits{{temp.Sub(L"gone"), EntryUnlisted, ERROR_FILE_NOT_FOUND}}), recorder.visits)
        << "the folder's own opening fails";
  }
}

TEST(WalkListings, DepthCostsNoStackAndEveryListingIsClosed) {
  FakeListing fake;
  std::wstring path = L"R";
  constexpr int kLevels = 2500;  // deeper than a recursion of listings fits in a thread stack
  for (int level = 0; level < kLevels; ++level) {
    fake.folders[path].entries = {{L".", kDir}, {L"..", kDir}, {L"f", kFile}, {L"d", kDir}};
    path += L"\\d";
  }
  fake.folders[path].entries = {{L"f", kFile}};
  Recorder recorder;
  EXPECT_EQ(0, recorder.Walk(L"R", 1));
  ASSERT_EQ(2u * (kLevels + 1), recorder.visits.size());
  EXPECT_EQ((Visit{path + L"\\f", 0}), recorder.visits.front()) << "deepest file first";
  EXPECT_EQ((Visit{L"R", 1}), recorder.visits.back());
  EXPECT_EQ(0, fake.openNow);
  EXPECT_LE(fake.openMost, kLevels + 1) << "one listing per level";
  EXPECT_EQ(2u * (kLevels + 1), fake.opened.size()) << "every level is listed twice with recurse";
}

TEST(WalkLinks, LinksAreHandedOverAsLinksAndNeverListed) {
  FakeListing fake;
  fake.folders[L"F"].entries = {{L"L", kDirLink}, {L"S", kDir}, {L"f", kFileLink}};
  fake.folders[L"F\\L"].entries = {{L"precious.txt", kFile}};
  fake.folders[L"F\\S"].entries = {{L"L2", kDirLink}};
  fake.folders[L"F\\S\\L2"].entries = {{L"precious.txt", kFile}};
  Recorder recorder;
  EXPECT_EQ(0, recorder.Walk(L"F", 1));
  EXPECT_EQ((Visits{{L"F\\L", EntryLink}, {L"F\\S\\L2", EntryLink}, {L"F\\S", 1}, {L"F\\f", EntryLink}, {L"F", 1}}),
            recorder.visits);
  for (const std::wstring& pattern : fake.opened) EXPECT_EQ(std::wstring::npos, pattern.find(L'L'));
}

TEST(WalkLinks, OnlyNameSurrogateReparsePointsAreLinks) {
  FakeListing fake;
  // Leftover tags of earlier entries must not stick to later ones.
  fake.folders[L"F"].entries = {{L"junction", kDirLink, 0xA0000003},
                                {L"cloud", kDirLink, 0x9000001A},  // a cloud placeholder: contents of its own
                                {L"unknown", kDirLink},
                                {L"symlink", kDirLink, 0xA000000C}};
  fake.folders[L"F\\cloud"].entries = {{L"inside.txt", kFile}};
  Recorder recorder;
  EXPECT_EQ(0, recorder.Walk(L"F", 1));
  EXPECT_EQ((Visits{{L"F\\junction", EntryLink}, {L"F\\cloud\\inside.txt", 0}, {L"F\\cloud", 1},
                    {L"F\\unknown", EntryLink}, {L"F\\symlink", EntryLink}, {L"F", 1}}),
            recorder.visits);
  EXPECT_EQ(0, fake.openNow);
}

// Folders that changed between their parent's listing and their opening:
// a swap for a link whose handle says so (Windows), a swap Wine shows only
// by the file id (the handle is the link's target), and a cloud placeholder
// whose handle is a reparse point with contents of its own.
TEST(WalkLinks, AFolderSwappedAfterItsListingIsNeverEntered) {
  FakeListing fake;
  fake.folders[L"F"].entries = {{L"J", kDir}, {L"W", kDir}, {L"C", kDir}, {L"a", kFile}};
  fake.folders[L"F\\J"].entries = {{L"precious.txt", kFile}};
  fake.attributes[L"F\\J"] = kDirLink;
  fake.tags[L"F\\J"] = 0xA0000003;
  fake.folders[L"F\\W"].entries = {{L"precious.txt", kFile}};
  fake.openedIds[L"F\\W"] = 0x7777;
  fake.folders[L"F\\C"].entries = {{L"inside.txt", kFile}};
  fake.attributes[L"F\\C"] = kDirLink;
  fake.tags[L"F\\C"] = 0x9000001A;
  Recorder recorder;
  EXPECT_EQ(0, recorder.Walk(L"F", 1));
  EXPECT_EQ((Visits{{L"F\\J", EntryLink},
                    {L"F\\W", EntryLink},
                    {L"F\\C\\inside.txt", 0},
                    {L"F\\C", 1},
                    {L"F\\a", 0},
                    {L"F", 1}}),
            recorder.visits);
  for (const std::wstring& pattern : fake.opened) {
    EXPECT_NE(L"F\\J\\*", pattern);
    EXPECT_NE(L"F\\W\\*", pattern);
  }
  EXPECT_EQ(0, fake.openNow);
}

TEST(WalkLinks, TheWalksOwnFolderAsALinkIsEnteredOnlyWhenAsked) {
  for (const int32_t follow : {0, 1}) {
    FakeListing fake;
    fake.folders[L"L"].entries = {{L"x", kFile}};
    fake.attributes[L"L"] = kDirLink;
    fake.tags[L"L"] = 0xA000000C;
    Recorder recorder;
    WalkOptions options{1, 1, "*", &Recorder::Callback, &recorder};
    options.followOwnLink = follow;
    EXPECT_EQ(0, WalkFolder(L"L", options));
    const Visits expected = follow ? Visits{{L"L\\x", 0}, {L"L", 1}} : Visits{{L"L", EntryLink}};
    EXPECT_EQ(expected, recorder.visits) << follow;
  }
}

// What the visits are told of each entry's place, and the removals through
// it: a link only through its own handle, anything else only while it is
// what the listing showed.
struct Placed {
  WalkPlace place;
  std::vector<std::pair<std::wstring, int32_t>> removals;  // name, result
  std::vector<DWORD> errors;
  static int32_t Callback(const wchar_t*, int32_t kind, void* context) {
    Placed& self = *static_cast<Placed*>(context);
    if (kind == EntryUnlisted || !self.place.folder) return 0;
    const int32_t removed = RemoveEntryAt(self.place, kind);
    self.removals.emplace_back(std::wstring(self.place.name, self.place.nameLength), removed);
    self.errors.push_back(removed ? 0 : ::GetLastError());
    return 0;
  }
};

// A folder goes only while it is the one listed; a file goes as the name it
// was listed under in the held folder, whatever that name holds now, but
// never as a folder swapped in for it.
TEST(WalkLinks, EntriesAreRemovedThroughTheirOwnHandleAndNeverAsAFolderSwappedInForAFile) {
  for (const int32_t openToRemove : {0, 1}) {
    FakeListing fake;
    fake.folders[L"F"].entries = {{L"S", kDir}, {L"L", kDirLink}, {L"M", kDirLink},
                                  {L"a", kFile}, {L"b", kFile},    {L"d", kFile}};
    fake.folders[L"F\\S"].entries = {{L"c", kFile}};
    fake.attributes[L"F\\L"] = kDirLink;  // the link's own handle
    fake.tags[L"F\\L"] = 0xA0000003;
    fake.attributes[L"F\\M"] = kDir;  // followed, as Wine does for host links
    fake.openedIds[L"F\\b"] = 0x1234;  // replaced since the listing
    fake.attributes[L"F\\d"] = kDir;
    Placed placed;
    WalkOptions options{1, 1, "*", &Placed::Callback, &placed};
    options.place = &placed.place;
    options.openToRemove = openToRemove;
    EXPECT_EQ(0, WalkFolder(L"F", options));
    EXPECT_EQ((std::vector<std::pair<std::wstring, int32_t>>{
                  {L"c", 1}, {L"S", 1}, {L"L", 1}, {L"M", 0}, {L"a", 1}, {L"b", 1}, {L"d", 0}}),
              placed.removals);
    EXPECT_EQ((std::vector<DWORD>{0, 0, 0, ERROR_CANT_ACCESS_FILE, 0, 0, ERROR_ACCESS_DENIED}), placed.errors);
    EXPECT_EQ((std::vector<std::wstring>{L"F\\S\\c", L"F\\a", L"F\\b"}), fake.deleted);
    EXPECT_EQ((std::vector<std::wstring>{L"F\\S", L"F\\L"}), fake.removed) << "held " << openToRemove;
    EXPECT_EQ(0, fake.openNow);
  }
}

TEST(WalkLinks, LinkHelpersRemoveTheLinkItself) {
  FakeListing fake;
  fake.attributes[L"D"] = kDirLink;
  fake.attributes[L"f"] = kFileLink;
  fake.tags[L"f"] = 0xA000000C;
  fake.attributes[L"plain"] = kFile;
  fake.attributes[L"cloud"] = kDirLink;
  fake.tags[L"cloud"] = 0x9000001A;
  EXPECT_TRUE(IsLinkEntry(L"D"));
  EXPECT_TRUE(IsLinkEntry(L"f"));
  EXPECT_FALSE(IsLinkEntry(L"plain"));
  EXPECT_FALSE(IsLinkEntry(L"cloud"));
  EXPECT_FALSE(IsLinkEntry(L"missing"));
  EXPECT_EQ(0, fake.openNow);
  EXPECT_EQ(1, RemoveLinkEntry(L"D"));
  EXPECT_EQ(1, RemoveLinkEntry(L"f"));
  EXPECT_EQ((std::vector<std::wstring>{L"D"}), fake.removed);
  EXPECT_EQ((std::vector<std::wstring>{L"f"}), fake.deleted);
  ::SetLastError(0);
  EXPECT_EQ(0, RemoveLinkEntry(L"missing"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), ::GetLastError());
}

TEST(WalkLinks, RemoveLinkEntryReportsTheRemovalsError) {
  WideTemp temp;
  const std::wstring full = temp.File(L"S\\x.txt");
  ::SetLastError(0);
  EXPECT_EQ(0, RemoveLinkEntry(temp.Sub(L"S").c_str())) << "a folder with entries stays";
  EXPECT_EQ(static_cast<DWORD>(ERROR_DIR_NOT_EMPTY), ::GetLastError());
  EXPECT_TRUE(wide_tree::ExistsW(full));
}

TEST(WalkPaths, ExtendedAndShownForms) {
  EXPECT_EQ(L"\\\\?\\C:\\a b\\c", ExtendedPath(L"C:\\a b\\c\\"));
  EXPECT_EQ(L"\\\\?\\C:\\a\\c", ExtendedPath(L"C:/a/b/../c")) << "made full and plain before the prefix";
  EXPECT_EQ(L"\\\\?\\C:\\T\\proj.", ExtendedPath(L"C:\\T\\proj.")) << "the trailing dot is the name's own";
  EXPECT_EQ(L"\\\\?\\C:\\T\\proj \\con", ExtendedPath(L"C:\\T\\proj \\con"));
  EXPECT_EQ(L"\\\\?\\T:\\", ExtendedPath(L"T:\\")) << "a root keeps its separator: without it, it names the volume";
  EXPECT_EQ(L"\\\\?\\UNC\\server\\share\\x", ExtendedPath(L"\\\\server\\share\\x"));
  EXPECT_EQ(L"\\\\?\\D:\\already", ExtendedPath(L"\\\\?\\D:\\already"));
  EXPECT_EQ(L"C:\\a", ShownPath(L"\\\\?\\C:\\a"));
  EXPECT_EQ(L"\\\\server\\share\\x", ShownPath(L"\\\\?\\UNC\\server\\share\\x"));
  EXPECT_EQ(L"C:\\plain", ShownPath(L"C:\\plain"));
}

TEST(WalkPaths, ARelativePathIsJoinedToTheCurrentFolderWithItsNamesKept) {
  WideTemp temp;
  wchar_t saved[MAX_PATH] = {};
  ASSERT_GT(::GetCurrentDirectoryW(MAX_PATH, saved), 0u);
  ASSERT_TRUE(::SetCurrentDirectoryW(temp.path().c_str()));
  const std::wstring relative = ExtendedPath(L"rel\\proj.");
  const std::wstring rooted = ExtendedPath(L"\\top ");
  const std::wstring driveRelative = ExtendedPath(temp.path().substr(0, 2) + L"x.");
  ::SetCurrentDirectoryW(saved);
  EXPECT_EQ(L"\\\\?\\" + temp.path() + L"\\rel\\proj.", relative);
  EXPECT_EQ(L"\\\\?\\" + temp.path().substr(0, 2) + L"\\top ", rooted);
  EXPECT_EQ(L"\\\\?\\" + temp.path() + L"\\x.", driveRelative) << "the drive's current folder";
}

TEST(WalkPaths, IsEmptyFolder) {
  WideTemp temp;
  EXPECT_TRUE(IsEmptyFolder(temp.Folder(L"E").c_str()));
  temp.File(L"F\\x");
  EXPECT_FALSE(IsEmptyFolder(temp.Sub(L"F").c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_DIR_NOT_EMPTY), ::GetLastError());
  EXPECT_FALSE(IsEmptyFolder(temp.Sub(L"gone").c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), ::GetLastError());
}

}  // namespace

namespace {

struct Sizes {
  uint64_t current = 0;
  std::vector<std::pair<std::wstring, uint64_t>> seen;
  static int32_t Callback(const wchar_t* path, int32_t kind, void* context) {
    Sizes& self = *static_cast<Sizes*>(context);
    if (kind == EntryFile) self.seen.emplace_back(path, self.current);
    return 0;
  }
};

}  // namespace

TEST(WalkSizes, EachFileComesWithTheSizeItsListingReports) {
  WideTemp temp;
  temp.File(L"S\\three", "abc");
  temp.File(L"seven", "1234567");
  Sizes sizes;
  WalkOptions options{1, 1, "*", &Sizes::Callback, &sizes, &sizes.current};
  EXPECT_EQ(0, WalkFolder(temp.path().c_str(), options));
  EXPECT_EQ((std::vector<std::pair<std::wstring, uint64_t>>{{temp.Sub(L"S\\three"), 3}, {temp.Sub(L"seven"), 7}}),
            sizes.seen);
}
