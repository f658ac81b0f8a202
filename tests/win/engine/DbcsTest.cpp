// Mask lists and paths in a double-byte code page (932, Japanese), where the
// second byte of a character can be "|" or "\". Started by host-tree.sh
// with a Japanese locale; the ordinary run has code page 1252 and skips it.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "TestSupport.h"
#include "operations/FolderWalker.h"
#include "server/Text.h"

using testing_support::Exists;
using testing_support::TempFolder;

namespace {

const char kPo[] = "\x83|";   // U+30DD, its second byte is "|"
const char kSo[] = "\x83\\";  // U+30BD, its second byte is "\"

class DISABLED_Dbcs : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(932u, ::GetACP()) << "run with a Japanese locale (host-tree.sh does)";
    previous_ = SetLeadBytePredicate([](unsigned char b) { return ::IsDBCSLeadByte(b) != FALSE; });
  }
  void TearDown() override { SetLeadBytePredicate(previous_); }
  LeadBytePredicate previous_ = nullptr;
};

int32_t Collect(const char* path, int32_t done, void* context) {
  if (!done) static_cast<std::vector<std::string>*>(context)->push_back(path);
  if (!done) ::DeleteFileA(path);
  return 0;
}

TEST_F(DISABLED_Dbcs, CleanMasksSplitPerCharacterAndSelectByName) {
  TempFolder temp;
  const std::string po = std::string("a") + kPo + "b.txt";
  const std::string so = std::string("z") + kSo + ".txt";
  for (const std::string& name : {po, so, std::string("x.tmp"), std::string("y.doc")}) {
    // Made here: the test support's helper looks for "\" byte by byte.
    HANDLE file = ::CreateFileA(temp.Sub(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << name << " error " << ::GetLastError();
    ::CloseHandle(file);
  }
  const CleanMaskSplit split = SplitCleanMasks(std::string("*") + kPo + "*;*.tmp|excl|*.doc|incl");
  EXPECT_EQ(std::string("*") + kPo + "*;*.tmp", split.masks);
  EXPECT_EQ(0, split.include);

  std::vector<std::string> visited;
  WalkOptions options{0, split.include, split.masks.c_str(), &Collect, &visited};
  EXPECT_EQ(0, WalkFolder(temp.path().c_str(), options));
  std::sort(visited.begin(), visited.end());
  EXPECT_EQ((std::vector<std::string>{temp.Sub("y.doc"), temp.Sub(so)}), visited);
  EXPECT_FALSE(Exists(temp.Sub(so))) << "a path whose character ends in a \\ byte is deleted whole";
  EXPECT_TRUE(Exists(temp.Sub(po)));
  EXPECT_TRUE(Exists(temp.Sub("x.tmp")));
}

}  // namespace
