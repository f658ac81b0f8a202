// The Working state's figures: the bar, the counts line, the rate and the
// time left.
#include <gtest/gtest.h>

#include <string>

#include "operations/ProgressTexts.h"
#include "tests/native/TableStrings.h"

namespace {

ProgressFigures Working(uint32_t done, uint32_t total, uint64_t bytesDone, uint64_t bytesTotal, uint32_t ms) {
  ProgressFigures figures;
  figures.counting = false;
  figures.done = done;
  figures.total = total;
  figures.bytesDone = bytesDone;
  figures.bytesTotal = bytesTotal;
  figures.activeMs = ms;
  return figures;
}

}  // namespace

TEST(ProgressText, WhileCountingTheBarStandsAtZeroAndTheLineSaysSo) {
  ProgressFigures figures;
  figures.done = 5;
  figures.total = 10;
  figures.bytesDone = 50;
  figures.bytesTotal = 100;
  figures.activeMs = 60000;
  EXPECT_EQ(0u, BarPosition(figures));
  EXPECT_EQ("Counting\u2026", CountsText(figures, TableString));
  EXPECT_EQ("", RateText(figures, TableString));
  EXPECT_EQ("", TimeLeftText(figures, TableString));
}

TEST(ProgressText, TheBarFollowsBytesThenFilesAndNeverPassesItsEnd) {
  EXPECT_EQ(250u, BarPosition(Working(1, 2, 1ull << 40, 4ull << 40, 0))) << "past 32 bits";
  EXPECT_EQ(999u, BarPosition(Working(2, 2, 999999, 1000000, 0))) << "bytes decide, not files";
  EXPECT_EQ(500u, BarPosition(Working(1, 2, 0, 0, 0))) << "only empty files: by files";
  EXPECT_EQ(kBarRange, BarPosition(Working(3, 2, 300, 200, 0))) << "more than the count found";
  EXPECT_EQ(0u, BarPosition(Working(0, 0, 0, 0, 0)));
  ProgressFigures items = Working(3, 4, 1000, 1000, 0);
  items.items = true;
  EXPECT_EQ(750u, BarPosition(items)) << "recycling counts items";
}

TEST(ProgressText, TheCountsLineShowsFilesAndSizesOrItems) {
  EXPECT_EQ("3 of 12 files \u2014 1.5 Mb of 3.0 Gb",
            CountsText(Working(3, 12, 1572864, 3221225472ull, 0), TableString));
  EXPECT_EQ("0 of 1 files \u2014 0 bytes of 1 byte", CountsText(Working(0, 1, 0, 1, 0), TableString));
  ProgressFigures items = Working(2, 7, 0, 0, 0);
  items.items = true;
  EXPECT_EQ("2 of 7 items", CountsText(items, TableString));
}

TEST(ProgressText, TheRateWaitsForASecondOfWork) {
  EXPECT_EQ("", RateText(Working(1, 2, 1 << 20, 2 << 20, 999), TableString));
  EXPECT_EQ("2.0 Mb/s", RateText(Working(1, 2, 4 << 20, 8 << 20, 2000), TableString));
  ProgressFigures items = Working(30, 100, 0, 0, 4000);
  items.items = true;
  EXPECT_EQ("8 items/s", RateText(items, TableString));
}

TEST(ProgressText, TheTimeLeftAppearsOnceAFewSecondsOfRateExist) {
  // 1 MiB of 61 MiB in 2.999 s, then in 3 s: 180 s for the other 60 MiB.
  EXPECT_EQ("", TimeLeftText(Working(1, 61, 1 << 20, 61 << 20, kRateWarmupMs - 1), TableString));
  EXPECT_EQ("About 3 minutes left", TimeLeftText(Working(1, 61, 1 << 20, 61 << 20, kRateWarmupMs), TableString));
  // Minutes are rounded up, and a few seconds left still read as one.
  EXPECT_EQ("About 4 minutes left", TimeLeftText(Working(1, 62, 1 << 20, 62 << 20, 3000), TableString));
  EXPECT_EQ("About 1 minute left", TimeLeftText(Working(99, 100, 99, 100, 3000), TableString));
  EXPECT_EQ("", TimeLeftText(Working(0, 10, 0, 100, 60000), TableString)) << "no rate yet";
  EXPECT_EQ("", TimeLeftText(Working(10, 10, 100, 100, 60000), TableString)) << "nothing left";
  EXPECT_EQ("About 4294967295 minutes left", TimeLeftText(Working(1, 2, 1, ~0ull, 3000), TableString));
  ProgressFigures items = Working(10, 30, 0, 0, 60000);
  items.items = true;
  EXPECT_EQ("About 2 minutes left", TimeLeftText(items, TableString));
}
