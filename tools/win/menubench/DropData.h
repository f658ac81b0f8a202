// A made-up selection of many folders, handed to the handler as the shell
// hands a drop list: a data object whose CF_HDROP block stays ours, so that
// a round times the handler and not the copying of the block.
#pragma once
#include <windows.h>
#include <objidl.h>

#include <string>
#include <vector>

// A wide DROPFILES block holding the paths; null when memory ran out.
HGLOBAL MakeWideDropList(const std::vector<std::wstring>& paths);

// A data object that gives out `drop` (which it owns) on every GetData.
IDataObject* NewSharedDropData(HGLOBAL drop);

// The bare pass: the block's names read in one walk, each path's attributes
// asked once. Returns how many are folders.
size_t BareFolderPass(HGLOBAL drop);
