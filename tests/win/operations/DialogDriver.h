// Plays the user of a modal dialog: the test thread shows the dialog, a
// second thread finds it, reads its controls and presses its buttons.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace testing_support {

class DialogDriver {
 public:
  using Script = std::function<void(DialogDriver&)>;

  // Runs `show` (which returns when the dialog has closed) on this thread and
  // `script` on a second one. A dialog that waits for a person would wait
  // forever: after `limitMs` the watchdog ends the whole test program.
  static void Run(const std::function<void()>& show, const Script& script, DWORD limitMs = 60000);

  // The visible dialog of the test thread; null when none came in time.
  HWND WaitForDialog(DWORD timeoutMs = 10000);
  HWND dialog() const { return dialog_; }
  std::string Caption() const;
  std::string Text(int id) const;
  bool Visible(int id) const;
  // Control id of the focus window, as the dialog's own thread has it once
  // its pending work is done. Another program's window taking the foreground
  // takes that focus away: a test that checks it runs alone.
  int FocusId() const;
  bool Closed() const { return !::IsWindow(dialog_) || !::IsWindowVisible(dialog_); }

  void Click(int id) const;  // BM_CLICK, as a mouse click on the button
  void ClickText(int id) const;  // a click on a static control
  void PressKey(UINT key) const;  // to the focus window
  void CloseBox() const;  // the caption's close button

  // With VARNOKE_SHOT_DIR set (a folder shared with a screenshot taker
  // outside Wine), asks for a picture of the dialog and waits until taken.
  void Shot(const std::string& name) const;

  // Polls `condition` every 5 ms; false on timeout.
  static bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 20000);

 private:
  DWORD uiThread_ = 0;
  HWND dialog_ = nullptr;
};

}  // namespace testing_support
