// The names of a CF_HDROP block, read in one pass.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Appends the block's names to *names in their order, wide or converted from
// the ANSI code page as the block's header says. The block comes from
// another program: no read leaves GlobalSize, and a name that the block's
// end cuts off is not taken. False when the block cannot be read at all
// (no block, too small for its header, its list outside it).
bool ReadDropList(HGLOBAL block, std::vector<std::wstring>* names);
