// The folders a command runs on.
#pragma once
#include <string>
#include <vector>

// Full paths of the selected folders, in drop-list order, as wide text.
using SelectedFolders = std::vector<std::wstring>;
