// Reading and composing the CleanMasks history.
#include <gtest/gtest.h>

#include "config/MaskHistory.h"
#include "tests/shared/MaskHistoryExample.h"
#include "base/Text.h"

namespace {

std::string Describe(const std::vector<MaskEntry>& entries) {
  std::string text;
  for (const MaskEntry& e : entries) text += "[" + e.masks + "/" + e.sense + "]";
  return text;
}

}  // namespace

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
