// Measuring and painting of the owner-drawn items of the folder menu.
#pragma once
#include <windows.h>

// Both answer true when the request was handled or is not for a menu item,
// and false when it failed; a failure is traced. They work at MenuDpi().
bool MeasureMenuItem(MEASUREITEMSTRUCT* request);
bool DrawMenuItem(const DRAWITEMSTRUCT* request);

// The same at a given resolution: the picture nearest to 16 x dpi / 96
// pixels, the caption in the menu font at dpi.
bool MeasureMenuItemAtDpi(MEASUREITEMSTRUCT* request, UINT dpi);
bool DrawMenuItemAtDpi(const DRAWITEMSTRUCT* request, UINT dpi);

// The resolution of the window the open menu belongs to (the thread's menu
// owner), or the screen's while no menu is open.
UINT MenuDpi();

// Draws the whole bitmap with its top-left corner at (x, y); pixels of the
// key colour leave the target unchanged. The bitmap is unchanged afterwards.
void DrawTransparentBitmap(HDC target, HBITMAP bitmap, int x, int y, COLORREF key);

// The see-through colour around every picture of the menu.
constexpr COLORREF kMenuBitmapKey = RGB(255, 0, 255);
