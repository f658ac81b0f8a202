// The Clean masks: mask lists, the CleanMasks value's entries and sense
// words, and the history the Clean page composes, with single-byte and
// double-byte text.
#include <gtest/gtest.h>

#include "base/Text.h"
#include "settings/CleanMasks.h"
#include "tests/shared/LeadBytes.h"
#include "tests/shared/MaskHistoryExample.h"

namespace {

using Pieces = std::vector<std::string>;

std::string Describe(const std::vector<MaskEntry>& entries) {
  std::string text;
  for (const MaskEntry& e : entries) text += "[" + e.masks + "/" + e.sense + "]";
  return text;
}

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

TEST(SplitCleanMasks, TheDefaultAndEveryComposedSenseReadBack) {
  EXPECT_EQ("*.tmp", SplitCleanMasks(kDefaultCleanMasks).masks);
  EXPECT_EQ(1, SplitCleanMasks(kDefaultCleanMasks).include);
  EXPECT_EQ(0, SplitCleanMasks(ComposeMaskHistory("*.o", true, kDefaultCleanMasks)).include);
  EXPECT_EQ(1, SplitCleanMasks(ComposeMaskHistory("*.o", false, "*.o|excl")).include);
}

TEST(MaskHistory, ReadsEntriesNewestFirstWithTheirSense) {
  EXPECT_EQ("[*.tmp/incl]", Describe(ReadMaskHistory("*.tmp|incl")));
  EXPECT_EQ("[*.obj;*.pch/excl][*.tmp/incl]", Describe(ReadMaskHistory("*.obj;*.pch|excl|*.tmp|incl")));
}

TEST(MaskHistory, EmptyValueOrLeadingSeparatorHoldsNoEntry) {
  EXPECT_TRUE(ReadMaskHistory("").empty());
  EXPECT_TRUE(ReadMaskHistory("|incl|*.tmp|incl").empty());
}

TEST(MaskHistory, EmptyPiecesAreSkippedAndAnOddPieceCountEndsWithAnEmptySense) {
  EXPECT_EQ("[a/excl][b/incl]", Describe(ReadMaskHistory("a||excl|b|incl|")));
  EXPECT_EQ("[a/incl][b/]", Describe(ReadMaskHistory("a|incl|b")));
  EXPECT_EQ("[a/incl][b/]", Describe(ReadMaskHistory("a|incl|b|")));
}

TEST(MaskHistory, KeepsEveryEntryOfAHandWrittenValue) {
  EXPECT_EQ("[a/incl][b/excl][c/incl][d/excl]", Describe(ReadMaskHistory("a|incl|b|excl|c|incl|d|excl")));
}

TEST(MaskHistory, OnlyExactlyExclSelectsTheExcludeSense) {
  EXPECT_TRUE(IsExcludeSense("excl"));
  EXPECT_FALSE(IsExcludeSense("EXCL"));
  EXPECT_FALSE(IsExcludeSense("exclude"));
  EXPECT_FALSE(IsExcludeSense(""));
  EXPECT_FALSE(IsExcludeSense("incl"));
}

TEST(MaskHistory, WorkedExample) {
  for (const mask_history_example::Step& step : mask_history_example::kSteps)
    EXPECT_EQ(step.after, ComposeMaskHistory(step.masks, step.exclude, step.before)) << step.before;
}

TEST(MaskHistory, ReapplyingTheFirstEntryKeepsOneEntryForIt) {
  EXPECT_EQ("*.tmp|incl", ComposeMaskHistory("*.tmp", false, "*.tmp|incl"));
  EXPECT_EQ("*.tmp|excl|b|incl", ComposeMaskHistory("*.tmp", true, "*.tmp|incl|b|incl"));
}

TEST(MaskHistory, AFourthListDropsTheOldestAndLongValuesAreCutToThree) {
  EXPECT_EQ("d|incl|a|incl|b|excl", ComposeMaskHistory("d", false, "a|incl|b|excl|c|incl"));
  EXPECT_EQ("e|excl|a|incl|b|excl", ComposeMaskHistory("e", true, "a|incl|b|excl|c|incl|d|excl"));
}

TEST(MaskHistory, AnEntryWithoutSenseIsWrittenBackWithAnEmptyWord) {
  const std::string value = ComposeMaskHistory("x", false, "a|incl|b");
  EXPECT_EQ("x|incl|a|incl|b|", value);
  EXPECT_EQ("[x/incl][a/incl][b/]", Describe(ReadMaskHistory(value)));
}

TEST(MaskHistory, AnEmptyMaskListStartsTheValueWithTheSeparator) {
  const std::string value = ComposeMaskHistory("", false, "*.tmp|incl");
  EXPECT_EQ("|incl|*.tmp|incl", value);
  EXPECT_TRUE(ReadMaskHistory(value).empty());
}

TEST(MaskHistory, ASeparatorTypedIntoTheMasksNeverReachesTheValue) {
  EXPECT_TRUE(HasMaskHistorySeparator("*.a|*.b"));
  EXPECT_FALSE(HasMaskHistorySeparator("*.a;*.b"));
  const std::string value = ComposeMaskHistory("*.a|excl|*.b", false, "*.tmp|incl");
  EXPECT_EQ("*.aexcl*.b|incl|*.tmp|incl", value);
  EXPECT_EQ("[*.aexcl*.b/incl][*.tmp/incl]", Describe(ReadMaskHistory(value)));
}

TEST(MaskHistory, ATrailByteThatLooksLikeTheSeparatorIsPartOfTheMask) {
  const LeadBytePredicate previous = SetLeadBytePredicate([](unsigned char byte) { return byte == 0x81; });
  const std::string masks = "\x81|.txt";
  EXPECT_FALSE(HasMaskHistorySeparator(masks));
  const std::string value = ComposeMaskHistory(masks, true, "*.tmp|incl");
  EXPECT_EQ(masks + "|excl|*.tmp|incl", value);
  ASSERT_EQ(2u, ReadMaskHistory(value).size());
  EXPECT_EQ(masks, ReadMaskHistory(value)[0].masks);
  SetLeadBytePredicate(previous);
}

}  // namespace
