// Sizes of a 96-DPI layout at other resolutions.
#include <gtest/gtest.h>

#include "base/DisplayScale.h"

namespace {
constexpr int kMenuSizes[] = {16, 20, 24, 32};
constexpr int kDialogSizes[] = {32, 40, 48, 64};
}  // namespace

TEST(DisplayScale, ScalingRoundsLikeMulDiv) {
  EXPECT_EQ(16, ScaleToDpi(16, 96));
  EXPECT_EQ(24, ScaleToDpi(16, 144));
  EXPECT_EQ(32, ScaleToDpi(16, 192));
  EXPECT_EQ(5, ScaleToDpi(4, 120));   // 5.0
  EXPECT_EQ(8, ScaleToDpi(6, 120));   // 7.5 rounds up
  EXPECT_EQ(7, ScaleToDpi(5, 127));   // 6.61
  EXPECT_EQ(-17, ScaleToDpi(-11, 144));  // -16.5 rounds away from zero
  EXPECT_EQ(0, ScaleToDpi(0, 192));
}

TEST(DisplayScale, TheNearestSizeOfAPictureAtCommonResolutions) {
  EXPECT_EQ(16, NearestSizeAtDpi(kMenuSizes, 16, 96));
  EXPECT_EQ(20, NearestSizeAtDpi(kMenuSizes, 16, 120));
  EXPECT_EQ(24, NearestSizeAtDpi(kMenuSizes, 16, 144));
  EXPECT_EQ(32, NearestSizeAtDpi(kMenuSizes, 16, 192));
  EXPECT_EQ(48, NearestSizeAtDpi(kDialogSizes, 32, 144));
  EXPECT_EQ(64, NearestSizeAtDpi(kDialogSizes, 32, 192));
  EXPECT_EQ(40, NearestSizeAtDpi(kDialogSizes, 32, 120));
}

TEST(DisplayScale, BetweenSizesTheNearerOneAndOnATieTheLarger) {
  EXPECT_EQ(16, NearestSizeAtDpi(kMenuSizes, 16, 107));  // 17.8: 16 is 1.8 away, 20 is 2.2
  EXPECT_EQ(20, NearestSizeAtDpi(kMenuSizes, 16, 109));  // 18.2
  EXPECT_EQ(20, NearestSizeAtDpi(kMenuSizes, 16, 108));  // 18: a tie
  EXPECT_EQ(32, NearestSizeAtDpi(kMenuSizes, 16, 168));  // 28: a tie
  EXPECT_EQ(24, NearestSizeAtDpi(kMenuSizes, 16, 167));
  // Beyond the ends the end sizes.
  EXPECT_EQ(16, NearestSizeAtDpi(kMenuSizes, 16, 48));
  EXPECT_EQ(32, NearestSizeAtDpi(kMenuSizes, 16, 480));
  // Unordered lists are searched whole.
  const int shuffled[] = {32, 16, 24, 20};
  EXPECT_EQ(24, NearestSizeAtDpi(shuffled, 16, 144));
  EXPECT_EQ(16, NearestSizeAtDpi(shuffled, 16, 96));
  EXPECT_EQ(0, NearestSizeAtDpi(kMenuSizes, 0, 16, 96));
}
