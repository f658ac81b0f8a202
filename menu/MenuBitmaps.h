// The sizes each picture of the menu is drawn at, and its resource at each.
#pragma once
#include <windows.h>

// The picture for a 16-pixel bitmap id at the size nearest to 16 x dpi / 96
// among those it is drawn at; an id the module has no other sizes of stays
// itself.
UINT MenuBitmapAtDpi(UINT id, UINT dpi);

// The size of the menu's pictures at dpi, in pixels.
int MenuBitmapSize(UINT dpi);
