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

// Each handler answers true with the message's result, or false to pass the
// message on to the static control's own procedure.
struct HyperLinkLabel::Handler {
  UINT message;
  bool (*handle)(HyperLinkLabel& label, WPARAM wParam, LPARAM lParam, LRESULT* result);
};

const HyperLinkLabel::Handler HyperLinkLabel::kHandlers[] = {
    {WM_PAINT,
     [](HyperLinkLabel& label, WPARAM, LPARAM, LRESULT*) {
       PAINTSTRUCT paint = {};
       if (HDC dc = ::BeginPaint(label.window_, &paint)) {
         label.FillBackground(dc);
         label.Paint(dc);
         ::EndPaint(label.window_, &paint);
       }
       return true;
     }},
    {WM_PRINTCLIENT,
     [](HyperLinkLabel& label, WPARAM wParam, LPARAM, LRESULT*) {
       label.FillBackground(reinterpret_cast<HDC>(wParam));
       label.Paint(reinterpret_cast<HDC>(wParam));
       return true;
     }},
    {WM_ERASEBKGND, [](HyperLinkLabel&, WPARAM, LPARAM, LRESULT* result) { return *result = 1, true; }},
    {WM_SETFOCUS, [](HyperLinkLabel& label, WPARAM, LPARAM, LRESULT*) { return label.Repaint(false), true; }},
    {WM_KILLFOCUS, [](HyperLinkLabel& label, WPARAM, LPARAM, LRESULT*) { return label.Repaint(false), true; }},
    {WM_ENABLE, [](HyperLinkLabel& label, WPARAM, LPARAM, LRESULT*) { return label.Repaint(true), true; }},
    {WM_MOUSEMOVE,
     [](HyperLinkLabel& label, WPARAM, LPARAM lParam, LRESULT*) {
       if (!label.InLink({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) return false;
       ::SetCursor(label.handCursor_.get());
       return true;
     }},
    {WM_SETCURSOR,
     [](HyperLinkLabel& label, WPARAM, LPARAM, LRESULT* result) {
       POINT cursor = {};
       ::GetCursorPos(&cursor);
       ::ScreenToClient(label.window_, &cursor);
       if (!label.InLink(cursor)) return false;
       ::SetCursor(label.handCursor_.get());
       return *result = TRUE, true;
     }},
    {WM_LBUTTONDOWN,
     [](HyperLinkLabel& label, WPARAM, LPARAM lParam, LRESULT*) {
       const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
       if (!::PtInRect(&label.linkRect_, point)) return true;
       ::SetFocus(label.window_);
       ::SetCapture(label.window_);
       return true;
     }},
    {WM_LBUTTONUP,
     [](HyperLinkLabel& label, WPARAM, LPARAM lParam, LRESULT*) {
       if (::GetCapture() != label.window_) return true;
       ::ReleaseCapture();
       const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
       if (::PtInRect(&label.linkRect_, point)) label.Navigate();
       return true;
     }},
    {WM_CHAR,
     [](HyperLinkLabel& label, WPARAM wParam, LPARAM, LRESULT*) {
       if (wParam == VK_RETURN || wParam == VK_SPACE) label.Navigate();
       return true;
     }},
    {WM_GETDLGCODE, [](HyperLinkLabel&, WPARAM, LPARAM, LRESULT* result) { return *result = DLGC_WANTCHARS, true; }},
    {WM_SETFONT,
     [](HyperLinkLabel& label, WPARAM wParam, LPARAM lParam, LRESULT*) {
       label.normalFont_ = reinterpret_cast<HFONT>(wParam);
       if (LOWORD(lParam)) label.Repaint(true);
       return true;
     }},
    {WM_GETFONT,
     [](HyperLinkLabel& label, WPARAM, LPARAM, LRESULT* result) {
       return *result = reinterpret_cast<LRESULT>(label.normalFont_), true;
     }},
    {WM_UPDATEUISTATE, [](HyperLinkLabel&, WPARAM, LPARAM, LRESULT*) { return true; }},
    {WM_DESTROY,
     [](HyperLinkLabel& label, WPARAM, LPARAM, LRESULT*) {
       if (label.tooltip_) ::DestroyWindow(label.tooltip_);
       label.tooltip_ = nullptr;
       return false;
     }},
    {WM_NCDESTROY, [](HyperLinkLabel& label, WPARAM, LPARAM, LRESULT*) { return label.Detach(), false; }},
};

LRESULT HyperLinkLabel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // Detaching forgets both, and the control's own procedure still gets the
  // last messages.
  const WNDPROC previous = previous_;
  HWND window = window_;
  if (message >= WM_MOUSEMOVE && message <= 0x20A && tooltip_) {
    MSG relayed = {window_, message, wParam, lParam, 0, {0, 0}};
    ::SendMessageA(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
  }
  for (const Handler& handler : kHandlers) {
    if (handler.message != message) continue;
    LRESULT result = 0;
    if (handler.handle(*this, wParam, lParam, &result)) return result;
    break;
  }
  return ::CallWindowProcA(previous, window, message, wParam, lParam);
}

void HyperLinkLabel::Repaint(bool now) {
  ::InvalidateRect(window_, nullptr, TRUE);
  if (now) ::UpdateWindow(window_);
}
