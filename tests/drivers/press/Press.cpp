// press.exe: lets a script act like a user on a window of another program.
//   press.exe wait <title> [<control id> <text>]   wait (up to 30 s) for the top-level window,
//                                                  and optionally until a control shows a text
//   press.exe rect <title>                         print the window's screen rectangle: x y width height
//   press.exe click <title> <control id>           click a button of the window (BM_CLICK)
// Exit codes: 0 done, 1 usage, 2 no such window or control in time.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

HWND FindTopLevel(const char* title) {
  HWND window = ::FindWindowA(nullptr, title);
  return window && ::IsWindowVisible(window) ? window : nullptr;
}

bool ControlShows(HWND window, int id, const char* text) {
  HWND control = ::GetDlgItem(window, id);
  if (!control) return false;
  char buffer[512] = {};
  ::GetWindowTextA(control, buffer, sizeof(buffer));
  return std::strcmp(buffer, text) == 0;
}

HWND WaitFor(const char* title, int id, const char* text) {
  for (int i = 0; i < 600; ++i) {
    HWND window = FindTopLevel(title);
    if (window && (!text || ControlShows(window, id, text))) return window;
    ::Sleep(50);
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: press.exe wait|rect|click <title> [...]\n");
    return 1;
  }
  const std::string command = argv[1];
  const char* title = argv[2];
  if (command == "wait") {
    const int id = argc > 4 ? std::atoi(argv[3]) : 0;
    return WaitFor(title, id, argc > 4 ? argv[4] : nullptr) ? 0 : 2;
  }
  HWND window = WaitFor(title, 0, nullptr);
  if (!window) return 2;
  if (command == "rect") {
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    return 0;
  }
  if (command == "click" && argc > 3) {
    HWND button = ::GetDlgItem(window, std::atoi(argv[3]));
    if (!button) return 2;
    ::PostMessageA(button, BM_CLICK, 0, 0);
    return 0;
  }
  std::fprintf(stderr, "usage: press.exe wait|rect|click <title> [...]\n");
  return 1;
}
