// Mask lists stored in a double-byte code page (932, Japanese), where the
// second byte of a character can be "|" or "\": they are cut per character
// in the code page and then match the wide names of the files. Started by
// host-tree.sh with a Japanese locale; the ordinary run has code page 1252.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "TestSupport.h"
#include "operations/FolderWalker.h"
#include "base/Text.h"
#include "settings/CleanMasks.h"
#include "tests/win/operations/WideTree.h"

using namespace wide_tree;

namespace {

const char kPo[] = "\x83|";   // U+30DD in code page 932, its second byte is "|"
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

int32_t Collect(const wchar_t* path, int32_t kind, void* context) {
  if (kind == EntryFile) static_cast<std::vector<std::wstring>*>(context)->push_back(ShownPath(path));
  if (kind == EntryFile) ::DeleteFileW(path);
  return 0;
}

TEST_F(DISABLED_Dbcs, CleanMasksSplitPerCharacterAndSelectWideNames) {
  WideTemp temp;
  const std::wstring po = L"a\x30DD" L"b.txt";
  const std::wstring so = L"z\x30BD.txt";
  for (const std::wstring& name : {po, so, std::wstring(L"x.tmp"), std::wstring(L"y.doc")})
    ASSERT_TRUE(MakeFileW(temp.Sub(name)));
  const CleanMaskSplit split = SplitCleanMasks(std::string("*") + kPo + "*;*.tmp|excl|*.doc|incl");
  EXPECT_EQ(std::string("*") + kPo + "*;*.tmp", split.masks);
  EXPECT_EQ(0, split.include);
  EXPECT_EQ(1, MaskMatch(po.c_str(), (std::string("*") + kPo + "*").c_str(), 1));
  EXPECT_EQ(1, MaskMatch(so.c_str(), (std::string("z") + kSo + ".*").c_str(), 1))
      << "a mask whose character ends in a \\ byte is one mask";

  std::vector<std::wstring> visited;
  WalkOptions options{0, split.include, split.masks.c_str(), &Collect, &visited};
  EXPECT_EQ(0, WalkFolder(ExtendedPath(temp.path()).c_str(), options));
  std::sort(visited.begin(), visited.end());
  EXPECT_EQ((std::vector<std::wstring>{temp.Sub(L"y.doc"), temp.Sub(so)}), visited);
  EXPECT_FALSE(ExistsW(temp.Sub(so)));
  EXPECT_TRUE(ExistsW(temp.Sub(po)));
  EXPECT_TRUE(ExistsW(temp.Sub(L"x.tmp")));
}

}  // namespace
