#include "config/HyperLinkLabel.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <new>

#include "config/AnchorColor.h"
#include "base/ActivationContext.h"
#include "base/ErrorReturn.h"
#include "base/LastError.h"
#include "base/Module.h"

namespace {

constexpr const char kLabelProperty[] = "Varnoke.HyperLinkLabel";
constexpr const char kBrowserSettingsKey[] = "Software\\Microsoft\\Internet Explorer\\Settings";
constexpr UINT kToolId = 1;

#include "resources/HandCursor.inc"

HyperLinkLabel::OpenFunction openTarget = ::ShellExecuteA;

bool CopyText(std::string& into, const char* text) {
  try {
    into = text ? text : "";
    return true;
  } catch (const std::bad_alloc&) {
    TRACE_FAILURE(kResultOutOfMemory);
    return false;
  }
}

}  // namespace

HyperLinkLabel::OpenFunction HyperLinkLabel::SetOpenForTesting(OpenFunction open) {
  OpenFunction previous = openTarget;
  openTarget = open ? open : ::ShellExecuteA;
  return previous;
}

HyperLinkLabel::~HyperLinkLabel() { Detach(); }

bool HyperLinkLabel::Attach(HWND control) {
  if (!control || window_) return false;
  if (!::SetPropA(control, kLabelProperty, this)) {
    TRACE_LAST_FAILURE();
    return false;
  }
  ::SetLastError(0);
  previous_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HyperLinkLabel::WindowProc)));
  if (!previous_) {
    TRACE_LAST_FAILURE();
    ::RemovePropA(control, kLabelProperty);
    return false;
  }
  window_ = control;
  Initialise();
  return true;
}

void HyperLinkLabel::Detach() {
  if (!window_) return;
  if (::IsWindow(window_)) {
    ::SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    ::RemovePropA(window_, kLabelProperty);
  }
  window_ = nullptr;
  tooltip_ = nullptr;
}

void HyperLinkLabel::Initialise() {
  char className[8] = {};
  ::GetClassNameA(window_, className, sizeof(className));
  if (::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, className, -1, "static", -1) == CSTR_EQUAL)
    ::SetWindowLongA(window_, GWL_STYLE, ::GetWindowLongA(window_, GWL_STYLE) | SS_NOTIFY);

  handCursor_.reset(::CreateCursor(ModuleInstance(), kHandCursorHotX, kHandCursorHotY, 32, 32, kHandCursorAnd,
                                   kHandCursorXor));
  if (!handCursor_) TRACE_LAST_FAILURE();

  normalFont_ = reinterpret_cast<HFONT>(::SendMessageA(::GetParent(window_), WM_GETFONT, 0, 0));
  if (!normalFont_) normalFont_ = static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
  if (!linkFont_) {
    LOGFONTA description = {};
    if (::GetObjectA(normalFont_, sizeof(description), &description)) {
      description.lfUnderline = TRUE;
      linkFont_.reset(::CreateFontIndirectA(&description));
    }
  }

  {
    ActivationScope context;
    if (!context.Failed())
      tooltip_ = ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, window_, nullptr, ModuleInstance(), nullptr);
  }

  if (!hasLabel_) {
    const int length = ::GetWindowTextLengthA(window_);
    if (length > 0) {
      std::string text(static_cast<size_t>(length) + 1, '\0');
      text.resize(static_cast<size_t>(::GetWindowTextA(window_, &text[0], length + 1)));
      if (!text.empty()) SetLabel(text.c_str());
    }
  }
  ComputeLinkRect();
  if (hasTarget_)
    RegisterTool();
  else if (hasLabel_)
    SetTarget(label_.c_str());
  ReadColors();
}

bool HyperLinkLabel::SetLabel(const char* text) {
  hasLabel_ = CopyText(label_, text);
  if (!hasLabel_) return false;
  ComputeLinkRect();
  if (window_) ::SetWindowTextA(window_, label_.c_str());
  return true;
}

bool HyperLinkLabel::SetTarget(const char* text) {
  hasTarget_ = CopyText(target_, text);
  if (!hasTarget_) return false;
  if (!hasLabel_) ComputeLinkRect();
  RegisterTool();
  return true;
}

void HyperLinkLabel::RegisterTool() {
  if (!tooltip_) return;
  ::SendMessageA(tooltip_, TTM_ACTIVATE, TRUE, 0);
  TOOLINFOA tool = {};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.hwnd = window_;
  tool.uId = kToolId;
  tool.rect = linkRect_;
  tool.hinst = ModuleInstance();
  tool.lpszText = const_cast<char*>(target_.c_str());
  ::SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

bool HyperLinkLabel::Navigate() {
  if (!hasTarget_) return false;
  const HINSTANCE result = openTarget(nullptr, "open", target_.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  if (reinterpret_cast<INT_PTR>(result) <= 32) {
    TRACE_FAILURE(kResultFail);
    return false;
  }
  visited_ = true;
  if (window_) ::InvalidateRect(window_, nullptr, TRUE);
  return true;
}

const std::string* HyperLinkLabel::Shown() const {
  if (hasLabel_) return &label_;
  if (hasTarget_) return &target_;
  return nullptr;
}

UINT HyperLinkLabel::Alignment() const {
  const LONG style = ::GetWindowLongA(window_, GWL_STYLE);
  if ((style & SS_TYPEMASK) == SS_CENTER) return DT_CENTER;
  if ((style & SS_TYPEMASK) == SS_RIGHT) return DT_RIGHT;
  return DT_LEFT;
}

void HyperLinkLabel::ComputeLinkRect() {
  const std::string* text = Shown();
  if (!window_ || !text) return;
  RECT client = {};
  ::GetClientRect(window_, &client);
  RECT rect = client;
  const UINT alignment = Alignment();
  {
    WindowDC dc(window_);
    if (!dc) return;
    SelectionScope font(dc.get(), linkFont_ ? static_cast<HGDIOBJ>(linkFont_.get()) : normalFont_);
    ::DrawTextA(dc.get(), text->c_str(), -1, &rect, DT_CALCRECT | DT_WORDBREAK | alignment);
  }
  if (alignment == DT_CENTER)
    ::OffsetRect(&rect, (client.right - rect.right) / 2, 0);
  else if (alignment == DT_RIGHT)
    ::OffsetRect(&rect, client.right - rect.right, 0);
  linkRect_ = rect;
}

bool HyperLinkLabel::InLink(POINT point) const { return hasTarget_ && ::PtInRect(&linkRect_, point); }

void HyperLinkLabel::ReadColors() {
  // Reading needs no write access; a profile that only lets us read still
  // gets its colours.
  UniqueKey key;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, kBrowserSettingsKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
    key.release();
    return;
  }
  struct {
    const char* name;
    COLORREF* colour;
  } const values[] = {{"Anchor Color", &linkColor_}, {"Anchor Color Visited", &visitedColor_}};
  for (const auto& value : values) {
    unsigned char buffer[kAnchorColorValueSize] = {};
    DWORD type = 0;
    DWORD size = sizeof(buffer);
    if (::RegQueryValueExA(key.get(), value.name, nullptr, &type, buffer, &size) != ERROR_SUCCESS) continue;
    if (type != REG_SZ && type != REG_EXPAND_SZ) continue;
    if (const auto colour = AnchorColorFromValue(buffer, size)) *value.colour = *colour;
  }
}

void HyperLinkLabel::FillBackground(HDC dc) {
  const auto brush = reinterpret_cast<HBRUSH>(
      ::SendMessageA(::GetParent(window_), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(window_)));
  if (!brush) return;
  RECT client = {};
  ::GetClientRect(window_, &client);
  ::FillRect(dc, &client, brush);
}

void HyperLinkLabel::Paint(HDC dc) {
  const std::string* text = Shown();
  if (!text) return;
  ::SetBkMode(dc, TRANSPARENT);
  const COLORREF colour = !::IsWindowEnabled(window_) ? ::GetSysColor(COLOR_GRAYTEXT)
                          : visited_                  ? visitedColor_
                                                      : linkColor_;
  const COLORREF previousColour = ::SetTextColor(dc, colour);
  {
    SelectionScope font(dc, linkFont_ ? static_cast<HGDIOBJ>(linkFont_.get()) : normalFont_);
    RECT rect = linkRect_;
    ::DrawTextA(dc, text->c_str(), -1, &rect, Alignment() | DT_WORDBREAK);
    if (::GetFocus() == window_) ::DrawFocusRect(dc, &linkRect_);
  }
  ::SetTextColor(dc, previousColour);
}

LRESULT CALLBACK HyperLinkLabel::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* label = static_cast<HyperLinkLabel*>(::GetPropA(window, kLabelProperty));
  if (!label) return ::DefWindowProcA(window, message, wParam, lParam);
  try {
    return label->HandleMessage(message, wParam, lParam);
  } catch (...) {
    TRACE_FAILURE(kResultOutOfMemory);
    return 0;
  }
}

LRESULT HyperLinkLabel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const WNDPROC previous = previous_;
  HWND window = window_;
  if (message >= WM_MOUSEMOVE && message <= 0x20A && tooltip_) {
    MSG relayed = {window_, message, wParam, lParam, 0, {0, 0}};
    ::SendMessageA(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
  }
  const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint = {};
      if (HDC dc = ::BeginPaint(window_, &paint)) {
        FillBackground(dc);
        Paint(dc);
        ::EndPaint(window_, &paint);
      }
      return 0;
    }
    case WM_PRINTCLIENT:
      FillBackground(reinterpret_cast<HDC>(wParam));
      Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      ::InvalidateRect(window_, nullptr, TRUE);
      return 0;
    case WM_ENABLE:
      ::InvalidateRect(window_, nullptr, TRUE);
      ::UpdateWindow(window_);
      return 0;
    case WM_MOUSEMOVE:
      if (!InLink(point)) break;
      ::SetCursor(handCursor_.get());
      return 0;
    case WM_SETCURSOR: {
      POINT cursor = {};
      ::GetCursorPos(&cursor);
      ::ScreenToClient(window_, &cursor);
      if (!InLink(cursor)) break;
      ::SetCursor(handCursor_.get());
      return TRUE;
    }
    case WM_LBUTTONDOWN:
      if (::PtInRect(&linkRect_, point)) {
        ::SetFocus(window_);
        ::SetCapture(window_);
      }
      return 0;
    case WM_LBUTTONUP:
      if (::GetCapture() == window_) {
        ::ReleaseCapture();
        if (::PtInRect(&linkRect_, point)) Navigate();
      }
      return 0;
    case WM_CHAR:
      if (wParam == VK_RETURN || wParam == VK_SPACE) Navigate();
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS;
    case WM_SETFONT:
      normalFont_ = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) {
        ::InvalidateRect(window_, nullptr, TRUE);
        ::UpdateWindow(window_);
      }
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(normalFont_);
    case WM_UPDATEUISTATE:
      return 0;
    case WM_DESTROY:
      if (tooltip_) {
        ::DestroyWindow(tooltip_);
        tooltip_ = nullptr;
      }
      break;
    case WM_NCDESTROY:
      Detach();
      break;
    default:
      break;
  }
  return ::CallWindowProcA(previous, window, message, wParam, lParam);
}
