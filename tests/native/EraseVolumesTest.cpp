// The run's record of its volumes: answers kept by serial number, never
// one volume's for another, never an answer that was not given, and never
// one answer replaced by a later one.
#include <gtest/gtest.h>

#include "erase/EraseVolumes.h"

namespace {

VolumeFacts Units(uint32_t cluster) {
  VolumeFacts facts;
  facts.unitsKnown = true;
  facts.units.cluster = cluster;
  facts.units.sector = 512;
  return facts;
}

VolumeFacts Flags(bool writesElsewhere) {
  VolumeFacts facts;
  facts.flagsKnown = true;
  facts.writesElsewhere = writesElsewhere;
  return facts;
}

TEST(EraseVolumeRecord, EachSerialKeepsItsOwnAnswersAndOnlyThoseGiven) {
  EraseVolumes volumes;
  volumes.Keep(7, VolumeFacts());
  EXPECT_EQ(0u, volumes.size()) << "nothing given, nothing kept";
  volumes.Keep(7, Units(4096));
  volumes.Keep(0, Units(65536));
  const VolumeFacts seven = volumes.Find(7);
  EXPECT_TRUE(seven.unitsKnown);
  EXPECT_EQ(4096u, seven.units.cluster);
  EXPECT_FALSE(seven.flagsKnown) << "the flags were not given";
  EXPECT_EQ(65536u, volumes.Find(0).units.cluster) << "serial 0 is a volume like any other";
  EXPECT_FALSE(volumes.Find(8).unitsKnown);
  EXPECT_EQ(2u, volumes.size());
}

TEST(EraseVolumeRecord, AnswersAddUpAndTheFirstOneStays) {
  EraseVolumes volumes;
  volumes.Keep(3, Flags(true));
  volumes.Keep(3, Units(8192));
  volumes.Keep(3, Flags(false));
  volumes.Keep(3, Units(512));
  const VolumeFacts three = volumes.Find(3);
  EXPECT_TRUE(three.unitsKnown && three.flagsKnown);
  EXPECT_EQ(8192u, three.units.cluster);
  EXPECT_TRUE(three.writesElsewhere);
  EXPECT_EQ(1u, volumes.size());
}

}  // namespace
