// Link colours from the browser's "Anchor Color" values.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/AnchorColor.h"
#include "tests/shared/AnchorColorCase.h"
#include "base/Text.h"

namespace {

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

std::optional<uint32_t> Parse(const std::string& text) { return ParseAnchorColor(text.c_str(), text.size() + 1); }

// The registry hands over the value with its NUL, in a buffer of its size.
std::optional<uint32_t> FromValue(const std::string& text) {
  std::vector<unsigned char> value(text.begin(), text.end());
  value.push_back(0);
  return AnchorColorFromValue(value.data(), value.size());
}

}  // namespace

TEST(AnchorColor, ReadsThreeDecimalComponentsInColorRefLayout) {
  EXPECT_EQ(anchor_color_case::kNavy, Parse(anchor_color_case::kNavyText));
  EXPECT_EQ(Rgb(128, 0, 128), Parse("128,0,128"));
  EXPECT_EQ(Rgb(1, 2, 3), Parse(" 1, +2,3 "));
}

TEST(AnchorColor, KeepsTheLowEightBitsOfEachComponent) {
  EXPECT_EQ(Rgb(44, 0, 0), Parse("300,0,0"));
  EXPECT_EQ(Rgb(0xFE, 0, 0xFF), Parse("-2,256,-257"));
  EXPECT_EQ(Rgb(0xFF, 0, 0), Parse("99999999999999999999,0,0"));
}

TEST(AnchorColor, MissingCommasOrAMissingLastComponentAreUnusable) {
  EXPECT_FALSE(Parse("1,2"));
  EXPECT_FALSE(Parse("1,2,"));
  EXPECT_FALSE(Parse("128"));
  EXPECT_FALSE(Parse(""));
}

TEST(AnchorColor, MinusOneInTheFirstTwoComponentsIsUnusable) {
  EXPECT_FALSE(Parse("-1,0,0"));
  EXPECT_FALSE(Parse("0,-1,0"));
  // Only the first two are checked against -1.
  EXPECT_EQ(Rgb(0, 0, 255), Parse("0,0,-1"));
}

TEST(AnchorColor, EmptyOrNonNumericSegmentsReadAsZero) {
  EXPECT_EQ(Rgb(0, 0, 5), Parse(",,5"));
  EXPECT_EQ(Rgb(0, 7, 0), Parse("red,7,x"));
  EXPECT_EQ(Rgb(12, 0, 0), Parse("12abc,,0"));
}

TEST(AnchorColor, TheBlueComponentStopsAtAFurtherComma) {
  EXPECT_EQ(Rgb(1, 2, 3), Parse("1,2,3,4"));
}

TEST(AnchorColor, ElevenCharactersFitTheValueBufferThirteenDoNot) {
  EXPECT_EQ(Rgb(255, 255, 255), FromValue("255,255,255"));
  EXPECT_FALSE(FromValue("255, 255, 255"));
  EXPECT_EQ(Rgb(0, 0, 128), FromValue("0,0,128"));
}

TEST(AnchorColor, AValueWithoutItsClosingNulOrEmptyIsUnusable) {
  const unsigned char noNul[] = {'1', ',', '2', ',', '3'};
  EXPECT_FALSE(AnchorColorFromValue(noNul, sizeof(noNul)));
  EXPECT_FALSE(AnchorColorFromValue(noNul, 0));
  const unsigned char early[] = {'1', ',', '2', ',', '3', 0, '9', 0};
  EXPECT_EQ(Rgb(1, 2, 3), AnchorColorFromValue(early, sizeof(early)));
}

TEST(AnchorColor, ATrailByteThatLooksLikeACommaIsNoSeparator) {
  // A code page where 0x81 starts a double-byte character.
  const LeadBytePredicate previous = SetLeadBytePredicate([](unsigned char byte) { return byte == 0x81; });
  EXPECT_FALSE(Parse("1\x81,2,3"));   // only one real comma
  EXPECT_EQ(Rgb(1, 2, 3), Parse("1,2\x81x,3"));
  SetLeadBytePredicate(previous);
}
