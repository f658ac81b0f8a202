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
  settings.DosBoxShell = 3;
  settings.EraseVerify = 1;
  SettingsStore::Load(settings);
  EXPECT_EQ(0xFFFFFFFFu, settings.Items);
  EXPECT_EQ(1, settings.MenuBitmaps);
  EXPECT_EQ("", settings.DosBoxParam);
  EXPECT_EQ(0u, settings.DosBoxShell);
  EXPECT_EQ(0, settings.DeleteOption);
  EXPECT_EQ(1u, settings.EraseMethod);
  EXPECT_EQ(0, settings.EraseVerify);
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


namespace {

class StoredValues : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteSettingsKey();
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Thandrel\\Varnoke", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key_, nullptr));
  }
  void TearDown() override {
    RegCloseKey(key_);
    DeleteSettingsKey();
  }
  void Put(const char* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key_, name, 0, type, static_cast<const BYTE*>(data), size));
  }
  void PutText(const char* name, const std::string& text, DWORD type = REG_SZ) {
    Put(name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
  }
  Settings Loaded() {
    Settings settings;
    SettingsStore::Load(settings);
    return settings;
  }
  DWORD TypeOf(const char* name, DWORD* size = nullptr) {
    DWORD type = 0;
    DWORD bytes = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key_, name, nullptr, &type, nullptr, &bytes)) << name;
    if (size) *size = bytes;
    return type;
  }
  HKEY key_ = nullptr;
};

}  // namespace

TEST_F(StoredValues, NumbersAreReadAsFourBytesWhateverTheirType) {
  const DWORD five = 5;
  Put("Items", REG_DWORD, &five, 4);
  Put("EraseMethod", REG_BINARY, "\x03\x00\x00\x00", 4);
  Put("DeleteOption", REG_SZ, "2", 2);           // the bytes '2', NUL over the default 0
  Put("DeleteReport", REG_BINARY, "\x00", 1);    // one byte replaces the low byte of 1
  Put("CleanReport", REG_BINARY, "\x07\x00\x00\x00\x00\x00\x00\x00", 8);  // too long: default kept
  Put("CleanSubfolders", REG_BINARY, "", 0);     // empty: nothing replaced
  const Settings s = Loaded();
  EXPECT_EQ(5u, s.Items);
  EXPECT_EQ(3u, s.EraseMethod);
  EXPECT_EQ(0x32, s.DeleteOption);
  EXPECT_EQ(0, s.DeleteReport);
  EXPECT_EQ(1, s.CleanReport);
  EXPECT_EQ(0, s.CleanSubfolders);
}

TEST_F(StoredValues, StringsOfTheWrongTypeOrEmptySizeFallBackToTheirDefaults) {
  const DWORD number = 7;
  Put("CleanMasks", REG_DWORD, &number, 4);
  Put("DosBoxParam", REG_BINARY, "/k x.bat", 9);
  EXPECT_EQ("*.tmp|incl", Loaded().CleanMasks);
  EXPECT_EQ("", Loaded().DosBoxParam);
  Put("CleanMasks", REG_SZ, "", 0);
  EXPECT_EQ("*.tmp|incl", Loaded().CleanMasks);
  PutText("CleanMasks", "");  // size 1: just the NUL
  EXPECT_EQ("", Loaded().CleanMasks);
}

TEST_F(StoredValues, ExpandableStringsAreTakenLiterally) {
  PutText("DosBoxParam", "/k %USERPROFILE%\\macros.bat", REG_EXPAND_SZ);
  EXPECT_EQ("/k %USERPROFILE%\\macros.bat", Loaded().DosBoxParam);
}

TEST_F(StoredValues, AStringWithoutItsNulIsCutAtItsStoredSize) {
  Put("DosBoxParam", REG_SZ, "/k abcdef", 4);
  EXPECT_EQ("/k a", Loaded().DosBoxParam);
  Put("CleanMasks", REG_SZ, "*.a\0*.b", 7);  // an inner NUL ends the text
  EXPECT_EQ("*.a", Loaded().CleanMasks);
}

TEST_F(StoredValues, LongStringsAreReadWhole) {
  std::string masks(64 * 1024, 'm');
  masks[10] = ';';
  PutText("CleanMasks", masks);
  EXPECT_EQ(masks, Loaded().CleanMasks);
}

TEST_F(StoredValues, SaveAfterLoadWritesAllTwelveValuesWithTheirTypes) {
  Settings s = Loaded();
  s.DosBoxParam = " /k a b ";
  SettingsStore::Save(s);
  const char* numbers[] = {"Items",         "MenuBitmaps",  "DosBoxShell",     "DeleteOption", "EraseMethod",
                           "EraseVerify",   "DeleteConfirm", "DeleteReport",   "CleanSubfolders", "CleanReport"};
  for (const char* name : numbers) {
    DWORD size = 0;
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), TypeOf(name, &size)) << name;
    EXPECT_EQ(4u, size) << name;
  }
  DWORD size = 0;
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), TypeOf("DosBoxParam", &size));
  EXPECT_EQ(9u, size);
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), TypeOf("CleanMasks", &size));
  EXPECT_EQ(11u, size);
  const Settings again = Loaded();
  EXPECT_EQ(" /k a b ", again.DosBoxParam);
  EXPECT_EQ(0xFFFFFFFFu, again.Items);
  EXPECT_EQ("*.tmp|incl", again.CleanMasks);
}

TEST_F(StoredValues, ThousandLoadsOfOddValuesLeakNothing) {
  Put("DosBoxParam", REG_SZ, "abc", 3);
  PutText("CleanMasks", std::string(64 * 1024, 'q'));
  const DWORD number = 9;
  Put("Items", REG_SZ, &number, 4);
  for (int i = 0; i < 20; ++i) Loaded();
  const DWORD handles = ProcessHandleCount();
  const size_t heap = ProcessHeapBytes();
  for (int i = 0; i < 1000; ++i) Loaded();
  EXPECT_LE(ProcessHandleCount(), handles + 2);
  EXPECT_LE(ProcessHeapBytes(), heap + 16 * 1024);
}
