#include "config/MaskHistory.h"

#include "base/Text.h"

namespace {

// Pieces between separators, empty pieces skipped.
std::vector<std::string> SplitPieces(const std::string& value) {
  std::vector<std::string> pieces;
  size_t start = 0;
  for (size_t i = 0; i <= value.size();) {
    if (i == value.size() || value[i] == kMaskHistorySeparator) {
      if (i > start) pieces.push_back(value.substr(start, i - start));
      if (i == value.size()) break;
      start = i + 1;
      ++i;
    } else {
      i = NextCharIndex(value, i);
    }
  }
  return pieces;
}

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

bool IsExcludeSense(const std::string& sense) { return sense == "excl"; }

std::vector<MaskEntry> ReadMaskHistory(const std::string& value) {
  std::vector<MaskEntry> entries;
  if (value.empty() || value[0] == kMaskHistorySeparator) return entries;
  const std::vector<std::string> pieces = SplitPieces(value);
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
  std::string value = current + kMaskHistorySeparator + (exclude ? "excl" : "incl");
  size_t count = 1;
  for (const MaskEntry& entry : ReadMaskHistory(previous)) {
    if (count >= kMaskHistoryMaxEntries) break;
    if (entry.masks == current) continue;
    value += kMaskHistorySeparator + entry.masks + kMaskHistorySeparator + entry.sense;
    ++count;
  }
  return value;
}
