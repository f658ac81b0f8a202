// Trees that tests/win/engine/host-tree.sh builds from the host side of the
// prefix: real directory symbolic links, and a folder of 20,000 files. The
// tests are disabled for the ordinary run and started by that script, which
// names the tree's root in VARNOKE_HOST_TREE and checks the links' targets
// again from the host afterwards.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>

#include "EraseSpy.h"
#include "TestSupport.h"
#include "erase/Eraser.h"
#include "operations/FolderWalker.h"

using engine_test::Wide;
using testing_support::Exists;
using testing_support::ReadFileBytes;

namespace {

std::string HostTree() {
  char root[MAX_PATH] = {};
  const DWORD length = ::GetEnvironmentVariableA("VARNOKE_HOST_TREE", root, MAX_PATH);
  return length > 0 && length < MAX_PATH ? root : "";
}

enum class Mode { Delete, Erase, Clean };

// Does with each entry what the operation worker does, links included.
struct WorkerLike {
  explicit WorkerLike(Mode m) : mode(m) {}
  Mode mode;
  std::vector<std::pair<std::string, int32_t>> visits;
  int fileErrors = 0;
  int folderErrors = 0;

  static int32_t Visit(const char* path, int32_t done, void* context) {
    WorkerLike& self = *static_cast<WorkerLike*>(context);
    self.visits.emplace_back(path, done);
    if (done && self.mode == Mode::Clean) return 0;
    BOOL removed;
    if (IsLinkEntry(path)) removed = RemoveLinkEntry(path);
    else if (done) removed = ::RemoveDirectoryA(path);
    else if (self.mode == Mode::Erase) removed = EraseAndDelete(Wide(path).c_str(), DoD3Pass, nullptr, nullptr);
    else removed = ::DeleteFileA(path);
    if (!removed) ++(done ? self.folderErrors : self.fileErrors);
    return 0;
  }
};

class DISABLED_HostTree : public testing::Test {
 protected:
  void SetUp() override {
    root_ = HostTree();
    if (root_.empty()) GTEST_SKIP() << "VARNOKE_HOST_TREE is not set: run tests/win/engine/host-tree.sh";
  }
  // The target's files, read through Windows.
  void ExpectTargetIntact(const std::string& base) {
    EXPECT_EQ("keep me", ReadFileBytes(base + "\\target\\keep.txt"));
    EXPECT_EQ("keep me too", ReadFileBytes(base + "\\target\\x.tmp"));
    EXPECT_EQ("deep", ReadFileBytes(base + "\\target\\deep\\keep.tmp"));
  }
  void ExpectNothingVisitedThroughLinks(const WorkerLike& run, const std::string& sel) {
    for (const auto& visit : run.visits) {
      EXPECT_NE(0u, visit.first.rfind(sel + "\\link\\", 0)) << visit.first;
      EXPECT_NE(0u, visit.first.rfind(sel + "\\sub\\deeplink\\", 0)) << visit.first;
    }
  }
  std::string root_;
};

TEST_F(DISABLED_HostTree, LinksToFoldersLookLikeLinks) {
  const std::string sel = root_ + "\\delete\\sel";
  EXPECT_TRUE(IsLinkEntry((sel + "\\link").c_str()));
  EXPECT_FALSE(IsLinkEntry((sel + "\\sub").c_str()));
  EXPECT_FALSE(IsLinkEntry((sel + "\\a.txt").c_str()));
}

TEST_F(DISABLED_HostTree, DeleteRemovesTheSelectionButNothingALinkPointsTo) {
  const std::string base = root_ + "\\delete";
  const std::string sel = base + "\\sel";
  WorkerLike run{Mode::Delete};
  WalkOptions options{1, 1, "*.*", &WorkerLike::Visit, &run};
  EXPECT_EQ(0, WalkFolder(sel.c_str(), options));
  ExpectNothingVisitedThroughLinks(run, sel);
  const std::set<std::pair<std::string, int32_t>> visits(run.visits.begin(), run.visits.end());
  EXPECT_EQ(1u, visits.count({sel + "\\link", 1})) << "the link is handed over as a finished folder";
  EXPECT_EQ(1u, visits.count({sel + "\\sub\\deeplink", 1}));
  EXPECT_FALSE(Exists(sel + "\\a.txt"));
  EXPECT_FALSE(Exists(sel + "\\sub\\c.tmp"));
  EXPECT_EQ(0, run.fileErrors);
  ExpectTargetIntact(base);
}

TEST_F(DISABLED_HostTree, ErasureOverwritesNothingALinkPointsTo) {
  const std::string base = root_ + "\\erase";
  const std::string sel = base + "\\sel";
  WorkerLike run(Mode::Erase);
  WalkOptions options{1, 1, "*.*", &WorkerLike::Visit, &run};
  EXPECT_EQ(0, WalkFolder(sel.c_str(), options));
  ExpectNothingVisitedThroughLinks(run, sel);
  EXPECT_FALSE(Exists(sel + "\\a.txt"));
  EXPECT_FALSE(Exists(sel + "\\b.tmp"));
  EXPECT_FALSE(Exists(sel + "\\sub\\c.tmp"));
  EXPECT_EQ(0, run.fileErrors);
  ExpectTargetIntact(base);
}

TEST_F(DISABLED_HostTree, CleanWithSubfoldersLeavesWhatALinkPointsTo) {
  const std::string base = root_ + "\\clean";
  const std::string sel = base + "\\sel";
  WorkerLike run{Mode::Clean};
  WalkOptions options{1, 1, "*.tmp", &WorkerLike::Visit, &run};
  EXPECT_EQ(0, WalkFolder(sel.c_str(), options));
  ExpectNothingVisitedThroughLinks(run, sel);
  EXPECT_FALSE(Exists(sel + "\\b.tmp"));
  EXPECT_FALSE(Exists(sel + "\\sub\\c.tmp"));
  EXPECT_TRUE(Exists(sel + "\\a.txt"));
  EXPECT_TRUE(Exists(sel + "\\link"));
  ExpectTargetIntact(base);
}

TEST_F(DISABLED_HostTree, FolderWithTwentyThousandFiles) {
  const std::string big = root_ + "\\big";
  WorkerLike run{Mode::Delete};
  WalkOptions options{1, 1, "*.*", &WorkerLike::Visit, &run};
  EXPECT_EQ(0, WalkFolder(big.c_str(), options));
  std::set<std::string> files;
  for (const auto& visit : run.visits)
    if (!visit.second) files.insert(visit.first);
  EXPECT_EQ(20000u, files.size());
  EXPECT_EQ(1u, files.count(big + "\\f19999.dat"));
  EXPECT_EQ(std::make_pair(big + "\\sub", 1), run.visits.front());
  EXPECT_EQ(std::make_pair(big, 1), run.visits.back());
  EXPECT_EQ(20002u, run.visits.size());
  EXPECT_EQ(0, run.fileErrors + run.folderErrors);
  EXPECT_FALSE(Exists(big));
}

}  // namespace
