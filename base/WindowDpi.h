// The resolution a window is shown at, and the system metrics and the menu
// font at a resolution. The per-resolution calls exist from Windows 10 1607
// on; before that the screen's resolution stands for every window's.
#pragma once
#include <windows.h>

// The calls a system may lack, looked up in user32 at run time.
struct DpiFunctions {
  UINT(WINAPI* dpiForWindow)(HWND window);
  int(WINAPI* metricForDpi)(int index, UINT dpi);
  BOOL(WINAPI* parametersForDpi)(UINT action, UINT parameter, void* value, UINT change, UINT dpi);
};

// GetDpiForWindow where the system has it and the window is given, the
// screen's LOGPIXELSY otherwise (96 when even that cannot be read).
UINT WindowDpi(HWND window);

// GetSystemMetricsForDpi, or the system's metric taken from the screen's
// resolution to dpi.
int SystemMetricAtDpi(int index, UINT dpi);

// The menu font of the non-client metrics at dpi: SystemParametersInfoForDpi,
// or the system's font with its height taken from the screen's resolution to
// dpi. False when the metrics could not be read (traced).
bool MenuFontAtDpi(UINT dpi, LOGFONTW* font);

// Test seam: the calls the functions above use in place of the system's
// (a null member stands for a system without it). Returns those in force
// before; a null argument goes back to the system's.
const DpiFunctions* SetDpiFunctionsForTesting(const DpiFunctions* functions);
