// The extension's configuration record; field names are the registry value
// names under HKEY_CURRENT_USER\Software\Thandrel\Varnoke.
#pragma once
#include <cstdint>
#include <string>

constexpr const char kDefaultCleanMasks[] = "*.tmp|incl";

// Bits of Settings::Items.
constexpr uint32_t kItemDosBox = 1;
constexpr uint32_t kItemDelete = 2;
constexpr uint32_t kItemClean = 4;

struct Settings {
  uint32_t Items = 0xFFFFFFFF;
  int32_t MenuBitmaps = 1;
  std::string DosBoxParam;
  int32_t DeleteOption = 0;
  uint32_t EraseMethod = 1;
  int32_t DeleteConfirm = 1;
  int32_t DeleteReport = 1;
  std::string CleanMasks = kDefaultCleanMasks;
  int32_t CleanSubfolders = 0;
  int32_t CleanReport = 1;
};
