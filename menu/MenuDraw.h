// Measuring and painting of the owner-drawn items of the folder menu.
#pragma once
#include <windows.h>

// Both answer 1 when the request was handled or is not for a menu item, and
// 0 when it failed; a failure is traced.
int MeasureMenuItem(MEASUREITEMSTRUCT* request);
int DrawMenuItem(const DRAWITEMSTRUCT* request);

// Draws the whole bitmap with its top-left corner at (x, y); pixels of the
// key colour leave the target unchanged. The bitmap is unchanged afterwards.
void DrawTransparentBitmap(HDC target, HBITMAP bitmap, int x, int y, COLORREF key);

// The see-through colour around every picture of the menu.
constexpr COLORREF kMenuBitmapKey = RGB(255, 0, 255);
