#pragma once
#include <windows.h>

struct FolderOperation;

// Runs the modal operation dialog (owner may be null); -1 when it could not be
// shown, else 0.
INT_PTR RunOperationDialog(FolderOperation& operation, HWND owner);
