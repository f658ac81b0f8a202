// The Clean masks of any bytes, with and without a double-byte code page:
// pieces are never empty, never hold the separator as a character of their
// own, and together with the separators rebuild the text; a value reads as
// entries made of such pieces, Clean runs with its first, and a composed
// history reads back as the entries it was composed from.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/Text.h"
#include "settings/CleanMasks.h"
#include "tests/shared/LeadBytes.h"

namespace {

void Check(const std::string& text, char separator) {
  size_t searchFrom = 0;
  for (const std::string& piece : SplitPieces(text, separator)) {
    if (piece.empty()) std::abort();
    const size_t at = text.find(piece, searchFrom);
    if (at == std::string::npos) std::abort();
    // Only separators may stand between consecutive pieces.
    for (size_t i = searchFrom; i < at; ++i)
      if (text[i] != separator) std::abort();
    for (size_t i = 0; i < piece.size(); i = NextCharIndex(piece, i))
      if (piece[i] == separator) std::abort();
    searchFrom = at + piece.size();
  }
  for (size_t i = searchFrom; i < text.size(); ++i)
    if (text[i] != separator) std::abort();
}

// A lead byte with no byte after it would take the separator that follows
// it as its second byte. Text from a window never ends so; what reads back
// is checked for the rest.
bool EndsInLoneLeadByte(const std::string& text) {
  size_t last = 0;
  for (size_t i = 0; i < text.size(); i = NextCharIndex(text, i)) last = i;
  return !text.empty() && last == text.size() - 1 && IsLeadByte(static_cast<unsigned char>(text[last]));
}

bool SameEntry(const MaskEntry& a, const MaskEntry& b) { return a.masks == b.masks && a.sense == b.sense; }

void CheckValue(const std::string& value) {
  const std::vector<MaskEntry> entries = ReadMaskHistory(value);
  for (const MaskEntry& entry : entries)
    if (entry.masks.empty() || HasMaskHistorySeparator(entry.masks) || HasMaskHistorySeparator(entry.sense))
      std::abort();
  const CleanMaskSplit split = SplitCleanMasks(value);
  if (split.include != 0 && split.include != 1) std::abort();
  if (split.masks.size() > value.size()) std::abort();
  if (entries.empty() ? !split.masks.empty() : split.masks != entries.front().masks) std::abort();
}

void CheckComposed(const std::string& masks, bool exclude, const std::string& previous) {
  const std::string value = ComposeMaskHistory(masks, exclude, previous);
  std::string current;
  for (const std::string& piece : SplitPieces(masks, kMaskHistorySeparator)) current += piece;
  std::vector<MaskEntry> expected;
  if (!current.empty()) expected.push_back({current, exclude ? kSenseExclude : kSenseInclude});
  for (const MaskEntry& entry : ReadMaskHistory(previous))
    if (!current.empty() && entry.masks != current && expected.size() < kMaskHistoryMaxEntries)
      expected.push_back(entry);
  const std::vector<MaskEntry> read = ReadMaskHistory(value);
  if (read.size() != expected.size()) std::abort();
  for (size_t k = 0; k < read.size(); ++k)
    if (!SameEntry(read[k], expected[k])) std::abort();
  // A value that starts with the separator holds no entry to keep.
  if (!current.empty() && ComposeMaskHistory(masks, exclude, value) != value) std::abort();
}

}  // namespace

// The input is the masks and, after the first line break, the previous
// value; without a line break the text stands for both.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const LeadBytes dbcs(size % 2 != 0 ? ShiftJisLead : nullptr);
  Check(text, kMaskListSeparator);
  Check(text, kMaskHistorySeparator);
  CheckValue(text);
  const size_t lineBreak = text.find('\n');
  const std::string masks = text.substr(0, lineBreak);
  const std::string previous = lineBreak == std::string::npos ? text : text.substr(lineBreak + 1);
  if (!EndsInLoneLeadByte(masks) && !EndsInLoneLeadByte(previous)) CheckComposed(masks, size % 3 == 0, previous);
  return 0;
}
