// The window messages by which a run's worker tells its dialog.
#pragma once
#include <windows.h>

// Messages from the worker to the dialog; the texts are wide.
constexpr UINT WM_OP_DONE = WM_APP;      // posted as the worker's last action
constexpr UINT WM_OP_FILE = WM_APP + 1;  // sent, wParam = shortened path
constexpr UINT WM_OP_PASS = WM_APP + 2;  // sent, wParam = "Pass n of m"
// Sent, wParam = const ProgressFigures*; lParam 1: a change of state, shown
// at once.
constexpr UINT WM_OP_PROGRESS = WM_APP + 3;
