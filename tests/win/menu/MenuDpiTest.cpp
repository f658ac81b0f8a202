// The menu at the resolution of its window. The suite runs these at its
// prefix's 96 DPI; tests/win/menu/dpi-run.sh runs them again in prefixes
// of 144 and 192 DPI, telling them the resolution in VARNOKE_SCREEN_DPI.
#include <cstdlib>
#include <vector>

#include "MenuTestSupport.h"
#include "base/DisplayScale.h"
#include "base/ErrorReturn.h"
#include "base/Module.h"
#include "base/WindowDpi.h"
#include "menu/MenuDraw.h"
#include "resources/ResourceIds.h"

using namespace menu_test;

namespace {

constexpr DWORD kUntouched = 0x00010203;

UINT PrefixDpi() {
  const char* value = std::getenv("VARNOKE_SCREEN_DPI");
  return value ? static_cast<UINT>(std::atoi(value)) : 96;
}

int ScreenLogPixels() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

// The picture of each size the items are expected at.
struct SizedPicture {
  UINT dpi;
  int size;
  UINT deleteNormal, deleteHighlighted, dosBoxGrayed, popupNormal;
};
constexpr SizedPicture kPictures[] = {
    {96, 16, IDB_DELETE_NORMAL, IDB_DELETE_HIGHLIGHTED, IDB_DOSBOX_GRAYED, IDB_VARNOKE_NORMAL},
    {120, 20, IDB_DELETE_NORMAL_20, IDB_DELETE_HIGHLIGHTED_20, IDB_DOSBOX_GRAYED_20, IDB_VARNOKE_NORMAL_20},
    {144, 24, IDB_DELETE_NORMAL_24, IDB_DELETE_HIGHLIGHTED_24, IDB_DOSBOX_GRAYED_24, IDB_VARNOKE_NORMAL_24},
    {192, 32, IDB_DELETE_NORMAL_32, IDB_DELETE_HIGHLIGHTED_32, IDB_DOSBOX_GRAYED_32, IDB_VARNOKE_NORMAL_32},
};

const SizedPicture* PictureAt(UINT dpi) {
  for (const SizedPicture& picture : kPictures)
    if (picture.dpi == dpi) return &picture;
  return nullptr;
}

// The calls the module should use, looked up here on their own.
template <typename Function>
Function UserCall(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

LONG ForDpiMenuFontHeight(UINT dpi) {
  using ForDpi = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
  const auto call = UserCall<ForDpi>("SystemParametersInfoForDpi");
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof(metrics);
  if (!call || !call(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) return 0;
  return metrics.lfMenuFont.lfHeight;
}

SIZE CaptionExtent(const char* caption, UINT dpi) {
  using ForDpi = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof(metrics);
  UserCall<ForDpi>("SystemParametersInfoForDpi")(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi);
  HFONT font = CreateFontIndirectW(&metrics.lfMenuFont);
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, font);
  SIZE extent = {};
  GetTextExtentPoint32A(screen, caption, lstrlenA(caption), &extent);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  DeleteObject(font);
  return extent;
}

int MenuCheckAt(UINT dpi) {
  using ForDpi = int(WINAPI*)(int, UINT);
  return UserCall<ForDpi>("GetSystemMetricsForDpi")(SM_CXMENUCHECK, dpi);
}

// A 32-bit surface whose pixels the test reads.
class Surface {
 public:
  Surface(int width, int height) : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<DWORD*>(bits);
    previous_ = SelectObject(dc_, bitmap_);
    std::fill(bits_, bits_ + width * height, kUntouched);
  }
  ~Surface() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;
  HDC dc() const { return dc_; }
  DWORD At(int x, int y) const {
    GdiFlush();
    return bits_[y * width_ + x] & 0xFFFFFF;
  }
  int height() const { return height_; }

 private:
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  DWORD* bits_ = nullptr;
};

// A bitmap of the module as 32-bit pixels, top row first; its size in *size.
std::vector<DWORD> ModuleBitmap(UINT id, int* size) {
  std::vector<DWORD> pixels;
  HBITMAP bitmap = LoadBitmapA(ModuleInstance(), MAKEINTRESOURCEA(id));
  if (!bitmap) return pixels;
  BITMAP info = {};
  GetObjectA(bitmap, sizeof(info), &info);
  *size = info.bmWidth;
  BITMAPINFO format = {};
  format.bmiHeader.biSize = sizeof(format.bmiHeader);
  format.bmiHeader.biWidth = info.bmWidth;
  format.bmiHeader.biHeight = -info.bmHeight;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  pixels.resize(static_cast<size_t>(info.bmWidth) * info.bmHeight);
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, info.bmHeight, pixels.data(), &format, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  DeleteObject(bitmap);
  for (DWORD& pixel : pixels) pixel &= 0xFFFFFF;
  return pixels;
}

DWORD Pixel(COLORREF colour) { return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour); }

// The picture `id` at (0, top): its own pixels, and where it has the key
// colour what is below it: the untouched surface left of the item at
// itemLeft, the item's background in it.
void ExpectPictureAt(const Surface& surface, UINT id, int expectedSize, int top, int itemLeft, DWORD background) {
  int size = 0;
  const std::vector<DWORD> pixels = ModuleBitmap(id, &size);
  ASSERT_EQ(expectedSize, size) << "bitmap " << id;
  ASSERT_EQ(static_cast<size_t>(size * size), pixels.size());
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const DWORD own = pixels[y * size + x];
      const DWORD below = x < itemLeft ? kUntouched : background;
      ASSERT_EQ(own == 0xFF00FF ? below : own, surface.At(x, top + y)) << "bitmap " << id << " at " << x << "," << y;
    }
}

// Stand-ins for the per-resolution calls (stdcall, as the system's are).
UINT fakeWindowDpi = 0;
UINT WINAPI FakeDpiForWindow(HWND) { return fakeWindowDpi; }
BOOL WINAPI FailingParametersForDpi(UINT, UINT, void*, UINT, UINT) {
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

class MenuResolution : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    ASSERT_EQ(static_cast<int>(dpi_), ScreenLogPixels()) << "the prefix is not at the resolution it was set to";
    picture_ = PictureAt(dpi_);
    ASSERT_NE(nullptr, picture_) << dpi_;
    ASSERT_EQ(S_OK, handler_.Initialize({temp_.MakeFolder("a"), temp_.MakeFolder("b")}));
    handler_->QueryContextMenu(host_.get(), 0, kFirstId, kFirstId + 10, CMF_NORMAL);
    ASSERT_EQ(3u, handler_->menu().records().size());
  }
  void TearDown() override {
    SetDpiFunctionsForTesting(nullptr);
    MenuTest::TearDown();
  }
  const MenuItemData* record(size_t i) const { return handler_->menu().records()[i].get(); }

  MEASUREITEMSTRUCT Measure(const MenuItemData* item) {
    MEASUREITEMSTRUCT request = {};
    request.CtlType = ODT_MENU;
    request.itemData = reinterpret_cast<ULONG_PTR>(item);
    LRESULT result = 0;
    EXPECT_EQ(S_OK, handler_->HandleMenuMsg2(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&request), &result));
    EXPECT_EQ(1, result);
    return request;
  }

  // Draws at (0, top) an item of the measured size, as a menu does.
  void Draw(const Surface& surface, const MenuItemData* item, UINT state, const MEASUREITEMSTRUCT& size, int top) {
    DRAWITEMSTRUCT request = {};
    request.CtlType = ODT_MENU;
    request.itemState = state;
    request.hDC = surface.dc();
    request.rcItem = {2, top, 2 + static_cast<LONG>(size.itemWidth), top + static_cast<LONG>(size.itemHeight)};
    request.itemData = reinterpret_cast<ULONG_PTR>(item);
    LRESULT result = 0;
    EXPECT_EQ(S_OK, handler_->HandleMenuMsg2(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&request), &result));
    EXPECT_EQ(1, result);
  }

  const UINT dpi_ = PrefixDpi();
  const SizedPicture* picture_ = nullptr;
  Handler handler_;
  HostMenu host_;
};

}  // namespace

TEST_F(MenuResolution, TheScreenAWindowAndTheMenuHaveThePrefixResolution) {
  HWND window = CreateWindowA("STATIC", "dpi", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, window);
  EXPECT_EQ(dpi_, WindowDpi(window));
  EXPECT_EQ(dpi_, WindowDpi(nullptr));
  EXPECT_EQ(dpi_, MenuDpi()) << "no menu is open: the screen decides";

  // A system with per-window resolutions answers for the window; zero (a
  // window that is gone) and a system without the call leave it to the
  // screen.
  DpiFunctions fake = {};
  fake.dpiForWindow = FakeDpiForWindow;
  SetDpiFunctionsForTesting(&fake);
  fakeWindowDpi = 120;
  EXPECT_EQ(120u, WindowDpi(window));
  EXPECT_EQ(dpi_, WindowDpi(nullptr));
  fakeWindowDpi = 0;
  EXPECT_EQ(dpi_, WindowDpi(window));
  const DpiFunctions none = {};
  SetDpiFunctionsForTesting(&none);
  EXPECT_EQ(dpi_, WindowDpi(window));
  DestroyWindow(window);
}

TEST_F(MenuResolution, ItemsAreMeasuredForTheirPictureAndTheMenuFontAtTheResolution) {
  for (size_t i = 0; i < 3; ++i) {
    const SIZE extent = CaptionExtent(record(i)->caption, dpi_);
    const MEASUREITEMSTRUCT size = Measure(record(i));
    EXPECT_EQ(static_cast<UINT>(MenuCheckAt(dpi_) + ScaleToDpi(4, dpi_) + extent.cx), size.itemWidth)
        << record(i)->caption;
    const int padded = extent.cy + ScaleToDpi(6, dpi_);
    EXPECT_EQ(static_cast<UINT>(padded > picture_->size ? padded : picture_->size), size.itemHeight);
    EXPECT_GE(size.itemHeight, static_cast<UINT>(picture_->size));
  }
  if (dpi_ != 96) {
    // The caption really is in a larger font than at 96 DPI.
    EXPECT_GT(CaptionExtent("Delete", dpi_).cx, CaptionExtent("Delete", 96).cx);
    EXPECT_GT(Measure(record(2)).itemHeight, 18u);
  }
}

TEST_F(MenuResolution, ItemsAreDrawnWithThePictureOfTheirSizeAndTheCaptionBesideIt) {
  struct Case {
    size_t item;
    UINT state;
    UINT picture;
  };
  const Case cases[] = {{2, 0, picture_->deleteNormal},
                        {2, ODS_SELECTED, picture_->deleteHighlighted},
                        {1, ODS_GRAYED, picture_->dosBoxGrayed},
                        {0, 0, picture_->popupNormal}};
  for (const Case& c : cases) {
    SCOPED_TRACE(record(c.item)->caption);
    const MEASUREITEMSTRUCT size = Measure(record(c.item));
    Surface surface(static_cast<int>(size.itemWidth) + 10, static_cast<int>(size.itemHeight) + 10);
    Draw(surface, record(c.item), c.state, size, 5);
    const int top = 5 + (static_cast<int>(size.itemHeight) - picture_->size) / 2;
    const DWORD background = Pixel(GetSysColor((c.state & ODS_SELECTED) ? COLOR_HIGHLIGHT : COLOR_MENU));
    ExpectPictureAt(surface, c.picture, picture_->size, top, 2, background);
    // Nothing of the caption in the picture's column: the text starts right
    // of it.
    const COLORREF text = GetSysColor((c.state & ODS_GRAYED) ? COLOR_GRAYTEXT
                                      : (c.state & ODS_SELECTED) ? COLOR_HIGHLIGHTTEXT
                                                                 : COLOR_MENUTEXT);
    const DWORD textPixel = Pixel(text);
    int captionPixels = 0;
    for (int y = 5; y < 5 + static_cast<int>(size.itemHeight); ++y)
      for (int x = 2 + MenuCheckAt(dpi_); x < static_cast<int>(size.itemWidth) + 2; ++x)
        captionPixels += surface.At(x, y) == textPixel;
    EXPECT_GT(captionPixels, 10);
    EXPECT_GE(2 + MenuCheckAt(dpi_) + ScaleToDpi(4, dpi_), picture_->size) << "caption over the picture";
  }
}

TEST_F(MenuResolution, WithoutThePerResolutionCallsTheScreenResolutionIsScaled) {
  const MEASUREITEMSTRUCT withCalls = Measure(record(2));
  LOGFONTW font = {};
  ASSERT_TRUE(MenuFontAtDpi(dpi_, &font));
  EXPECT_EQ(ForDpiMenuFontHeight(dpi_), font.lfHeight);
  EXPECT_EQ(MenuCheckAt(dpi_), SystemMetricAtDpi(SM_CXMENUCHECK, dpi_));

  const DpiFunctions none = {};
  SetDpiFunctionsForTesting(&none);
  // At the screen's own resolution nothing is scaled; at twice it the font
  // and the check-mark column double, as the per-resolution calls say.
  const MEASUREITEMSTRUCT without = Measure(record(2));
  EXPECT_EQ(withCalls.itemWidth, without.itemWidth);
  EXPECT_EQ(withCalls.itemHeight, without.itemHeight);
  ASSERT_TRUE(MenuFontAtDpi(dpi_, &font));
  EXPECT_EQ(ForDpiMenuFontHeight(dpi_), font.lfHeight);
  ASSERT_TRUE(MenuFontAtDpi(2 * dpi_, &font));
  EXPECT_NEAR(ForDpiMenuFontHeight(2 * dpi_), font.lfHeight, 1);
  EXPECT_NEAR(MenuCheckAt(2 * dpi_), SystemMetricAtDpi(SM_CXMENUCHECK, 2 * dpi_), 1);

  // A failing call is traced and the item left unmeasured.
  DpiFunctions failing = {};
  failing.parametersForDpi = FailingParametersForDpi;
  SetDpiFunctionsForTesting(&failing);
  static std::vector<Result> traced;
  traced.clear();
  const ErrorTraceHook previous = SetErrorTraceHook([](Result code, const char*, int) { traced.push_back(code); });
  EXPECT_FALSE(MenuFontAtDpi(dpi_, &font));
  EXPECT_EQ(std::vector<Result>{ResultFromError(ERROR_INVALID_PARAMETER)}, traced);
  MEASUREITEMSTRUCT request = {};
  request.CtlType = ODT_MENU;
  request.itemData = reinterpret_cast<ULONG_PTR>(record(2));
  LRESULT result = -1;
  EXPECT_EQ(S_OK, handler_->HandleMenuMsg2(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&request), &result));
  SetErrorTraceHook(previous);
  EXPECT_EQ(0, result);
  EXPECT_EQ(0u, request.itemHeight);
  EXPECT_EQ(2u, traced.size());
}
