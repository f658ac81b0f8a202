// The names erased entries pass through: their alphabet and length, how
// evenly the letters fall, the device names they never take, and that the
// seed alone decides them.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "erase/RandomName.h"

namespace {

std::vector<uint8_t> Seed(uint8_t first) {
  std::vector<uint8_t> seed(kRandomNameSeedBytes);
  for (size_t i = 0; i < seed.size(); ++i) seed[i] = static_cast<uint8_t>(first + i * 7);
  return seed;
}

bool IsLetterOrDigit(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9');
}

std::wstring Take(RandomNames& names, size_t length) {
  std::wstring name(length, L'\0');
  names.Next(&name[0], length);
  return name;
}

TEST(RandomNames, FillExactlyTheLengthAskedWithLettersAndDigits) {
  const std::vector<uint8_t> seed = Seed(1);
  RandomNames names(seed.data());
  for (size_t length : {1u, 2u, 3u, 4u, 8u, 12u, 64u, 65u, 255u}) {
    std::vector<wchar_t> buffer(length + 2, L'#');
    names.Next(buffer.data() + 1, length);
    EXPECT_EQ(L'#', buffer.front()) << length;
    EXPECT_EQ(L'#', buffer.back()) << "nothing written past the name, length " << length;
    for (size_t i = 1; i <= length; ++i) EXPECT_TRUE(IsLetterOrDigit(buffer[i])) << length << " at " << i;
  }
}

TEST(RandomNames, EveryLetterAndDigitEquallyLikely) {
  const std::vector<uint8_t> seed = Seed(2);
  RandomNames names(seed.data());
  std::map<wchar_t, int> counts;
  const int kDraws = 620;
  for (int i = 0; i < kDraws; ++i)
    for (wchar_t c : Take(names, 100)) ++counts[c];
  ASSERT_EQ(62u, counts.size());
  // 1,000 expected of each; a modulo bias towards the first letters would
  // give them a quarter more.
  for (const auto& count : counts) {
    EXPECT_GT(count.second, 850) << static_cast<char>(count.first);
    EXPECT_LT(count.second, 1150) << static_cast<char>(count.first);
  }
}

TEST(RandomNames, TheSeedDecidesTheSequenceAndNamesDoNotRepeat) {
  const std::vector<uint8_t> one = Seed(3);
  const std::vector<uint8_t> other = Seed(4);
  RandomNames first(one.data()), again(one.data()), different(other.data());
  std::set<std::wstring> seen;
  for (uint32_t i = 0; i < kEraseRenames; ++i) {
    const std::wstring name = Take(first, 12);
    EXPECT_EQ(name, Take(again, 12));
    EXPECT_NE(name, Take(different, 12));
    seen.insert(name);
  }
  EXPECT_EQ(kEraseRenames, seen.size());
}

TEST(RandomNames, NeverADeviceName) {
  const std::vector<uint8_t> seed = Seed(5);
  RandomNames names(seed.data());
  // About 13 of 100,000 uniform three-letter names would be one.
  for (int i = 0; i < 100000; ++i) {
    const std::wstring three = Take(names, 3);
    ASSERT_FALSE(IsReservedDeviceName(three.c_str(), 3)) << std::string(three.begin(), three.end());
  }
  for (int i = 0; i < 20000; ++i) {
    const std::wstring four = Take(names, 4);
    ASSERT_FALSE(IsReservedDeviceName(four.c_str(), 4)) << std::string(four.begin(), four.end());
  }
}

TEST(ReservedDeviceNames, AreTheDevicesInAnyCaseAndNothingElse) {
  for (const wchar_t* name : {L"CON", L"con", L"Prn", L"aux", L"nUL", L"COM0", L"com9", L"LPT1", L"lpt5"})
    EXPECT_TRUE(IsReservedDeviceName(name, std::wcslen(name))) << std::wstring(name).size();
  for (const wchar_t* name : {L"CO", L"CONS", L"COMA", L"COM10", L"LPT", L"NULL", L"AUX1", L"C0N", L"PR"})
    EXPECT_FALSE(IsReservedDeviceName(name, std::wcslen(name))) << std::wstring(name).size();
}

}  // namespace
