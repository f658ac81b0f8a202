#include "operations/MaskList.h"

#include "operations/FolderWalker.h"
#include "base/Text.h"

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

std::vector<std::string> SplitMaskList(const std::string& masks) { return SplitPieces(masks, ';'); }

CleanMaskSplit SplitCleanMasks(const std::string& value) {
  // An empty first entry means "no masks" whatever sense word follows it.
  if (value.empty() || value[0] == '|') return {std::string(), 1};
  std::vector<std::string> pieces = SplitPieces(value, '|');
  const bool exclude = pieces.size() > 1 && pieces[1] == "excl";
  return {pieces.empty() ? std::string() : pieces[0], exclude ? 0 : 1};
}
