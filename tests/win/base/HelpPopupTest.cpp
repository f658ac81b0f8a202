// The help popup's calls into HTML Help and the loader that finds it.
#include <windows.h>
#include <htmlhelp.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/HelpPopup.h"
#include "tests/shared/SeamOverride.h"

namespace {

// Everything the loader and the entry point were asked, in order.
struct Call {
  std::string what;
  std::string argument;
};
std::vector<Call> calls;
struct PopupCall {
  HWND window;
  UINT command;
  DWORD_PTR data;
  HH_POPUP popup;
};
std::vector<PopupCall> entryCalls;
bool keyExists = true;
bool libraryLoads = true;
bool hasOrdinal = true;
const HMODULE kFakeLibrary = reinterpret_cast<HMODULE>(0x5A000000);
constexpr DWORD kCookie = 0xC00C1E;

HWND WINAPI FakeHtmlHelp(HWND window, LPCSTR file, UINT command, DWORD_PTR data) {
  PopupCall call = {window, command, data, {}};
  EXPECT_EQ(nullptr, file);
  if (command == HH_INITIALIZE) *reinterpret_cast<DWORD*>(data) = kCookie;
  if (command == HH_DISPLAY_TEXT_POPUP) call.popup = *reinterpret_cast<const HH_POPUP*>(data);
  entryCalls.push_back(call);
  return reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x100 + command));
}

LSTATUS WINAPI FakeOpenKey(HKEY root, LPCSTR name, DWORD, REGSAM, PHKEY key) {
  calls.push_back({"open", name});
  EXPECT_EQ(HKEY_CLASSES_ROOT, root);
  if (!keyExists) return ERROR_FILE_NOT_FOUND;
  return ::RegOpenKeyExA(HKEY_CURRENT_USER, "", 0, KEY_QUERY_VALUE, key);  // any real key to close
}
LSTATUS WINAPI FakeQueryValue(HKEY, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
  calls.push_back({"query", name ? name : "(default)"});
  const char path[] = "C:\\windows\\system32\\fake-hhctrl.ocx";
  EXPECT_GE(*size, sizeof(path));
  memcpy(data, path, sizeof(path));
  *type = REG_SZ;
  *size = sizeof(path);
  return ERROR_SUCCESS;
}
HMODULE WINAPI FakeLoadLibrary(LPCSTR name) {
  calls.push_back({"load", name});
  return libraryLoads ? kFakeLibrary : nullptr;
}
FARPROC WINAPI FakeGetProcAddress(HMODULE module, LPCSTR name) {
  EXPECT_EQ(kFakeLibrary, module);
  calls.push_back({"entry", IS_INTRESOURCE(name) ? std::to_string(reinterpret_cast<UINT_PTR>(name)) : name});
  return hasOrdinal ? reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&FakeHtmlHelp)) : nullptr;
}
const HelpLoaderPlatform kFakes = {&FakeOpenKey, &FakeQueryValue, &FakeLoadLibrary, &FakeGetProcAddress};

class HelpPopup : public testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    entryCalls.clear();
    keyExists = libraryLoads = hasOrdinal = true;
    ResetHelpLoader();
  }
  void TearDown() override { ResetHelpLoader(); }
  SeamOverride<HelpLoaderPlatform> seam{HelpLoaderCalls(), kFakes};
};

std::string Trace() {
  std::string text;
  for (const Call& call : calls) text += call.what + ":" + call.argument + ";";
  return text;
}

}  // namespace

TEST_F(HelpPopup, InitialisesShowsTheTextAtTheCursorAndUninitialises) {
  ASSERT_TRUE(::SetCursorPos(123, 77));
  POINT cursor = {};
  ::GetCursorPos(&cursor);
  const HWND owner = reinterpret_cast<HWND>(0x1234);
  const char* text = "Selected folder(s):\n\nC:\\a\nC:\\b\n";
  const HWND result = ShowHelpPopup(owner, text);

  ASSERT_EQ(3u, entryCalls.size());
  EXPECT_EQ(nullptr, entryCalls[0].window);
  EXPECT_EQ(static_cast<UINT>(HH_INITIALIZE), entryCalls[0].command);
  EXPECT_EQ(owner, entryCalls[1].window);
  EXPECT_EQ(static_cast<UINT>(HH_DISPLAY_TEXT_POPUP), entryCalls[1].command);
  EXPECT_EQ(nullptr, entryCalls[2].window);
  EXPECT_EQ(static_cast<UINT>(HH_UNINITIALIZE), entryCalls[2].command);
  EXPECT_EQ(kCookie, entryCalls[2].data);  // the cookie itself, not its address
  EXPECT_EQ(reinterpret_cast<HWND>(0x100 + HH_UNINITIALIZE), result);

  const HH_POPUP& popup = entryCalls[1].popup;
  EXPECT_EQ(static_cast<int>(sizeof(HH_POPUP)), popup.cbStruct);
  EXPECT_EQ(nullptr, popup.hinst);
  EXPECT_EQ(0u, popup.idString);
  EXPECT_EQ(text, popup.pszText);  // passed on, not copied
  EXPECT_EQ(cursor.x, popup.pt.x);
  EXPECT_EQ(cursor.y, popup.pt.y);
  EXPECT_EQ(0xFFFFFFFFu, popup.clrForeground);
  EXPECT_EQ(0xFFFFFFFFu, popup.clrBackground);
  EXPECT_EQ(20, popup.rcMargins.left);
  EXPECT_EQ(10, popup.rcMargins.top);
  EXPECT_EQ(20, popup.rcMargins.right);
  EXPECT_EQ(10, popup.rcMargins.bottom);
  EXPECT_EQ(nullptr, popup.pszFont);
}

TEST_F(HelpPopup, LoaderUsesTheRegisteredLibraryOnceAndKeepsIt) {
  ShowHelpPopup(nullptr, "x");
  EXPECT_EQ(
      "open:CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32;query:(default);"
      "load:C:\\windows\\system32\\fake-hhctrl.ocx;entry:14;",
      Trace());
  calls.clear();
  ShowHelpPopup(nullptr, "y");
  EXPECT_EQ("", Trace());
  EXPECT_EQ(6u, entryCalls.size());
}

TEST_F(HelpPopup, WithoutRegistrationTheLibraryIsLoadedByName) {
  keyExists = false;
  ShowHelpPopup(nullptr, "x");
  EXPECT_EQ(
      "open:CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32;load:hhctrl.ocx;entry:14;", Trace());
  EXPECT_EQ(3u, entryCalls.size());
}

TEST_F(HelpPopup, MissingLibraryIsTriedOnceAndNeverAgain) {
  keyExists = false;
  libraryLoads = false;
  EXPECT_EQ(nullptr, ShowHelpPopup(nullptr, "x"));
  EXPECT_EQ("open:CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32;load:hhctrl.ocx;", Trace());
  calls.clear();
  keyExists = libraryLoads = true;  // even a library that appears later is not looked for
  EXPECT_EQ(nullptr, ShowHelpPopup(nullptr, "x"));
  EXPECT_EQ(nullptr, CallHtmlHelp(nullptr, nullptr, HH_INITIALIZE, 0));
  EXPECT_EQ("", Trace());
  EXPECT_TRUE(entryCalls.empty());
}

TEST_F(HelpPopup, MissingEntryPointIsAskedForAgainButTheLibraryIsKept) {
  hasOrdinal = false;
  EXPECT_EQ(nullptr, ShowHelpPopup(nullptr, "x"));
  EXPECT_EQ(
      "open:CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32;query:(default);"
      "load:C:\\windows\\system32\\fake-hhctrl.ocx;entry:14;entry:14;entry:14;",
      Trace());
  calls.clear();
  hasOrdinal = true;
  ShowHelpPopup(nullptr, "x");
  EXPECT_EQ("entry:14;", Trace());
  EXPECT_EQ(3u, entryCalls.size());
}
