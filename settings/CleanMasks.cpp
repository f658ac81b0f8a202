#include "settings/CleanMasks.h"

#include "base/Text.h"

namespace {

std::string WithoutSeparators(const std::string& text) {
  std::string kept;
  for (size_t i = 0; i < text.size();) {
    const size_t next = NextCharIndex(text, i);
    if (text[i] != kMaskHistorySeparator) kept.append(text, i, next - i);
    i = next;
  }
  return kept;
}

}  // namespace

std::vector<std::string> SplitPieces(const std::string& text, char separator) {
  std::vector<std::string> pieces;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == separator) {
      if (i > start) pieces.push_back(text.substr(start, i - start));
      start = i + 1;
      i = start;
    } else {
      i = NextCharIndex(text, i);
    }
  }
  if (text.size() > start) pieces.push_back(text.substr(start));
  return pieces;
}

std::vector<std::string> SplitMaskList(const std::string& masks) { return SplitPieces(masks, kMaskListSeparator); }

bool HasUsableMask(const std::string& masks) { return masks.find_first_not_of("; ") != std::string::npos; }

bool IsExcludeSense(const std::string& sense) { return sense == kSenseExclude; }

std::vector<MaskEntry> ReadMaskHistory(const std::string& value) {
  std::vector<MaskEntry> entries;
  if (value.empty() || value[0] == kMaskHistorySeparator) return entries;
  const std::vector<std::string> pieces = SplitPieces(value, kMaskHistorySeparator);
  for (size_t k = 0; k < pieces.size(); k += 2)
    entries.push_back({pieces[k], k + 1 < pieces.size() ? pieces[k + 1] : std::string()});
  return entries;
}

bool HasMaskHistorySeparator(const std::string& masks) {
  for (size_t i = 0; i < masks.size(); i = NextCharIndex(masks, i))
    if (masks[i] == kMaskHistorySeparator) return true;
  return false;
}

std::string ComposeMaskHistory(const std::string& masks, bool exclude, const std::string& previous) {
  const std::string current = WithoutSeparators(masks);
  std::string value = current + kMaskHistorySeparator + (exclude ? kSenseExclude : kSenseInclude);
  size_t count = 1;
  for (const MaskEntry& entry : ReadMaskHistory(previous)) {
    if (count >= kMaskHistoryMaxEntries) break;
    if (entry.masks == current) continue;
    value += kMaskHistorySeparator + entry.masks + kMaskHistorySeparator + entry.sense;
    ++count;
  }
  return value;
}

CleanMaskSplit SplitCleanMasks(const std::string& value) {
  // An empty first entry means "no masks" whatever sense word follows it.
  const std::vector<MaskEntry> entries = ReadMaskHistory(value);
  if (entries.empty()) return {std::string(), 1};
  return {entries.front().masks, IsExcludeSense(entries.front().sense) ? 0 : 1};
}
