// The menu at 96 DPI, pixel for pixel as it was drawn before the items
// learnt other scales: every item in every state, drawn into a memory
// surface that holds the menu font as the menu's own device context does.
#include <cstdint>
#include <vector>

#include "MenuTestSupport.h"
#include "menu/MenuDraw.h"

using namespace menu_test;

namespace {

constexpr UINT kStates[] = {0, ODS_SELECTED, ODS_GRAYED, ODS_GRAYED | ODS_SELECTED};

// FNV-1a over the pixels, top row first.
uint64_t Checksum(const DWORD* pixels, size_t count) {
  uint64_t hash = 14695981039346656037ull;
  for (size_t i = 0; i < count; ++i) {
    for (int shift = 0; shift < 32; shift += 8) {
      hash ^= (pixels[i] >> shift) & 0xFF;
      hash *= 1099511628211ull;
    }
  }
  return hash;
}

// One item measured and drawn the way a menu does it: the item rectangle
// is the measured size, a few pixels in from the menu's edge.
uint64_t DrawnChecksum(CShellExt& handler, const MenuItemData* record, UINT state, UINT* width, UINT* height) {
  MEASUREITEMSTRUCT measure = {};
  measure.CtlType = ODT_MENU;
  measure.itemData = reinterpret_cast<ULONG_PTR>(record);
  LRESULT result = 0;
  EXPECT_EQ(S_OK, handler.HandleMenuMsg2(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure), &result));
  EXPECT_EQ(1, result);
  *width = measure.itemWidth;
  *height = measure.itemHeight;

  const int surfaceWidth = static_cast<int>(measure.itemWidth) + 12;
  const int surfaceHeight = static_cast<int>(measure.itemHeight) + 6;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = surfaceWidth;
  info.bmiHeader.biHeight = -surfaceHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC dc = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  HBITMAP surface = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ oldBitmap = SelectObject(dc, surface);
  std::vector<DWORD> fill(static_cast<size_t>(surfaceWidth) * surfaceHeight, 0x00F0E0D0);
  std::copy(fill.begin(), fill.end(), static_cast<DWORD*>(bits));

  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  HFONT font = CreateFontIndirectA(&metrics.lfMenuFont);
  HGDIOBJ oldFont = SelectObject(dc, font);

  DRAWITEMSTRUCT draw = {};
  draw.CtlType = ODT_MENU;
  draw.itemAction = ODA_DRAWENTIRE;
  draw.itemState = state;
  draw.hDC = dc;
  draw.rcItem = {3, 3, 3 + static_cast<LONG>(measure.itemWidth), 3 + static_cast<LONG>(measure.itemHeight)};
  draw.itemData = reinterpret_cast<ULONG_PTR>(record);
  result = 0;
  EXPECT_EQ(S_OK, handler.HandleMenuMsg2(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw), &result));
  EXPECT_EQ(1, result);
  GdiFlush();
  const uint64_t sum = Checksum(static_cast<const DWORD*>(bits), fill.size());

  SelectObject(dc, oldFont);
  DeleteObject(font);
  SelectObject(dc, oldBitmap);
  DeleteObject(surface);
  DeleteDC(dc);
  return sum;
}

struct Expected {
  UINT width, height;
  uint64_t sums[4];  // in the order of kStates
};

}  // namespace

class MenuGolden : public MenuTest {};

TEST_F(MenuGolden, EveryItemAt96DpiIsDrawnAsBefore) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  ASSERT_EQ(96, dpi) << "the recorded drawings are those of a 96-DPI screen";

  Handler handler;
  HostMenu host;
  ASSERT_EQ(S_OK, handler.Initialize({temp_.MakeFolder("a")}));
  handler->QueryContextMenu(host.get(), 0, kFirstId, kFirstId + 10, CMF_NORMAL);
  const auto& records = handler->menu().records();
  ASSERT_EQ(3u, records.size());

  // Recorded from the drawing code as it was before, in this suite's
  // prefix (96 DPI, Wine's default menu font and colours).
  const Expected expected[] = {
      {64, 19, {0xAA82FFB4449B23D7, 0xE4C1195FC4BAC151, 0xDA9B4E22403A0DE2, 0x2F5D4DA5BBE4666C}},
      {67, 19, {0x9481FF0315C66D8B, 0xC06119970C5318F9, 0x5971F23329E5EE4E, 0x328FD6F6551B412C}},
      {53, 19, {0x3921FF2F209695CB, 0xC1DACD0F78B2A29B, 0xBB45842229268C17, 0xBB450FFA32A1FF9A}},
  };
  for (size_t item = 0; item < records.size(); ++item) {
    for (size_t state = 0; state < 4; ++state) {
      UINT width = 0, height = 0;
      const uint64_t sum = DrawnChecksum(handler.get(), records[item].get(), kStates[state], &width, &height);
      EXPECT_EQ(expected[item].width, width) << records[item]->caption;
      EXPECT_EQ(expected[item].height, height) << records[item]->caption;
      EXPECT_EQ(expected[item].sums[state], sum) << records[item]->caption << " in state " << kStates[state];
    }
  }
}
