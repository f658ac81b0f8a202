// Measuring and painting of the owner-drawn items, checked in pixels.
#include <algorithm>
#include <string>
#include <vector>

#include "MenuTestSupport.h"
#include "menu/MenuDraw.h"
#include "base/Module.h"

using namespace menu_test;

namespace {

constexpr COLORREF kUntouched = RGB(1, 2, 3);
constexpr COLORREF kMagenta = RGB(255, 0, 255);

COLORREF FromDib(DWORD pixel) { return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF); }

BITMAPINFO TopDown32(int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// A 32-bit drawing surface whose pixels the test can read.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info = TopDown32(width, height);
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<DWORD*>(bits);
    previous_ = SelectObject(dc_, bitmap_);
    const DWORD fill = (GetRValue(kUntouched) << 16) | (GetGValue(kUntouched) << 8) | GetBValue(kUntouched);
    std::fill(bits_, bits_ + width * height, fill);
  }
  ~Canvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  HDC dc() const { return dc_; }
  COLORREF At(int x, int y) const {
    GdiFlush();
    return FromDib(bits_[y * width_ + x]);
  }
  int Count(const RECT& area, COLORREF colour) const {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x) n += At(x, y) == colour;
    return n;
  }
  bool AllUntouched() const { return Count({0, 0, width_, height_}, kUntouched) == width_ * height_; }

 private:
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  DWORD* bits_ = nullptr;
};

// The 16x16 pixels of one of the module's bitmaps, top row first.
std::vector<COLORREF> BitmapPixels(UINT id) {
  std::vector<COLORREF> pixels;
  HBITMAP bitmap = LoadBitmapA(ModuleInstance(), MAKEINTRESOURCEA(id));
  if (!bitmap) return pixels;
  BITMAPINFO info = TopDown32(16, 16);
  std::vector<DWORD> raw(256);
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, 16, raw.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  DeleteObject(bitmap);
  for (DWORD p : raw) pixels.push_back(FromDib(p));
  return pixels;
}

// Every pixel of the bitmap at (left, top): its own colour, or what was
// there before where it has the key colour.
void ExpectBitmapAt(const Canvas& canvas, UINT id, int left, int top, COLORREF below) {
  const std::vector<COLORREF> pixels = BitmapPixels(id);
  ASSERT_EQ(256u, pixels.size()) << id;
  int keyPixels = 0;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const COLORREF own = pixels[y * 16 + x];
      keyPixels += own == kMagenta;
      const COLORREF expected = own == kMagenta ? below : own;
      ASSERT_EQ(expected, canvas.At(left + x, top + y)) << "bitmap " << id << " pixel " << x << "," << y;
    }
  }
  EXPECT_GT(keyPixels, 0) << "bitmap " << id << " has no see-through pixels";
  EXPECT_LT(keyPixels, 256) << "bitmap " << id << " is empty";
}

struct TextRun {
  COLORREF colour;
  LONG x, y;
  std::wstring text;
};

struct RecordedText {
  COLORREF colour = 0;
  std::vector<TextRun> runs;
};

int CALLBACK CollectText(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM context) {
  auto* recorded = reinterpret_cast<RecordedText*>(context);
  if (record->iType == EMR_SETTEXTCOLOR) {
    recorded->colour = reinterpret_cast<const EMRSETTEXTCOLOR*>(record)->crColor;
  } else if (record->iType == EMR_EXTTEXTOUTW) {
    const auto* text = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
    if (text->emrtext.nChars > 0) {
      const auto* chars =
          reinterpret_cast<const WCHAR*>(reinterpret_cast<const BYTE*>(record) + text->emrtext.offString);
      recorded->runs.push_back({recorded->colour, text->emrtext.ptlReference.x, text->emrtext.ptlReference.y,
                                std::wstring(chars, text->emrtext.nChars)});
    }
  }
  return 1;
}

class DrawTest : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    ASSERT_EQ(S_OK, handler_.Initialize({temp_.MakeFolder("a"), temp_.MakeFolder("b")}));
    handler_->QueryContextMenu(host_.get(), 0, kFirstId, kFirstId + 10, CMF_NORMAL);
    const auto& records = handler_->menu().records();
    ASSERT_EQ(3u, records.size());
    dosBox_ = records[1].get();
    delete_ = records[2].get();
    textLeft_ = kItem.left + GetSystemMetrics(SM_CXMENUCHECK) + 4;
  }

  DRAWITEMSTRUCT Request(const Canvas& canvas, const MenuItemData* record, UINT state) const {
    DRAWITEMSTRUCT request = {};
    request.CtlType = ODT_MENU;
    request.itemID = kFirstId + 2;
    request.itemAction = ODA_DRAWENTIRE;
    request.itemState = state;
    request.hDC = canvas.dc();
    request.rcItem = kItem;
    request.itemData = reinterpret_cast<ULONG_PTR>(record);
    return request;
  }

  LRESULT Draw(const Canvas& canvas, const MenuItemData* record, UINT state) {
    DRAWITEMSTRUCT request = Request(canvas, record, state);
    LRESULT result = -1;
    EXPECT_EQ(S_OK, handler_->HandleMenuMsg2(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&request), &result));
    return result;
  }

  RECT CaptionArea() const { return {textLeft_, kItem.top, kItem.right, kItem.bottom}; }

  // The caption drawings of one draw request, in order, with the text
  // colour in force for each.
  std::vector<TextRun> RecordCaptionRuns(const MenuItemData* record, UINT state) {
    HDC metafile = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    DRAWITEMSTRUCT request = {};
    request.CtlType = ODT_MENU;
    request.itemState = state;
    request.hDC = metafile;
    request.rcItem = kItem;
    request.itemData = reinterpret_cast<ULONG_PTR>(record);
    LRESULT result = -1;
    handler_->HandleMenuMsg2(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&request), &result);
    HENHMETAFILE recorded = CloseEnhMetaFile(metafile);
    RecordedText recordedText;
    EnumEnhMetaFile(nullptr, recorded, CollectText, &recordedText, nullptr);
    DeleteEnhMetaFile(recorded);
    return recordedText.runs;
  }

  // Item 24 pixels high: the 16-pixel bitmap sits 4 pixels below its top.
  static constexpr RECT kItem = {20, 5, 180, 29};
  static constexpr int kBitmapTop = 5 + (24 - 16) / 2;
  Handler handler_;
  HostMenu host_;
  const MenuItemData* dosBox_ = nullptr;
  const MenuItemData* delete_ = nullptr;
  int textLeft_ = 0;
};

constexpr RECT DrawTest::kItem;

}  // namespace

TEST_F(DrawTest, PlainItemHasMenuColoursAndItsBitmapAtTheLeftEdge) {
  Canvas canvas(200, 40);
  SetTextColor(canvas.dc(), RGB(10, 20, 30));
  SetBkColor(canvas.dc(), RGB(40, 50, 60));
  EXPECT_EQ(1, Draw(canvas, delete_, 0));
  const COLORREF menu = GetSysColor(COLOR_MENU);
  // The whole item is filled; nothing outside it but the bitmap.
  EXPECT_EQ(menu, canvas.At(kItem.left, kItem.top));
  EXPECT_EQ(menu, canvas.At(kItem.right - 1, kItem.bottom - 1));
  EXPECT_EQ(kUntouched, canvas.At(kItem.left, kItem.top - 1));
  EXPECT_EQ(kUntouched, canvas.At(kItem.right, kItem.top));
  EXPECT_EQ(kUntouched, canvas.At(18, 20));
  EXPECT_EQ(24 * (textLeft_ - kItem.left), canvas.Count({kItem.left, kItem.top, textLeft_, kItem.bottom}, menu));
  // At x = 0, left of the item: see-through pixels show what was there.
  ExpectBitmapAt(canvas, 209, 0, kBitmapTop, kUntouched);
  EXPECT_GT(canvas.Count(CaptionArea(), GetSysColor(COLOR_MENUTEXT)), 10);
  // The device context gets its colours back.
  EXPECT_EQ(RGB(10, 20, 30), GetTextColor(canvas.dc()));
  EXPECT_EQ(RGB(40, 50, 60), GetBkColor(canvas.dc()));
}

TEST_F(DrawTest, HighlightedItemUsesHighlightColoursAndItsSilhouette) {
  Canvas canvas(200, 40);
  EXPECT_EQ(1, Draw(canvas, delete_, ODS_SELECTED | ODS_CHECKED | ODS_FOCUS));
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  EXPECT_EQ(highlight, canvas.At(kItem.right - 1, kItem.top));
  ExpectBitmapAt(canvas, 210, 0, kBitmapTop, kUntouched);
  EXPECT_GT(canvas.Count(CaptionArea(), GetSysColor(COLOR_HIGHLIGHTTEXT)), 10);
  EXPECT_EQ(0, canvas.Count(CaptionArea(), GetSysColor(COLOR_MENUTEXT)));
}

TEST_F(DrawTest, GrayedCaptionIsDrawnTwiceWithAWhiteShadow) {
  Canvas canvas(200, 40);
  EXPECT_EQ(1, Draw(canvas, dosBox_, ODS_GRAYED));
  ExpectBitmapAt(canvas, 207, 0, kBitmapTop, kUntouched);
  EXPECT_GT(canvas.Count(CaptionArea(), GetSysColor(COLOR_GRAYTEXT)), 10);
  EXPECT_EQ(0, canvas.Count(CaptionArea(), GetSysColor(COLOR_MENUTEXT)));

  // The white shadow may vanish on a white menu, so the drawing calls are
  // read back from a metafile: white one pixel down and right, then gray.
  const std::vector<TextRun> runs = RecordCaptionRuns(dosBox_, ODS_GRAYED);
  ASSERT_EQ(2u, runs.size());
  EXPECT_EQ(RGB(255, 255, 255), runs[0].colour);
  EXPECT_EQ(GetSysColor(COLOR_GRAYTEXT), runs[1].colour);
  EXPECT_EQ(runs[1].x + 1, runs[0].x);
  EXPECT_EQ(runs[1].y + 1, runs[0].y);
  EXPECT_EQ(textLeft_, runs[1].x);
  EXPECT_EQ(L"DOS Box", runs[0].text);
  EXPECT_EQ(L"DOS Box", runs[1].text);

  const std::vector<TextRun> selected = RecordCaptionRuns(dosBox_, ODS_GRAYED | ODS_SELECTED);
  ASSERT_EQ(1u, selected.size());
  EXPECT_EQ(GetSysColor(COLOR_GRAYTEXT), selected[0].colour);
  const std::vector<TextRun> plain = RecordCaptionRuns(delete_, 0);
  ASSERT_EQ(1u, plain.size());
  EXPECT_EQ(GetSysColor(COLOR_MENUTEXT), plain[0].colour);
  EXPECT_EQ(textLeft_, plain[0].x);
}

TEST_F(DrawTest, GrayedHighlightedItemHasOnlyTheGrayCaption) {
  Canvas canvas(200, 40);
  EXPECT_EQ(1, Draw(canvas, dosBox_, ODS_GRAYED | ODS_SELECTED));
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), canvas.At(kItem.right - 1, kItem.top));
  ExpectBitmapAt(canvas, 208, 0, kBitmapTop, kUntouched);
  EXPECT_GT(canvas.Count(CaptionArea(), GetSysColor(COLOR_GRAYTEXT)), 10);
  EXPECT_EQ(0, canvas.Count(CaptionArea(), RGB(255, 255, 255)));
}

TEST_F(DrawTest, MissingBitmapLeavesOnlyTheBackground) {
  Canvas canvas(200, 40);
  const MenuItemData record = MakeMenuItemData("Missing", 999, 999, 999, 999);
  DRAWITEMSTRUCT request = Request(canvas, &record, 0);
  EXPECT_EQ(0, DrawMenuItem(&request));
  const RECT item = kItem;
  EXPECT_EQ(24 * 160, canvas.Count(item, GetSysColor(COLOR_MENU)));
  EXPECT_EQ(kUntouched, canvas.At(5, kBitmapTop + 5));
}

TEST_F(DrawTest, RequestsThatAreNotOursAreLeftAlone) {
  Canvas canvas(200, 40);
  DRAWITEMSTRUCT button = Request(canvas, reinterpret_cast<const MenuItemData*>(0x10), 0);
  button.CtlType = ODT_BUTTON;
  LRESULT result = -1;
  EXPECT_EQ(S_OK, handler_->HandleMenuMsg2(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&button), &result));
  EXPECT_EQ(1, result);
  // An owner-drawn menu item of someone else: its data is not our record.
  const MenuItemData foreign = MakeMenuItemData("Foreign", 209, 210, 211, 212);
  EXPECT_EQ(0, Draw(canvas, &foreign, 0));
  EXPECT_EQ(0, Draw(canvas, nullptr, 0));
  EXPECT_TRUE(canvas.AllUntouched());
  result = -1;
  EXPECT_EQ(S_OK, handler_->HandleMenuMsg2(WM_DRAWITEM, 0, 0, &result));
  EXPECT_EQ(0, result);
}

TEST_F(DrawTest, MeasuresTheCaptionInTheMenuFontBesideTheCheckMarkColumn) {
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof(metrics);
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
  HFONT font = CreateFontIndirectA(&metrics.lfMenuFont);
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, font);
  SIZE extent = {};
  GetTextExtentPoint32A(screen, "Delete", 6, &extent);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  DeleteObject(font);

  for (bool withResult : {true, false}) {
    MEASUREITEMSTRUCT request = {};
    request.CtlType = ODT_MENU;
    request.itemID = kFirstId + 3;
    request.itemData = reinterpret_cast<ULONG_PTR>(delete_);
    LRESULT result = -1;
    if (withResult)
      EXPECT_EQ(S_OK, handler_->HandleMenuMsg2(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&request), &result));
    else
      EXPECT_EQ(S_OK, handler_->HandleMenuMsg(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&request)));
    EXPECT_EQ(withResult ? 1 : -1, result);
    EXPECT_EQ(static_cast<UINT>(GetSystemMetrics(SM_CXMENUCHECK) + extent.cx + 4), request.itemWidth);
    EXPECT_EQ(static_cast<UINT>(std::max<LONG>(extent.cy + 6, 16)), request.itemHeight);
  }
}

TEST_F(DrawTest, MeasureLeavesOtherRequestsUnchanged) {
  const MenuItemData foreign = MakeMenuItemData("Foreign", 209, 210, 211, 212);
  for (UINT type : {static_cast<UINT>(ODT_LISTBOX), static_cast<UINT>(ODT_MENU)}) {
    MEASUREITEMSTRUCT request = {};
    request.CtlType = type;
    request.itemWidth = 7;
    request.itemHeight = 9;
    request.itemData = reinterpret_cast<ULONG_PTR>(&foreign);
    const MEASUREITEMSTRUCT before = request;
    LRESULT result = -1;
    EXPECT_EQ(S_OK, handler_->HandleMenuMsg2(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&request), &result));
    EXPECT_EQ(type == ODT_MENU ? 0 : 1, result);
    EXPECT_EQ(0, memcmp(&before, &request, sizeof(request)));
  }
}

TEST_F(DrawTest, TypedCharactersCloseTheMenuAndOtherMessagesAreIgnored) {
  for (WPARAM key : {WPARAM('a'), WPARAM('D'), WPARAM(0), MAKEWPARAM('x', MF_POPUP)}) {
    LRESULT result = -1;
    EXPECT_EQ(S_OK, handler_->HandleMenuMsg2(WM_MENUCHAR, key, reinterpret_cast<LPARAM>(host_.get()), &result));
    EXPECT_EQ(0x10000, result);
  }
  EXPECT_EQ(S_OK, handler_->HandleMenuMsg(WM_MENUCHAR, 'a', 0));
  for (UINT message : {static_cast<UINT>(WM_INITMENUPOPUP), static_cast<UINT>(WM_COMMAND), 0u}) {
    LRESULT result = -1;
    EXPECT_EQ(S_OK, handler_->HandleMenuMsg2(message, 0, 0, &result));
    EXPECT_EQ(-1, result);
  }
}

TEST(TransparentBitmap, KeyPixelsLetTheTargetThroughAndTheBitmapStaysIntact) {
  Canvas canvas(40, 40);
  const std::vector<COLORREF> before = BitmapPixels(205);
  HBITMAP bitmap = LoadBitmapA(ModuleInstance(), MAKEINTRESOURCEA(205));
  ASSERT_NE(nullptr, bitmap);
  DrawTransparentBitmap(canvas.dc(), bitmap, 3, 7, kMagenta);
  DeleteObject(bitmap);
  ExpectBitmapAt(canvas, 205, 3, 7, kUntouched);
  EXPECT_EQ(kUntouched, canvas.At(2, 7));
  EXPECT_EQ(kUntouched, canvas.At(19, 23));
  EXPECT_EQ(40 * 40 - 256, canvas.Count({0, 0, 40, 40}, kUntouched) - canvas.Count({3, 7, 19, 23}, kUntouched));
  EXPECT_EQ(before, BitmapPixels(205));
}
