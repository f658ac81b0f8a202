// The operation dialog's mode icon at the resolution of the dialog: 32
// pixels at 96 DPI and the size its icon holds nearest to 32 x DPI / 96
// elsewhere. tests/win/menu/dpi-run.sh runs this in prefixes of 144 and
// 192 DPI as well, telling it the resolution in VARNOKE_SCREEN_DPI.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "DialogDriver.h"
#include "TestSupport.h"
#include "base/Module.h"
#include "base/WindowDpi.h"
#include "operations/FolderOperation.h"
#include "operations/OperationDialog.h"
#include "resources/ResourceIds.h"
#include "tests/win/operations/WideTree.h"

using namespace testing_support;
using wide_tree::W;

namespace {

UINT PrefixDpi() {
  const char* value = std::getenv("VARNOKE_SCREEN_DPI");
  return value ? static_cast<UINT>(std::atoi(value)) : 96;
}

int ExpectedIconSize(UINT dpi) {
  switch (dpi) {
    case 96: return 32;
    case 144: return 48;
    case 192: return 64;
    default: return 0;
  }
}

// Width of an icon's colour bitmap (or mask, for a monochrome icon), and its
// pixels as 32-bit values, drawn onto black.
struct IconPicture {
  int width = 0;
  std::vector<DWORD> pixels;
};

// Drawn at `drawSize` when given, else at the icon's own size.
IconPicture Picture(HICON icon, int drawSize = 0) {
  IconPicture picture;
  ICONINFO info = {};
  if (!icon || !GetIconInfo(icon, &info)) return picture;
  BITMAP colour = {};
  GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(colour), &colour);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  picture.width = colour.bmWidth;
  const int size = drawSize ? drawSize : colour.bmWidth;
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO format = {};
  format.bmiHeader.biSize = sizeof(format.bmiHeader);
  format.bmiHeader.biWidth = size;
  format.bmiHeader.biHeight = -size;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP surface = CreateDIBSection(dc, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, surface);
  DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  GdiFlush();
  picture.pixels.assign(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + size * size);
  SelectObject(dc, old);
  DeleteObject(surface);
  DeleteDC(dc);
  return picture;
}

}  // namespace

// The mode icons of a dialog at `dpi` (the prefix's, or one the dialog's
// window is said to have).
void ExpectModeIcons(UINT dpi) {
  const int size = ExpectedIconSize(dpi);
  ASSERT_NE(0, size) << dpi;
  TempFolder temp("dpi");
  const std::string folder = temp.MakeFolder("A");
  struct Case {
    OperationMode mode;
    UINT icon;
  };
  for (const Case& c : {Case{ModeRecycle, IDI_MODE_RECYCLE}, Case{ModeDelete, IDI_MODE_DELETE},
                        Case{ModeErase, IDI_MODE_ERASE}}) {
    SCOPED_TRACE(c.mode);
    Settings settings;
    settings.EraseMethod = 0;
    settings.DeleteConfirm = 1;
    SelectedFolders folders = {W(folder)};
    FolderOperation operation(settings, folders, c.mode);
    IconPicture shown;
    UINT dialogDpi = 0;
    DialogDriver::Run([&] { RunOperationDialog(operation, nullptr); },
                      [&](DialogDriver& d) {
                        if (!d.WaitForDialog()) return;
                        HWND control = GetDlgItem(d.dialog(), IDC_MODEICON);
                        shown = Picture(reinterpret_cast<HICON>(SendMessageA(control, STM_GETICON, 0, 0)));
                        dialogDpi = WindowDpi(d.dialog());
                        d.Click(IDCANCEL);
                      });
    EXPECT_EQ(dpi, dialogDpi);
    EXPECT_EQ(size, shown.width);
    // The picture drawn for that size, not a smaller one stretched.
    HICON own = static_cast<HICON>(LoadImageA(ModuleInstance(), MAKEINTRESOURCEA(c.icon), IMAGE_ICON, size, size, 0));
    const IconPicture expected = Picture(own);
    DestroyIcon(own);
    EXPECT_EQ(expected.pixels, shown.pixels);
    EXPECT_TRUE(Exists(folder));
  }
}

TEST(OperationDialogDpi, TheModeIconIsTheSizeThePrefixResolutionAsksFor) {
  HDC screen = GetDC(nullptr);
  const UINT dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSY));
  ReleaseDC(nullptr, screen);
  ASSERT_EQ(PrefixDpi(), dpi) << "the prefix is not at the resolution it was set to";
  ExpectModeIcons(dpi);
}

namespace {
UINT WINAPI FinerScreen(HWND) { return 192; }
}  // namespace

TEST(OperationDialogDpi, TheModeIconFollowsTheDialogWindowsOwnResolution) {
  // A window on a finer screen than the system's: only GetDpiForWindow
  // tells.
  DpiFunctions finer = {};
  finer.dpiForWindow = FinerScreen;
  SetDpiFunctionsForTesting(&finer);
  ExpectModeIcons(192);
  SetDpiFunctionsForTesting(nullptr);
}

// The larger pictures are stored compressed (PNG) in the icons: each must
// be read as the picture drawn for its size, not fall back to the 32-pixel
// one stretched.
TEST(OperationDialogDpi, TheLargerModeIconsAreTheirOwnPicturesNotTheSmallOneStretched) {
  for (UINT id : {IDI_MODE_RECYCLE, IDI_MODE_DELETE, IDI_MODE_ERASE}) {
    HICON small = static_cast<HICON>(LoadImageA(ModuleInstance(), MAKEINTRESOURCEA(id), IMAGE_ICON, 32, 32, 0));
    for (int size : {48, 64}) {
      SCOPED_TRACE(std::to_string(id) + " at " + std::to_string(size));
      HICON own = static_cast<HICON>(LoadImageA(ModuleInstance(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
      const IconPicture drawn = Picture(own);
      const IconPicture stretched = Picture(small, size);
      DestroyIcon(own);
      EXPECT_EQ(size, drawn.width);
      EXPECT_NE(stretched.pixels, drawn.pixels);
      int painted = 0;
      for (DWORD pixel : drawn.pixels) painted += (pixel & 0xFFFFFF) != 0;
      EXPECT_GT(painted, size * size / 4) << "the picture is mostly empty";
    }
    DestroyIcon(small);
  }
}
