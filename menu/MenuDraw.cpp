#include "menu/MenuDraw.h"

#include "menu/FolderMenu.h"
#include "menu/MenuBitmaps.h"
#include "base/DisplayScale.h"
#include "base/ErrorReturn.h"
#include "base/LastError.h"
#include "base/Handles.h"
#include "base/LastError.h"
#include "base/Module.h"
#include "base/ScopeExit.h"
#include "base/WindowDpi.h"

namespace {

// The layout at 96 DPI; other resolutions scale it.
constexpr int kCaptionGap = 4;
constexpr int kCaptionPadding = 6;
constexpr int kShadowOffset = 1;

uint32_t ChooseBitmap(const MenuItemData& record, bool highlighted, bool grayed) {
  if (grayed) return highlighted ? record.bitmapGrayedHighlighted : record.bitmapGrayed;
  return highlighted ? record.bitmapHighlighted : record.bitmapNormal;
}

void DrawCaption(HDC dc, const char* caption, RECT& rect) {
  ::DrawTextA(dc, caption, ::lstrlenA(caption), &rect, DT_EXPANDTABS);
}

// Where the caption starts: right of the check-mark column, which holds
// the picture.
int CaptionOffset(UINT dpi) { return SystemMetricAtDpi(SM_CXMENUCHECK, dpi) + ScaleToDpi(kCaptionGap, dpi); }

// Null when the font could not be made (traced).
UniqueFont MenuFont(UINT dpi) {
  LOGFONTW description = {};
  if (!MenuFontAtDpi(dpi, &description)) return UniqueFont();
  UniqueFont font(::CreateFontIndirectW(&description));
  if (!font) TRACE_FAILURE(LastFailure());
  return font;
}

}  // namespace

bool MeasureMenuItem(MEASUREITEMSTRUCT* request) { return MeasureMenuItemAtDpi(request, MenuDpi()); }

bool DrawMenuItem(const DRAWITEMSTRUCT* request) { return DrawMenuItemAtDpi(request, MenuDpi()); }

UINT MenuDpi() {
  GUITHREADINFO thread = {};
  thread.cbSize = sizeof(thread);
  if (!::GetGUIThreadInfo(::GetCurrentThreadId(), &thread)) {
    TRACE_FAILURE(LastFailure());
    return WindowDpi(nullptr);
  }
  return WindowDpi((thread.flags & GUI_INMENUMODE) ? thread.hwndMenuOwner : nullptr);
}

bool MeasureMenuItemAtDpi(MEASUREITEMSTRUCT* request, UINT dpi) {
  if (request->CtlType != ODT_MENU) return true;
  const auto* record = reinterpret_cast<const MenuItemData*>(request->itemData);
  UniqueFont font = MenuFont(dpi);
  if (!font) return false;
  WindowDC screen(nullptr);
  if (!screen) {
    TRACE_FAILURE(LastFailure());
    return false;
  }
  SIZE extent = {};
  {
    SelectionScope selectFont(screen.get(), font.get());
    ::GetTextExtentPoint32A(screen.get(), record->caption, ::lstrlenA(record->caption), &extent);
  }
  request->itemWidth = static_cast<UINT>(CaptionOffset(dpi) + extent.cx);
  const int height = extent.cy + ScaleToDpi(kCaptionPadding, dpi);
  const int pictureHeight = MenuBitmapSize(dpi);
  request->itemHeight = static_cast<UINT>(height < pictureHeight ? pictureHeight : height);
  return true;
}

bool DrawMenuItemAtDpi(const DRAWITEMSTRUCT* request, UINT dpi) {
  if (request->CtlType != ODT_MENU) return true;
  const auto* record = reinterpret_cast<const MenuItemData*>(request->itemData);
  HDC dc = request->hDC;
  const RECT& item = request->rcItem;
  const bool highlighted = (request->itemState & ODS_SELECTED) != 0;
  const bool grayed = (request->itemState & ODS_GRAYED) != 0;

  // The menu's device context gets its colours and background mode back.
  const COLORREF oldText = ::GetTextColor(dc), oldBackground = ::GetBkColor(dc);
  const int oldMode = ::GetBkMode(dc);
  const ScopeExit restoreColours([=] {
    ::SetTextColor(dc, oldText);
    ::SetBkColor(dc, oldBackground);
    ::SetBkMode(dc, oldMode);
  });
  ::SetTextColor(dc, ::GetSysColor(highlighted ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
  ::SetBkColor(dc, ::GetSysColor(highlighted ? COLOR_HIGHLIGHT : COLOR_MENU));
  const int textLeft = item.left + CaptionOffset(dpi);
  ::ExtTextOutA(dc, textLeft, item.top, ETO_OPAQUE | ETO_CLIPPED, &item, nullptr, 0, nullptr);

  const UINT id = MenuBitmapAtDpi(ChooseBitmap(*record, highlighted, grayed) & 0xFFFF, dpi);
  UniqueBitmap bitmap(::LoadBitmapA(ModuleInstance(), MAKEINTRESOURCEA(id)));
  if (!bitmap) {
    TRACE_FAILURE(LastFailure());
    return false;
  }
  BITMAP info = {};
  ::GetObjectA(bitmap.get(), sizeof(info), &info);
  const int itemHeight = item.bottom - item.top;
  // The pictures sit in the check-mark column at the menu's left edge.
  DrawTransparentBitmap(dc, bitmap.get(), 0, item.top + (itemHeight - info.bmHeight) / 2, kMenuBitmapKey);

  // The caption is measured and drawn in one font, whatever the menu's
  // device context holds; without it the context's own font still shows
  // the caption.
  UniqueFont font = MenuFont(dpi);
  SelectionScope selectFont(dc, font.get());
  SIZE extent = {};
  ::GetTextExtentPoint32A(dc, record->caption, ::lstrlenA(record->caption), &extent);
  const int offset = (itemHeight - extent.cy) / 2;
  RECT text = {textLeft, item.top + (offset > 0 ? offset : 0), item.right, item.bottom};
  if (grayed) {
    // An etched caption: a white shadow down and right, then the caption in
    // the gray-text colour; over the highlight only the latter.
    const int shadow = ScaleToDpi(kShadowOffset, dpi);
    ::SetBkMode(dc, TRANSPARENT);
    ::OffsetRect(&text, shadow, shadow);
    if (!highlighted) {
      ::SetTextColor(dc, RGB(255, 255, 255));
      DrawCaption(dc, record->caption, text);
    }
    ::OffsetRect(&text, -shadow, -shadow);
    ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
  }
  DrawCaption(dc, record->caption, text);
  return font ? 1 : 0;
}

void DrawTransparentBitmap(HDC target, HBITMAP bitmap, int x, int y, COLORREF key) {
  BITMAP info = {};
  if (!::GetObjectA(bitmap, sizeof(info), &info)) {
    TRACE_FAILURE(LastFailure());
    return;
  }
  const int width = info.bmWidth;
  const int height = info.bmHeight;

  UniqueMemoryDC source(::CreateCompatibleDC(target));
  UniqueMemoryDC inverseMask(::CreateCompatibleDC(target));
  UniqueMemoryDC mask(::CreateCompatibleDC(target));
  UniqueMemoryDC work(::CreateCompatibleDC(target));
  UniqueMemoryDC save(::CreateCompatibleDC(target));
  UniqueBitmap inverseMaskBits(::CreateBitmap(width, height, 1, 1, nullptr));
  UniqueBitmap maskBits(::CreateBitmap(width, height, 1, 1, nullptr));
  UniqueBitmap workBits(::CreateCompatibleBitmap(target, width, height));
  UniqueBitmap saveBits(::CreateCompatibleBitmap(target, width, height));
  if (!source || !inverseMask || !mask || !work || !save || !inverseMaskBits || !maskBits || !workBits || !saveBits) {
    TRACE_FAILURE(LastFailure());
    return;
  }
  // Scopes close before the bitmaps and device contexts above are deleted.
  SelectionScope selectSource(source.get(), bitmap);
  SelectionScope selectInverseMask(inverseMask.get(), inverseMaskBits.get());
  SelectionScope selectMask(mask.get(), maskBits.get());
  SelectionScope selectWork(work.get(), workBits.get());
  SelectionScope selectSave(save.get(), saveBits.get());
  ::SetMapMode(source.get(), ::GetMapMode(target));

  ::BitBlt(save.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY);
  // Key-colour pixels become 1 in the mask, all others 0.
  const COLORREF sourceBackground = ::SetBkColor(source.get(), key);
  ::BitBlt(mask.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY);
  ::SetBkColor(source.get(), sourceBackground);
  ::BitBlt(inverseMask.get(), 0, 0, width, height, mask.get(), 0, 0, NOTSRCCOPY);
  // Work keeps the target where the key colour was and black elsewhere; the
  // picture with black where the key colour was is painted over it.
  ::BitBlt(work.get(), 0, 0, width, height, target, x, y, SRCCOPY);
  ::BitBlt(work.get(), 0, 0, width, height, mask.get(), 0, 0, SRCAND);
  ::BitBlt(source.get(), 0, 0, width, height, inverseMask.get(), 0, 0, SRCAND);
  ::BitBlt(work.get(), 0, 0, width, height, source.get(), 0, 0, SRCPAINT);
  ::BitBlt(target, x, y, width, height, work.get(), 0, 0, SRCCOPY);
  ::BitBlt(source.get(), 0, 0, width, height, save.get(), 0, 0, SRCCOPY);
}
