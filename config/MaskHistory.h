// MaskHistory: the CleanMasks value, up to three entries of a mask list and
// its sense word ("incl" or "excl"), newest first, all joined by "|".
// No <windows.h>; separators are found per multibyte character.
#pragma once
#include <string>
#include <vector>

struct MaskEntry {
  std::string masks;
  std::string sense;  // as stored; empty when the value lacks it
};

constexpr char kMaskHistorySeparator = '|';
constexpr size_t kMaskHistoryMaxEntries = 3;

// Only exactly "excl" selects the files that match no mask.
bool IsExcludeSense(const std::string& sense);

// All entries of a value, however many it holds. A value that is empty or
// begins with "|" holds none.
std::vector<MaskEntry> ReadMaskHistory(const std::string& value);

// True when the mask list holds the separator, which the format cannot keep.
bool HasMaskHistorySeparator(const std::string& masks);

// The value after applying `masks` with its sense: the new entry first, then
// the other entries of `previous` (those with another mask list) up to three
// entries in all. A separator inside `masks` is dropped, so that the value
// always reads back as the entries it was composed from.
std::string ComposeMaskHistory(const std::string& masks, bool exclude, const std::string& previous);
