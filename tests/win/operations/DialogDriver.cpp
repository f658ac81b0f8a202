#include "DialogDriver.h"

#include <cstdio>
#include <thread>

namespace testing_support {

namespace {

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
  char className[16] = {};
  ::GetClassNameA(window, className, sizeof(className));
  if (lstrcmpA(className, "#32770") == 0 && ::IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

void DialogDriver::Run(const std::function<void()>& show, const Script& script, DWORD limitMs) {
  DialogDriver driver;
  driver.uiThread_ = ::GetCurrentThreadId();
  HANDLE done = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread watchdog([done, limitMs] {
    if (::WaitForSingleObject(done, limitMs) == WAIT_TIMEOUT) {
      std::fprintf(stderr, "watchdog: the dialog was still open after %lu ms\n", limitMs);
      std::fflush(stderr);
      ::TerminateProcess(::GetCurrentProcess(), 99);
    }
  });
  std::thread player([&driver, &script] { script(driver); });
  show();
  player.join();
  ::SetEvent(done);
  watchdog.join();
  ::CloseHandle(done);
}

HWND DialogDriver::WaitForDialog(DWORD timeoutMs) {
  dialog_ = nullptr;
  WaitUntil(
      [this] {
        ::EnumThreadWindows(uiThread_, &FindDialog, reinterpret_cast<LPARAM>(&dialog_));
        return dialog_ != nullptr;
      },
      timeoutMs);
  return dialog_;
}

std::string DialogDriver::Caption() const {
  char text[512] = {};
  ::GetWindowTextA(dialog_, text, sizeof(text));
  return text;
}

std::string DialogDriver::Text(int id) const {
  const HWND control = ::GetDlgItem(dialog_, id);
  std::string text(static_cast<size_t>(::GetWindowTextLengthA(control)) + 1, '\0');
  text.resize(static_cast<size_t>(::GetWindowTextA(control, &text[0], static_cast<int>(text.size()))));
  return text;
}

bool DialogDriver::Visible(int id) const { return ::IsWindowVisible(::GetDlgItem(dialog_, id)) != FALSE; }

int DialogDriver::FocusId() const {
  // The dialog turns visible inside its activation, before the activation
  // has put the focus back on its control: a message answered by the
  // dialog's thread means it is back in its loop and the focus has settled.
  DWORD_PTR answer = 0;
  ::SendMessageTimeoutA(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  if (!::GetGUIThreadInfo(uiThread_, &info) || !info.hwndFocus) return 0;
  return ::GetDlgCtrlID(info.hwndFocus);
}

void DialogDriver::Click(int id) const { ::PostMessageA(::GetDlgItem(dialog_, id), BM_CLICK, 0, 0); }

void DialogDriver::ClickText(int id) const {
  const HWND control = ::GetDlgItem(dialog_, id);
  ::PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ::PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

void DialogDriver::PressKey(UINT key) const {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  HWND target = ::GetGUIThreadInfo(uiThread_, &info) && info.hwndFocus ? info.hwndFocus : dialog_;
  ::PostMessageA(target, WM_KEYDOWN, key, 1);
  ::PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

void DialogDriver::CloseBox() const { ::PostMessageA(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0); }

void DialogDriver::Shot(const std::string& name) const {
  char folder[MAX_PATH] = {};
  if (!::GetEnvironmentVariableA("VARNOKE_SHOT_DIR", folder, MAX_PATH)) return;
  ::Sleep(300);  // let the animation and the text settle on the screen
  RECT rect = {};
  ::GetWindowRect(dialog_, &rect);
  const std::string request = std::string(folder) + "\\" + name + ".req";
  char line[128];
  wsprintfA(line, "%ld %ld %ld %ld", rect.right - rect.left, rect.bottom - rect.top, rect.left, rect.top);
  HANDLE file = ::CreateFileA(request.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(file, line, lstrlenA(line), &written, nullptr);
  ::CloseHandle(file);
  WaitUntil([&request] { return ::GetFileAttributesA(request.c_str()) == INVALID_FILE_ATTRIBUTES; }, 15000);
}

bool DialogDriver::WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (::GetTickCount() - start > timeoutMs) return false;
    ::Sleep(5);
  }
}

}  // namespace testing_support
