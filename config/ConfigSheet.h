// ConfigSheet: the modal "Configure Varnoke" property sheet over a CShellExt
// object's Settings; OK applies the opened pages and saves the record.
#pragma once
#include <windows.h>
#include <prsht.h>

#include <array>
#include <vector>

#include "config/CleanPage.h"
#include "config/DeletePage.h"
#include "config/DosBoxPage.h"
#include "config/ItemsPage.h"
#include "config/WindowBinding.h"
#include "settings/Settings.h"

// The header form with the watermark and header-bitmap fields.
constexpr UINT kSheetHeaderSize = offsetof(PROPSHEETHEADERA, hbmHeader) + sizeof(HBITMAP);
#ifndef _WIN64
static_assert(kSheetHeaderSize == 52, "32-bit sheet header with watermark and header bitmap");
#endif

// Shows the sheet over `settings` until the user closes it; OK changes and
// saves them.
void ShowConfigSheet(Settings& settings, HWND owner);

class ConfigSheet : private BindingTag {
 public:
  // The tab icons are made for the resolution of the owner-to-be.
  explicit ConfigSheet(Settings& settings, HWND owner = nullptr);
  ~ConfigSheet();
  ConfigSheet(const ConfigSheet&) = delete;
  ConfigSheet& operator=(const ConfigSheet&) = delete;

  // Runs the sheet and returns what PropertySheetA returned, or -1 when it
  // could not be run.
  int RunModal(HWND owner);

 private:
  static int CALLBACK SheetCallback(HWND window, UINT message, LPARAM lParam);
  static LRESULT CALLBACK SheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The pages in tab order.
  std::array<ConfigPage*, 4> Pages();
  void AddPage(ConfigPage& page, UINT dpi);
  void Subclass(HWND window);

  Settings& settings_;
  PROPSHEETHEADERA header_ = {};
  std::vector<HPROPSHEETPAGE> pages_;
  ItemsPage itemsPage_;
  DosBoxPage dosBoxPage_;
  DeletePage deletePage_;
  CleanPage cleanPage_;
  WNDPROC previous_ = nullptr;
};
