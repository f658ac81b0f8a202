// The web link label on a static control: cursor, clicks, keys, colours.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SheetDriver.h"
#include "resources/ResourceIds.h"
#include "config/HyperLinkLabel.h"
#include "tests/shared/AnchorColorCase.h"

using namespace config_test;

namespace {

constexpr char kBrowserKey[] = "Software\\Microsoft\\Internet Explorer\\Settings";
constexpr COLORREF kDefaultLink = RGB(0, 0, 255);
constexpr COLORREF kDefaultVisited = RGB(128, 0, 128);

std::vector<std::string> opened;
INT_PTR openAnswer = 42;

HINSTANCE WINAPI RecordOpen(HWND, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT) {
  opened.push_back(std::string(verb) + " " + file);
  return reinterpret_cast<HINSTANCE>(openAnswer);
}

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CTLCOLORSTATIC) return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
  return ::DefWindowProcA(window, message, wParam, lParam);
}

// A window with one centred static control, as on the Items page.
class LinkFixture : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ParentProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VarnokeLinkTestParent";
    ::RegisterClassA(&windowClass);
    parent_ = ::CreateWindowExA(0, "VarnokeLinkTestParent", "link", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr,
                                nullptr, windowClass.hInstance, nullptr);
    control_ = ::CreateWindowExA(0, "Static", "varnoke.example.org", WS_CHILD | WS_VISIBLE | SS_CENTER, 10, 10, 300,
                                 20, parent_, reinterpret_cast<HMENU>(IDC_WEBLINK), windowClass.hInstance, nullptr);
    opened.clear();
    openAnswer = 42;
    previousOpen_ = HyperLinkLabel::SetOpenForTesting(RecordOpen);
  }
  void TearDown() override {
    HyperLinkLabel::SetOpenForTesting(previousOpen_);
    ::DestroyWindow(parent_);
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kBrowserKey);
  }

  POINT LinkCentre(const HyperLinkLabel& label) const {
    const RECT& r = label.linkRect();
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  void Press(UINT message, POINT at) { ::SendMessageA(control_, message, MK_LBUTTON, MAKELPARAM(at.x, at.y)); }

  // The control painted into a bitmap: how many pixels carry the colour,
  // and the longest horizontal run of it (the underline).
  struct Painted {
    int pixels = 0;
    int longestRun = 0;
  };
  Painted Paint(COLORREF colour) {
    RECT client = {};
    ::GetClientRect(control_, &client);
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::SendMessageA(control_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    Painted result;
    for (int y = 0; y < client.bottom; ++y) {
      int run = 0;
      for (int x = 0; x < client.right; ++x) {
        if (::GetPixel(memory, x, y) == colour) {
          ++result.pixels;
          if (++run > result.longestRun) result.longestRun = run;
        } else {
          run = 0;
        }
      }
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return result;
  }

  SettingsKeyLock lock_;  // the browser key too: one test at a time
  HWND parent_ = nullptr;
  HWND control_ = nullptr;
  HyperLinkLabel::OpenFunction previousOpen_ = nullptr;
};

void WriteBrowserColour(const char* name, const std::string& text) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS,
            ::RegCreateKeyExA(HKEY_CURRENT_USER, kBrowserKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
  ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
  ::RegCloseKey(key);
}

struct ToolSearch {
  HWND control;
  HWND tooltip = nullptr;
};

BOOL CALLBACK FindTooltip(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<ToolSearch*>(context);
  char className[32] = {};
  ::GetClassNameA(window, className, sizeof(className));
  // A popup made with a child as its parent is owned by the child's top-level window.
  HWND owner = ::GetWindow(window, GW_OWNER);
  if (lstrcmpiA(className, TOOLTIPS_CLASSA) == 0 &&
      (owner == search->control || owner == ::GetAncestor(search->control, GA_ROOT))) {
    search->tooltip = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

TEST_F(LinkFixture, AttachingMakesTheStaticClickableCentresTheLinkAndRegistersTheTooltip) {
  HyperLinkLabel label;
  ASSERT_TRUE(label.Attach(control_));
  EXPECT_TRUE(::GetWindowLongA(control_, GWL_STYLE) & SS_NOTIFY);
  const RECT& link = label.linkRect();
  RECT client = {};
  ::GetClientRect(control_, &client);
  EXPECT_GT(link.right - link.left, 20);
  EXPECT_LT(link.right - link.left, client.right);
  EXPECT_NEAR(client.right - link.right, link.left, 1);
  ToolSearch search{control_};
  ::EnumThreadWindows(::GetCurrentThreadId(), FindTooltip, reinterpret_cast<LPARAM>(&search));
  ASSERT_NE(nullptr, search.tooltip);
  char text[64] = {};
  TOOLINFOA tool = {};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.hwnd = control_;
  tool.uId = 1;
  tool.lpszText = text;
  ::SendMessageA(search.tooltip, TTM_GETTEXTA, sizeof(text), reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ("varnoke.example.org", text);
  EXPECT_EQ(DLGC_WANTCHARS, ::SendMessageA(control_, WM_GETDLGCODE, 0, 0));
  EXPECT_FALSE(label.Attach(control_));
}

TEST_F(LinkFixture, TheHandCursorIsAMonochromePointerWithItsHotSpotAtTheFingerTip) {
  HyperLinkLabel label;
  ASSERT_TRUE(label.Attach(control_));
  ICONINFO info = {};
  ASSERT_TRUE(::GetIconInfo(label.handCursor(), &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(5u, info.xHotspot);
  EXPECT_EQ(0u, info.yHotspot);
  EXPECT_EQ(nullptr, info.hbmColor);
  BITMAP mask = {};
  ::GetObjectA(info.hbmMask, sizeof(mask), &mask);
  EXPECT_EQ(32, mask.bmWidth);
  EXPECT_EQ(64, mask.bmHeight);  // AND and XOR planes
  ::DeleteObject(info.hbmMask);
  if (info.hbmColor) ::DeleteObject(info.hbmColor);
}

TEST_F(LinkFixture, TheHandShowsOverTheTextOnly) {
  HyperLinkLabel label;
  ASSERT_TRUE(label.Attach(control_));
  HCURSOR arrow = ::LoadCursorA(nullptr, IDC_ARROW);
  ::SetCursor(arrow);
  Press(WM_MOUSEMOVE, LinkCentre(label));
  EXPECT_EQ(label.handCursor(), ::GetCursor());
  ::SetCursor(arrow);
  Press(WM_MOUSEMOVE, {1, 1});
  EXPECT_EQ(arrow, ::GetCursor());
}

TEST_F(LinkFixture, OnlyAClickPressedAndReleasedOnTheTextOpensTheTarget) {
  HyperLinkLabel label;
  ASSERT_TRUE(label.Attach(control_));
  Press(WM_LBUTTONDOWN, {1, 1});
  Press(WM_LBUTTONUP, {1, 1});
  Press(WM_LBUTTONDOWN, LinkCentre(label));
  Press(WM_LBUTTONUP, {1, 1});
  EXPECT_TRUE(opened.empty());
  EXPECT_FALSE(label.visited());
  Press(WM_LBUTTONDOWN, LinkCentre(label));
  EXPECT_EQ(control_, ::GetFocus());
  Press(WM_LBUTTONUP, LinkCentre(label));
  ASSERT_EQ(1u, opened.size());
  EXPECT_EQ("open varnoke.example.org", opened[0]);
  EXPECT_TRUE(label.visited());
  EXPECT_EQ(nullptr, ::GetCapture());
}

TEST_F(LinkFixture, SpaceAndEnterOpenOtherKeysDoNot) {
  HyperLinkLabel label;
  ASSERT_TRUE(label.Attach(control_));
  ::SendMessageA(control_, WM_CHAR, 'a', 0);
  EXPECT_TRUE(opened.empty());
  ::SendMessageA(control_, WM_CHAR, VK_SPACE, 0);
  ::SendMessageA(control_, WM_CHAR, VK_RETURN, 0);
  EXPECT_EQ(2u, opened.size());
}

TEST_F(LinkFixture, AFailedOpenLeavesTheLinkUnvisited) {
  HyperLinkLabel label;
  ASSERT_TRUE(label.Attach(control_));
  openAnswer = 32;
  EXPECT_FALSE(label.Navigate());
  EXPECT_FALSE(label.visited());
  openAnswer = 33;
  EXPECT_TRUE(label.Navigate());
  EXPECT_TRUE(label.visited());
}

TEST_F(LinkFixture, PaintsUnderlinedInTheLinkThenTheVisitedThenTheDisabledColour) {
  HyperLinkLabel label;
  ASSERT_TRUE(label.Attach(control_));
  const RECT link = label.linkRect();
  const int textWidth = link.right - link.left;
  const Painted fresh = Paint(kDefaultLink);
  EXPECT_GT(fresh.pixels, 0);
  EXPECT_GE(fresh.longestRun, textWidth * 3 / 4);
  EXPECT_EQ(0, Paint(kDefaultVisited).pixels);

  ASSERT_TRUE(label.Navigate());
  EXPECT_EQ(0, Paint(kDefaultLink).pixels);
  EXPECT_GE(Paint(kDefaultVisited).longestRun, textWidth * 3 / 4);

  ::EnableWindow(control_, FALSE);
  EXPECT_EQ(0, Paint(kDefaultVisited).pixels);
  EXPECT_GE(Paint(::GetSysColor(COLOR_GRAYTEXT)).longestRun, textWidth * 3 / 4);
}

TEST_F(LinkFixture, BrowserColoursAreReadWhenTheyFitAndParse) {
  WriteBrowserColour("Anchor Color", anchor_color_case::kNavyText);
  WriteBrowserColour("Anchor Color Visited", "255, 255, 255");  // 13 characters: too long
  HyperLinkLabel label;
  ASSERT_TRUE(label.Attach(control_));
  EXPECT_EQ(anchor_color_case::kNavy, label.linkColor());
  EXPECT_EQ(kDefaultVisited, label.visitedColor());
  EXPECT_GT(Paint(anchor_color_case::kNavy).pixels, 0);
}

TEST_F(LinkFixture, ElevenCharactersFitAndUnusableTextsKeepTheDefaults) {
  WriteBrowserColour("Anchor Color", "1,2");
  WriteBrowserColour("Anchor Color Visited", "255,255,255");
  HyperLinkLabel label;
  ASSERT_TRUE(label.Attach(control_));
  EXPECT_EQ(kDefaultLink, label.linkColor());
  EXPECT_EQ(RGB(255, 255, 255), label.visitedColor());
}

TEST(ItemsPageLink, TheItemsPageCarriesTheProjectAddressAsALink) {
  SettingsKeyLock lock;
  std::string text;
  LRESULT code = 0;
  LONG style = 0;
  CShellExt* shellExt = new CShellExt();
  shellExt->AddRef();
  EXPECT_TRUE(RunSheet(*shellExt, [&](SheetUser& user) {
    HWND link = ::GetDlgItem(user.CurrentPage(), IDC_WEBLINK);
    text = user.Text(link);
    code = ::SendMessageA(link, WM_GETDLGCODE, 0, 0);
    style = ::GetWindowLongA(link, GWL_STYLE);
    user.PressCancel();
  }));
  shellExt->Release();
  EXPECT_EQ("varnoke.example.org", text);
  EXPECT_EQ(DLGC_WANTCHARS, code);
  EXPECT_TRUE(style & SS_NOTIFY);
}
