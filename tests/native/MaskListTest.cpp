// Mask lists and CleanMasks values cut into pieces, with single-byte and
// double-byte text.
#include <gtest/gtest.h>

#include "operations/FolderWalker.h"
#include "operations/MaskList.h"
#include "base/Text.h"
#include "settings/Settings.h"
#include "tests/shared/LeadBytes.h"

namespace {

using Pieces = std::vector<std::string>;

TEST(MaskList, SkipsEmptyPiecesAndKeepsBlanks) {
  EXPECT_EQ((Pieces{"*.tmp", "*.bak"}), SplitMaskList("*.tmp;;*.bak;"));
  EXPECT_EQ((Pieces{"*.tmp", "*.bak"}), SplitMaskList(";*.tmp;*.bak"));
  EXPECT_EQ((Pieces{" *.tmp ", " "}), SplitMaskList(" *.tmp ; "));
  EXPECT_EQ(Pieces{}, SplitMaskList(""));
  EXPECT_EQ(Pieces{}, SplitMaskList(";;;"));
  EXPECT_EQ(Pieces{"a"}, SplitMaskList("a"));
}

TEST(MaskList, OnlyAMaskWithMoreThanSpacesIsUsable) {
  for (const char* none : {"", ";", " ; ", ";;;", "   ", " ;  ; "}) EXPECT_FALSE(HasUsableMask(none)) << none;
  for (const char* some : {"*.tmp", " x ", ";a;", "*", "\t", "\x81;"}) EXPECT_TRUE(HasUsableMask(some)) << some;
}

TEST(MaskList, SeparatorByteInsideADoubleByteCharacterDoesNotSplit) {
  // 0x81 leads a character whose second byte is the separator byte.
  const std::string masks = "x\x81;y;*.z";
  EXPECT_EQ((Pieces{"x\x81", "y", "*.z"}), SplitMaskList(masks)) << "single-byte text splits at every ';'";
  LeadBytes dbcs([](unsigned char b) { return b == 0x81; });
  EXPECT_EQ((Pieces{"x\x81;y", "*.z"}), SplitMaskList(masks));
  // A lead byte at the very end has no second byte to swallow.
  EXPECT_EQ((Pieces{"a", "b\x81"}), SplitMaskList("a;b\x81"));
}

TEST(MaskList, ShiftJisCharacterWithABarTrailByteStaysWhole) {
  LeadBytes dbcs(ShiftJisLead);
  // U+30BD KATAKANA SO is 0x83 0x7C in Shift-JIS: its second byte is "|".
  const std::string so = "\x83\x7C";
  const CleanMaskSplit split = SplitCleanMasks("*" + so + "*|excl|*.tmp|incl");
  EXPECT_EQ("*" + so + "*", split.masks);
  EXPECT_EQ(0, split.include);
}

TEST(SplitCleanMasks, FirstEntryGivesListAndSense) {
  struct Case {
    const char* value;
    const char* masks;
    int32_t include;
  } cases[] = {
      {"*.tmp|incl", "*.tmp", 1},
      {"*.tmp|excl", "*.tmp", 0},
      {"*.tmp|EXCL", "*.tmp", 1},      // the sense word is compared case-sensitively
      {"*.tmp|excl ", "*.tmp", 1},     // and exactly
      {"*.tmp;*.bak", "*.tmp;*.bak", 1},
      {"*.tmp|", "*.tmp", 1},
      {"*.tmp||excl", "*.tmp", 0},     // empty pieces are skipped
      {"", "", 1},
      {"|excl", "", 1},                // an empty first entry reads no sense word
      {"|incl|*.bak|excl", "", 1},
      {"*.log|excl|*.tmp|incl|*.bak|incl", "*.log", 0},
      {"a b;c|incl", "a b;c", 1},
  };
  for (const Case& c : cases) {
    const CleanMaskSplit split = SplitCleanMasks(c.value);
    EXPECT_EQ(c.masks, split.masks) << '"' << c.value << '"';
    EXPECT_EQ(c.include, split.include) << '"' << c.value << '"';
  }
}

}  // namespace
