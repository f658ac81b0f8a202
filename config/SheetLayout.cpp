#include "config/SheetLayout.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "base/ErrorReturn.h"
#include "base/LastError.h"
#include "resources/ResourceIds.h"

namespace {

// Places an extent inside the work area, centred on the reference.
LONG CentredStart(LONG referenceStart, LONG referenceEnd, LONG extent, LONG workStart, LONG workEnd) {
  LONG start = (referenceStart + referenceEnd) / 2 - extent / 2;
  if (start < workStart)
    start = workStart;
  else if (start + extent > workEnd)
    start = workEnd - extent;
  return start;
}

// The sheet itself is not shown yet: look at the buttons' own style.
bool IsShown(HWND window) { return window && (::GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE); }

}  // namespace

// Some sheet implementations (Wine's among them) keep their template's tab
// control when the pages have its size, so that the tab headers cut off the
// bottom of every page. Grow the tab control until its display area holds a
// page, and the sheet with it; where the sheet already fits, nothing moves.
void FitSheetToPages(HWND sheet) {
  HWND tabs = reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
  if (!tabs) return;
  RECT page = {0, 0, PAGE_WIDTH_DU, PAGE_HEIGHT_DU};
  ::MapDialogRect(sheet, &page);
  RECT display = {};
  ::GetClientRect(tabs, &display);
  ::SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  const LONG dx = std::max<LONG>(0, page.right - (display.right - display.left));
  const LONG dy = std::max<LONG>(0, page.bottom - (display.bottom - display.top));
  if (!dx && !dy) return;
  RECT tabsRect = {};
  ::GetWindowRect(tabs, &tabsRect);
  for (HWND child = ::GetWindow(sheet, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT r = {};
    ::GetWindowRect(child, &r);
    if (child == tabs || r.top < tabsRect.bottom) continue;
    ::MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&r), 2);
    ::SetWindowPos(child, nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ::SetWindowPos(tabs, nullptr, 0, 0, tabsRect.right - tabsRect.left + dx, tabsRect.bottom - tabsRect.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT frame = {};
  ::GetWindowRect(sheet, &frame);
  ::SetWindowPos(sheet, nullptr, 0, 0, frame.right - frame.left + dx, frame.bottom - frame.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The sheet has no Apply button and no help button (help comes per control
// with F1): where the implementation still shows them, hide them and let OK
// and Cancel take the right-most places, as the system's own sheets do.
void TidySheetButtons(HWND sheet) {
  const int order[] = {IDOK, IDCANCEL, IDC_SHEET_APPLY, IDHELP};
  std::vector<std::pair<LONG, LONG>> places;  // left, top in client coordinates
  for (int id : order) {
    HWND button = ::GetDlgItem(sheet, id);
    if (!IsShown(button)) continue;
    RECT r = {};
    ::GetWindowRect(button, &r);
    ::MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&r), 2);
    places.emplace_back(r.left, r.top);
  }
  std::sort(places.begin(), places.end());
  bool hidden = false;
  for (int id : {IDC_SHEET_APPLY, IDHELP}) {
    HWND button = ::GetDlgItem(sheet, id);
    if (IsShown(button)) {
      ::ShowWindow(button, SW_HIDE);
      hidden = true;
    }
  }
  if (!hidden || places.size() < 2) return;
  const std::pair<LONG, LONG>& okPlace = places[places.size() - 2];
  const std::pair<LONG, LONG>& cancelPlace = places[places.size() - 1];
  ::SetWindowPos(::GetDlgItem(sheet, IDOK), nullptr, okPlace.first, okPlace.second, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::SetWindowPos(::GetDlgItem(sheet, IDCANCEL), nullptr, cancelPlace.first, cancelPlace.second, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CentreSheet(HWND sheet) {
  HWND owner = ::GetWindow(sheet, GW_OWNER);
  if (!owner) owner = ::GetParent(sheet);
  const bool useOwner =
      owner && ::IsWindowVisible(owner) && !(::GetWindowLongA(owner, GWL_STYLE) & WS_MINIMIZE);
  RECT work = {};
  if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
    TRACE_FAILURE(LastFailure());
    return;
  }
  RECT reference = work;
  if (useOwner) ::GetWindowRect(owner, &reference);
  RECT frame = {};
  ::GetWindowRect(sheet, &frame);
  const LONG width = frame.right - frame.left;
  const LONG height = frame.bottom - frame.top;
  const LONG left = CentredStart(reference.left, reference.right, width, work.left, work.right);
  const LONG top = CentredStart(reference.top, reference.bottom, height, work.top, work.bottom);
  ::SetWindowPos(sheet, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
