// The tab icons of the sheet at the resolution of the sheet's owner: 16
// pixels at 96 DPI, the size their icons hold nearest to 16 x DPI / 96
// elsewhere.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/Module.h"
#include "base/WindowDpi.h"
#include "config/CleanPage.h"
#include "config/DeletePage.h"
#include "config/DosBoxPage.h"
#include "resources/ResourceIds.h"
#include "settings/Settings.h"

namespace {

int IconWidth(HICON icon) {
  ICONINFO info = {};
  if (!icon || !GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap = {};
  GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

}  // namespace

TEST(ConfigTabIcon, EachPageHandsTheSheetItsIconAtTheSizeOfTheResolution) {
  Settings settings;
  DeletePage deletePage(settings);
  DosBoxPage dosBoxPage(settings);
  const struct {
    UINT dpi;
    int size;
  } cases[] = {{96, 16}, {120, 20}, {144, 24}, {168, 32}, {192, 32}, {288, 32}, {72, 16}};
  for (const auto& c : cases) {
    for (ConfigPage* page : {static_cast<ConfigPage*>(&deletePage), static_cast<ConfigPage*>(&dosBoxPage)}) {
      const PROPSHEETPAGEA descriptor = page->Descriptor(c.dpi);
      EXPECT_TRUE(descriptor.dwFlags & PSP_USEHICON) << c.dpi;
      EXPECT_FALSE(descriptor.dwFlags & PSP_USEICONID) << c.dpi;
      EXPECT_EQ(c.size, IconWidth(descriptor.hIcon)) << c.dpi;
    }
  }
}

TEST(ConfigTabIcon, APageWithoutAnIconAsksForNone) {
  Settings settings;
  CleanPage page(settings);
  for (UINT dpi : {96u, 192u}) {
    const PROPSHEETPAGEA descriptor = page.Descriptor(dpi);
    EXPECT_EQ(0u, descriptor.dwFlags & (PSP_USEHICON | PSP_USEICONID));
    EXPECT_EQ(nullptr, descriptor.hIcon);
  }
}
