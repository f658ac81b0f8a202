// The Explorer command: Windows 11's top-level menu entry "Varnoke" with the
// commands of the classic submenu as its sub-commands, one level deep.
#pragma once
#include <windows.h>

// Creates the root command and hands out iid; it takes no outer unknown.
HRESULT CreateExplorerCommand(IUnknown* outer, REFIID iid, void** out);
