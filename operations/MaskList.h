// Cutting mask lists and CleanMasks values into their pieces, one multibyte
// character at a time, so that a separator byte inside a double-byte
// character never splits.
#pragma once
#include <string>
#include <vector>

// The non-empty pieces of `text` between `separator` characters, in order.
std::vector<std::string> SplitPieces(const std::string& text, char separator);

// The masks of a ";"-separated mask list; blanks belong to the masks.
std::vector<std::string> SplitMaskList(const std::string& masks);
