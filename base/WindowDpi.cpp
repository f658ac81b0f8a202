#include "base/WindowDpi.h"

#include <cstddef>

#include "base/DisplayScale.h"
#include "base/ErrorReturn.h"
#include "base/Handles.h"
#include "base/LastError.h"

namespace {

// The metrics as they were before the padded border width was added: the
// form every version of the system fills.
constexpr UINT kNonClientMetricsSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);

const DpiFunctions* testFunctions = nullptr;

template <typename Function>
Function UserEntry(const char* name) {
  HMODULE user = ::GetModuleHandleA("user32.dll");
  if (!user) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(user, name)));
}

// Looked up on each call: the calls are rare (a menu's measuring, a
// dialog's start), and nothing is cached that could outlive user32.
DpiFunctions Functions() {
  if (testFunctions) return *testFunctions;
  DpiFunctions found = {};
  found.dpiForWindow = UserEntry<decltype(found.dpiForWindow)>("GetDpiForWindow");
  found.metricForDpi = UserEntry<decltype(found.metricForDpi)>("GetSystemMetricsForDpi");
  found.parametersForDpi = UserEntry<decltype(found.parametersForDpi)>("SystemParametersInfoForDpi");
  return found;
}

// The resolution the system's own metrics and fonts are given in.
UINT ScreenDpi() {
  WindowDC screen(nullptr);
  if (!screen) {
    TRACE_FAILURE(LastFailure());
    return kDesignDpi;
  }
  const int dpi = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
  return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

int ScaleFromScreen(int value, UINT dpi) {
  return ::MulDiv(value, static_cast<int>(dpi), static_cast<int>(ScreenDpi()));
}

}  // namespace

UINT WindowDpi(HWND window) {
  const DpiFunctions functions = Functions();
  if (window && functions.dpiForWindow) {
    // Zero for a window that is gone: then the screen decides.
    if (const UINT dpi = functions.dpiForWindow(window)) return dpi;
  }
  return ScreenDpi();
}

int SystemMetricAtDpi(int index, UINT dpi) {
  const DpiFunctions functions = Functions();
  if (functions.metricForDpi) return functions.metricForDpi(index, dpi);
  return ScaleFromScreen(::GetSystemMetrics(index), dpi);
}

bool MenuFontAtDpi(UINT dpi, LOGFONTW* font) {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = kNonClientMetricsSize;
  const DpiFunctions functions = Functions();
  if (functions.parametersForDpi) {
    if (!functions.parametersForDpi(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0, dpi)) {
      TRACE_FAILURE(LastFailure());
      return false;
    }
    *font = metrics.lfMenuFont;
    return true;
  }
  if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0)) {
    TRACE_FAILURE(LastFailure());
    return false;
  }
  *font = metrics.lfMenuFont;
  font->lfHeight = ScaleFromScreen(font->lfHeight, dpi);
  return true;
}

const DpiFunctions* SetDpiFunctionsForTesting(const DpiFunctions* functions) {
  const DpiFunctions* previous = testFunctions;
  testFunctions = functions;
  return previous;
}
