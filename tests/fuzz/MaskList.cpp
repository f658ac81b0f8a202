// Mask lists and CleanMasks values of any bytes, with a double-byte code page:
// pieces are never empty, never hold the separator as a character of their
// own, and together with the separators rebuild the text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "operations/FolderWalker.h"
#include "operations/MaskList.h"
#include "base/Text.h"
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
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const LeadBytes dbcs(size % 2 != 0 ? ShiftJisLead : nullptr);
  Check(text, ';');
  Check(text, '|');
  const CleanMaskSplit split = SplitCleanMasks(text);
  if (split.include != 0 && split.include != 1) std::abort();
  if (split.masks.size() > text.size()) std::abort();
  return 0;
}
