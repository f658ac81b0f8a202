// The Clean masks. A mask list is ";"-separated wild-card masks; the
// CleanMasks value holds up to three entries, newest first, each a mask list
// and its sense word ("incl" or "excl"), all joined by "|". Separators are
// found per multibyte character, so that a separator byte inside a
// double-byte character never splits. No <windows.h>.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr const char kDefaultCleanMasks[] = "*.tmp|incl";
constexpr char kMaskListSeparator = ';';
constexpr char kMaskHistorySeparator = '|';
constexpr size_t kMaskHistoryMaxEntries = 3;
constexpr const char kSenseInclude[] = "incl";
constexpr const char kSenseExclude[] = "excl";

// The non-empty pieces of `text` between `separator` characters, in order.
std::vector<std::string> SplitPieces(const std::string& text, char separator);

// The masks of a mask list; blanks belong to the masks.
std::vector<std::string> SplitMaskList(const std::string& masks);

// True when a mask list holds a mask that can select a file: one with more
// than spaces, which the matcher skips. A list of separators and spaces
// alone (";", " ; ", or nothing) selects nothing as an include list and every
// file as an exclude list, so Clean refuses it. In a double-byte code page a
// lead byte is neither, so the bytes tell.
bool HasUsableMask(const std::string& masks);

struct MaskEntry {
  std::string masks;
  std::string sense;  // as stored; empty when the value lacks it
};

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

struct CleanMaskSplit {
  std::string masks;
  int32_t include;
};
// The first entry of a CleanMasks value, which Clean runs with: its mask
// list and sense. A value without entries gives an empty include list.
CleanMaskSplit SplitCleanMasks(const std::string& value);
