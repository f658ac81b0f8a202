#include <windows.h>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "settings/SettingsStore.h"

using namespace testing_support;

TEST(SettingsStore, FirstUseCreatesTheEmptyKeyAndYieldsTheDefaults) {
  DeleteSettingsKey();
  Settings settings;
  settings.Items = 3;
  settings.CleanMasks = "junk";
  SettingsStore::Load(settings);
  EXPECT_EQ(0xFFFFFFFFu, settings.Items);
  EXPECT_EQ(1, settings.MenuBitmaps);
  EXPECT_EQ("", settings.DosBoxParam);
  EXPECT_EQ(0, settings.DeleteOption);
  EXPECT_EQ(1u, settings.EraseMethod);
  EXPECT_EQ(1, settings.DeleteConfirm);
  EXPECT_EQ(1, settings.DeleteReport);
  EXPECT_EQ("*.tmp|incl", settings.CleanMasks);
  EXPECT_EQ(0, settings.CleanSubfolders);
  EXPECT_EQ(1, settings.CleanReport);
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Thandrel\\Varnoke", 0, KEY_READ, &key));
  DWORD values = 99;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                                            nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(0u, values);
  RegCloseKey(key);
}
