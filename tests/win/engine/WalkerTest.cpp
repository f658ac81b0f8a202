// The folder walker on real folders under Wine and on in-memory trees served
// through its platform table.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "FakeListing.h"
#include "TestSupport.h"
#include "operations/FolderWalker.h"

using engine_test::FakeEntry;
using engine_test::FakeListing;
using testing_support::Exists;
using testing_support::TempFolder;

namespace {

constexpr DWORD kDir = FILE_ATTRIBUTE_DIRECTORY;
constexpr DWORD kFile = FILE_ATTRIBUTE_ARCHIVE;
constexpr DWORD kDirLink = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
constexpr DWORD kFileLink = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT;

struct Visit {
  std::string path;
  int32_t done;
  bool operator==(const Visit& other) const { return path == other.path && done == other.done; }
};
std::ostream& operator<<(std::ostream& out, const Visit& v) { return out << "(" << v.path << ", " << v.done << ")"; }
using Visits = std::vector<Visit>;

// Records every call; optionally answers `stopWith` at the call for `stopAt`.
struct Recorder {
  Visits visits;
  std::string stopAt;
  int32_t stopWith = 0;

  static int32_t Callback(const char* path, int32_t done, void* context) {
    Recorder& self = *static_cast<Recorder*>(context);
    self.visits.push_back({path, done});
    return self.stopAt == path ? self.stopWith : 0;
  }
  int32_t Walk(const std::string& folder, int32_t recurse, const char* masks = "*.*", int32_t include = 1) {
    WalkOptions options{recurse, include, masks, &Recorder::Callback, this};
    return WalkFolder(folder.c_str(), options);
  }
};

TEST(WalkOrder, SubfolderTreesComeFirstThenFilesThenTheFolder) {
  TempFolder temp;
  const std::string f = temp.path();
  temp.MakeFile("a.txt");
  temp.MakeFile("S\\b.txt");
  Recorder deep;
  EXPECT_EQ(0, deep.Walk(f, 1));
  EXPECT_EQ((Visits{{f + "\\S\\b.txt", 0}, {f + "\\S", 1}, {f + "\\a.txt", 0}, {f, 1}}), deep.visits);

  Recorder flat;
  EXPECT_EQ(0, flat.Walk(f, 0));
  EXPECT_EQ((Visits{{f + "\\a.txt", 0}, {f, 1}}), flat.visits);

  Recorder empty;
  EXPECT_EQ(0, empty.Walk(temp.MakeFolder("S\\E"), 1));
  EXPECT_EQ((Visits{{f + "\\S\\E", 1}}), empty.visits);
}

TEST(WalkOrder, FinalFolderResultIsTheWalksResult) {
  TempFolder temp;
  Recorder recorder;
  recorder.stopAt = temp.path();
  recorder.stopWith = 42;
  EXPECT_EQ(42, recorder.Walk(temp.path(), 1));
}

TEST(WalkOrder, DotEntriesAreSkippedButThreeDotsAreAName) {
  FakeListing fake;
  fake.folders["F"].entries = {{".", kDir}, {"..", kDir}, {"...", kFile}, {"..", kFile}, {"...", kDir}};
  fake.folders["F\\..."].entries = {{".", kDir}, {"..", kDir}};
  Recorder recorder;
  EXPECT_EQ(0, recorder.Walk("F", 1));
  EXPECT_EQ((Visits{{"F\\...", 1}, {"F\\...", 0}, {"F", 1}}), recorder.visits);
}

TEST(WalkOrder, PathsAreJoinedWithoutLookingAtTheParentsEnd) {
  FakeListing fake;
  fake.folders["C:\\"].entries = {{"x", kFile}};
  Recorder recorder;
  EXPECT_EQ(0, recorder.Walk("C:\\", 0));
  EXPECT_EQ("C:\\\\*.*", fake.opened.at(0));
  EXPECT_EQ((Visits{{"C:\\\\x", 0}, {"C:\\", 1}}), recorder.visits);
}

TEST(WalkMasks, IncludeAndExcludeSense) {
  TempFolder temp;
  const std::string f = temp.path();
  for (const char* name : {"x.tmp", "x.bak", "x.doc"}) temp.MakeFile(name);
  temp.MakeFolder("sub.tmp");

  Recorder include;
  EXPECT_EQ(0, include.Walk(f, 0, "*.tmp;;*.bak;", 1));
  Visits got = include.visits;
  std::sort(got.begin(), got.end() - 1, [](const Visit& a, const Visit& b) { return a.path < b.path; });
  EXPECT_EQ((Visits{{f + "\\x.bak", 0}, {f + "\\x.tmp", 0}, {f, 1}}), got);

  Recorder exclude;
  EXPECT_EQ(0, exclude.Walk(f, 1, "*.tmp;*.bak", 0));
  EXPECT_EQ((Visits{{f + "\\sub.tmp", 1}, {f + "\\x.doc", 0}, {f, 1}}), exclude.visits)
      << "folders are never tested against the masks";
}

TEST(WalkMasks, MaskMatchOverPathMatchSpec) {
  EXPECT_EQ(1, MaskMatch("x.TMP", "*.tmp", 1)) << "case is PathMatchSpecA's business";
  EXPECT_EQ(0, MaskMatch("x.tmp", "*.tmp", 0));
  EXPECT_EQ(1, MaskMatch("x.doc", "*.tmp;*.bak", 0));
  EXPECT_EQ(1, MaskMatch("x.bak", ";;*.tmp;;*.bak;", 1)) << "empty pieces skipped, later masks still tried";
  EXPECT_EQ(0, MaskMatch("x.tmp", "", 1)) << "no masks select nothing in include sense";
  EXPECT_EQ(1, MaskMatch("x.tmp", ";;", 0)) << "and everything in exclude sense";
  EXPECT_EQ(1, MaskMatch("a1.txt", "a?.txt", 1));
  EXPECT_EQ(0, MaskMatch("ab1.txt", "a?.txt", 1));
}

TEST(WalkStop, CallbackResultEndsTheWalkAtOnce) {
  TempFolder temp;
  const std::string f = temp.path();
  temp.MakeFile("a.txt");
  temp.MakeFile("b.txt");
  temp.MakeFile("S\\c.txt");

  Recorder onFirstFile;
  onFirstFile.stopAt = f + "\\S\\c.txt";
  onFirstFile.stopWith = -1;
  EXPECT_EQ(-1, onFirstFile.Walk(f, 1));
  EXPECT_EQ(1u, onFirstFile.visits.size()) << "no further file and no folder-done call";

  Recorder inFilePass;
  inFilePass.stopAt = f + "\\a.txt";
  inFilePass.stopWith = -1;
  EXPECT_EQ(-1, inFilePass.Walk(f, 0));
  EXPECT_EQ(inFilePass.stopAt, inFilePass.visits.back().path);
  for (const Visit& v : inFilePass.visits) EXPECT_EQ(0, v.done);

  Recorder onFolder;
  onFolder.stopAt = f + "\\S";
  onFolder.stopWith = 1223;
  EXPECT_EQ(1223, onFolder.Walk(f, 1));
  EXPECT_EQ((Visits{{f + "\\S\\c.txt", 0}, {f + "\\S", 1}}), onFolder.visits) << "files of the parent come after";
}

TEST(WalkFailures, UnlistableSubfolderEndsTheWholeWalk) {
  FakeListing fake;
  fake.folders["F"].entries = {{".", kDir}, {"a.txt", kFile}, {"A", kDir}, {"S", kDir}, {"Z", kDir}};
  fake.folders["F\\A"].entries = {{"in.txt", kFile}};
  fake.folders["F\\S"].openError = ERROR_ACCESS_DENIED;
  fake.folders["F\\Z"].entries = {{"z.txt", kFile}};
  Recorder recorder;
  EXPECT_EQ(ERROR_ACCESS_DENIED, recorder.Walk("F", 1));
  EXPECT_EQ((Visits{{"F\\A\\in.txt", 0}, {"F\\A", 1}}), recorder.visits)
      << "neither Z, nor the parent's files, nor the parent itself";
  EXPECT_EQ(0, fake.openNow);
}

TEST(WalkFailures, ListingBrokenMidwayEndsTheWalkWithItsError) {
  for (const bool inFilePass : {false, true}) {
    FakeListing fake;
    fake.folders["F"].entries = {{"a.txt", kFile}, {"b.txt", kFile}, {"c.txt", kFile}};
    fake.folders["F"].failAfter = 2;
    fake.folders["F"].nextError = ERROR_NOT_READY;
    Recorder recorder;
    EXPECT_EQ(ERROR_NOT_READY, recorder.Walk("F", inFilePass ? 0 : 1));
    EXPECT_EQ(0, fake.openNow);
    if (inFilePass) EXPECT_EQ((Visits{{"F\\a.txt", 0}, {"F\\b.txt", 0}}), recorder.visits);
    else EXPECT_TRUE(recorder.visits.empty()) << "the subfolder pass fails before any file";
  }
}

TEST(WalkFailures, FailureWithoutALastErrorIsStillAFailure) {
  FakeListing fake;
  fake.folders["F"].entries = {{"a.txt", kFile}};
  fake.folders["F"].failAfter = 1;
  fake.folders["F"].nextError = ERROR_SUCCESS;
  Recorder recorder;
  EXPECT_NE(0, recorder.Walk("F", 0));
  EXPECT_EQ(1u, recorder.visits.size()) << "the folder is not reported as done";
}

TEST(WalkFailures, MissingFolderUnderWine) {
  TempFolder temp;
  Recorder recorder;
  EXPECT_EQ(ERROR_PATH_NOT_FOUND, recorder.Walk(temp.Sub("gone"), 1));
  EXPECT_EQ(ERROR_PATH_NOT_FOUND, recorder.Walk(temp.Sub("gone"), 0));
  EXPECT_TRUE(recorder.visits.empty());
}

TEST(WalkListings, AtMostTwoListingsPerLevelAndAllClosed) {
  FakeListing fake;
  std::string path = "R";
  for (int level = 0; level < 200; ++level) {
    fake.folders[path].entries = {{".", kDir}, {"..", kDir}, {"f", kFile}, {"d", kDir}};
    path += "\\d";
  }
  fake.folders[path].entries = {{"f", kFile}};
  Recorder recorder;
  EXPECT_EQ(0, recorder.Walk("R", 1));
  ASSERT_EQ(2u * 201u, recorder.visits.size());
  EXPECT_EQ((Visit{path + "\\f", 0}), recorder.visits.front()) << "200 levels deep, deepest file first";
  EXPECT_EQ((Visit{"R", 1}), recorder.visits.back());
  EXPECT_EQ(0, fake.openNow);
  EXPECT_LE(fake.openMost, 201 + 1) << "one listing per level above, two at the deepest";
  EXPECT_EQ(2u * 201u, fake.opened.size()) << "every level is listed twice with recurse";
}

TEST(WalkLinks, DirectoryLinkIsReportedAsDoneAndNeverListed) {
  FakeListing fake;
  fake.folders["F"].entries = {{"L", kDirLink}, {"S", kDir}, {"f", kFileLink}};
  fake.folders["F\\L"].entries = {{"precious.txt", kFile}};
  fake.folders["F\\S"].entries = {};
  fake.folders["F\\S"].entries = {{"L2", kDirLink}};
  fake.folders["F\\S\\L2"].entries = {{"precious.txt", kFile}};
  Recorder recorder;
  EXPECT_EQ(0, recorder.Walk("F", 1));
  EXPECT_EQ((Visits{{"F\\L", 1}, {"F\\S\\L2", 1}, {"F\\S", 1}, {"F\\f", 0}, {"F", 1}}), recorder.visits);
  for (const std::string& pattern : fake.opened) EXPECT_EQ(std::string::npos, pattern.find('L')) << pattern;
}

TEST(WalkLinks, LinkHelpersRemoveTheLinkItself) {
  FakeListing fake;
  fake.attributes["D"] = kDirLink;
  fake.attributes["f"] = kFileLink;
  fake.attributes["plain"] = kFile;
  EXPECT_TRUE(IsLinkEntry("D"));
  EXPECT_TRUE(IsLinkEntry("f"));
  EXPECT_FALSE(IsLinkEntry("plain"));
  EXPECT_FALSE(IsLinkEntry("missing"));
  EXPECT_EQ(1, RemoveLinkEntry("D"));
  EXPECT_EQ(1, RemoveLinkEntry("f"));
  EXPECT_EQ((std::vector<std::string>{"D"}), fake.removed);
  EXPECT_EQ((std::vector<std::string>{"f"}), fake.deleted);
  ::SetLastError(0);
  EXPECT_EQ(0, RemoveLinkEntry("missing"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), ::GetLastError());
}

TEST(WalkLinks, RemoveLinkEntryReportsTheRemovalsError) {
  TempFolder temp;
  const std::string full = temp.MakeFile("S\\x.txt");
  ::SetLastError(0);
  EXPECT_EQ(0, RemoveLinkEntry(temp.Sub("S").c_str())) << "a folder with entries stays";
  EXPECT_EQ(static_cast<DWORD>(ERROR_DIR_NOT_EMPTY), ::GetLastError());
  EXPECT_TRUE(Exists(full));
}

}  // namespace
