// The frame every page of the configuration sheet shares: its descriptor,
// the binding to its dialog, the description label, control help and the
// apply notification.
#pragma once
#include <windows.h>
#include <prsht.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Handles.h"
#include "config/WindowBinding.h"
#include "settings/Settings.h"

// The page descriptor form handed to CreatePropertySheetPageA: the one that
// carries an activation context.
constexpr UINT kPageDescriptorSize = offsetof(PROPSHEETPAGEA, hActCtx) + sizeof(HANDLE);
#ifndef _WIN64
static_assert(kPageDescriptorSize == 52, "32-bit page descriptor with its activation context");
#endif

// Help popups go through this hook, so that tests can see what a page shows.
using HelpPopupFunction = HWND (*)(HWND owner, const char* text);
HelpPopupFunction SetConfigHelpPopupForTesting(HelpPopupFunction function);

class ConfigPage : private BindingTag {
 public:
  // descriptionId 0: the page has no description label.
  ConfigPage(Settings& settings, int dialogId, int iconId, unsigned descriptionId);
  virtual ~ConfigPage() = default;
  ConfigPage(const ConfigPage&) = delete;
  ConfigPage& operator=(const ConfigPage&) = delete;

  // The tab icon, if the page has one, is the size nearest to 16 x dpi / 96
  // that the icon holds; it lives as long as the page.
  PROPSHEETPAGEA Descriptor(UINT dpi);
  int dialogId() const { return dialogId_; }
  // The page dialog, once the user has opened the tab.
  HWND window() const { return window_; }

  // Takes the page out of the window-creation list if its dialog never
  // came (the sheet failed between announcing and creating it).
  void CancelPendingBinding() { DropBinding(this); }

  // Reads the controls into the working values and writes them into the
  // settings; false keeps the sheet open.
  virtual bool ApplyToSettings() = 0;

 protected:
  // Moves the working values into the controls (the dialog is up).
  virtual void OnInitDialog() = 0;
  // True when the page handled the command.
  virtual bool OnCommand(int /*controlId*/, int /*code*/) { return false; }
  // False keeps the page active (its values are not acceptable yet).
  virtual bool OnKillActive() { return true; }

  HWND Control(int id) const { return ::GetDlgItem(window_, id); }
  // A stored value outside 0..2 becomes 0 first; the box gets that state.
  void SetCheckBox(int id, int32_t& value);
  int32_t CheckBoxState(int id) const;
  // Checks the button `index` of first..last, unchecks the others; none is
  // checked for an index outside the group.
  void SetRadioGroup(int first, int last, int index);
  // Index of the checked button of first..last, or -1.
  int CheckedRadio(int first, int last) const;
  // Setting or reading a control's text failed: beep and focus it.
  void ComplainAbout(int id);
  // The full text of a control; false when it could not be read in full.
  bool ReadControlText(int id, std::string& text) const;

  Settings& settings_;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static UINT CALLBACK PageCallback(HWND window, UINT message, PROPSHEETPAGEA* page);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Answer(LONG_PTR result);
  void ShowControlHelp(const HELPINFO& request);

  HWND window_ = nullptr;
  int dialogId_;
  int iconId_;
  UniqueIcon tabIcon_;
  unsigned descriptionId_;
};
