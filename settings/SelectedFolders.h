// The folders a command runs on.
#pragma once
#include <string>
#include <vector>

// Full paths of the selected folders, in drop-list order, as wide text.
using SelectedFolders = std::vector<std::wstring>;

// A path in the form its names compare in: each character as the file
// system's case table maps it, so that two spellings of one name give one key.
using FoldNameCase = std::wstring (*)(const std::wstring& path);

// The selected folders that no other selected folder holds, in drop-list
// order: a folder selected inside another selected folder, or selected
// twice, is done once, under its topmost selected folder. Names are compared
// through `fold`; "C:\a" holds "C:\A\b" but not "C:\ab". When a run does
// not reach inside its folders (`reachesInside` false: Clean without
// subfolders), only a folder selected twice goes.
SelectedFolders TopmostFolders(const SelectedFolders& folders, FoldNameCase fold, bool reachesInside);
