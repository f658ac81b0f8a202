// HyperLinkLabel: a static control turned into a web link (hand cursor,
// underlined text in the browser's link colours, tooltip, keyboard).
#pragma once
#include <windows.h>

#include <string>

#include "base/Handles.h"

class HyperLinkLabel {
 public:
  HyperLinkLabel() = default;
  ~HyperLinkLabel();
  HyperLinkLabel(const HyperLinkLabel&) = delete;
  HyperLinkLabel& operator=(const HyperLinkLabel&) = delete;

  // Takes over the control's window procedure; false leaves it a plain
  // static.
  bool Attach(HWND control);
  bool SetLabel(const char* text);
  bool SetTarget(const char* text);
  // Opens the target with the shell; on success the link shows as visited.
  bool Navigate();

  bool attached() const { return window_ != nullptr; }
  bool visited() const { return visited_; }
  COLORREF linkColor() const { return linkColor_; }
  COLORREF visitedColor() const { return visitedColor_; }
  const RECT& linkRect() const { return linkRect_; }
  HCURSOR handCursor() const { return handCursor_.get(); }

  // Tests open nothing: they replace the shell's open call.
  using OpenFunction = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
  static OpenFunction SetOpenForTesting(OpenFunction open);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Repaint(bool now);
  struct Handler;
  static const Handler kHandlers[];
  void Initialise();
  void Detach();
  const std::string* Shown() const;
  UINT Alignment() const;
  void ComputeLinkRect();
  bool InLink(POINT point) const;
  void RegisterTool();
  void ReadColors();
  void FillBackground(HDC dc);
  void Paint(HDC dc);

  HWND window_ = nullptr;
  WNDPROC previous_ = nullptr;
  bool hasLabel_ = false;
  std::string label_;
  bool hasTarget_ = false;
  std::string target_;
  UniqueCursor handCursor_;
  HFONT normalFont_ = nullptr;  // the dialog's; not owned
  UniqueFont linkFont_;
  RECT linkRect_ = {};
  HWND tooltip_ = nullptr;  // a child of the control, gone with it
  COLORREF linkColor_ = RGB(0, 0, 255);
  COLORREF visitedColor_ = RGB(128, 0, 128);
  bool visited_ = false;
};
