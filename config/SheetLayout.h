// Where the property sheet's parts go once the sheet window exists.
#pragma once
#include <windows.h>

// Grows the tab control, and the sheet with it, until a page fits.
void FitSheetToPages(HWND sheet);
// Hides Apply and Help, and gives OK and Cancel the right-most places.
void TidySheetButtons(HWND sheet);
// Centres the sheet on its visible owner, or on the work area, inside it.
void CentreSheet(HWND sheet);
