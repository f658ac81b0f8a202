#include "menu/MenuBitmaps.h"

#include "base/DisplayScale.h"
#include "resources/ResourceIds.h"

namespace {

// The pictures are designed at this size.
constexpr int kDesignSize = 16;
constexpr int kSizes[] = {16, 20, 24, 32};
constexpr size_t kSizeCount = sizeof(kSizes) / sizeof(kSizes[0]);

// One picture variant: its resource at each of kSizes, in that order.
struct SizedBitmaps {
  UINT ids[kSizeCount];
};

constexpr SizedBitmaps kBitmaps[] = {
    {{IDB_VARNOKE_NORMAL, IDB_VARNOKE_NORMAL_20, IDB_VARNOKE_NORMAL_24, IDB_VARNOKE_NORMAL_32}},
    {{IDB_VARNOKE_HIGHLIGHTED, IDB_VARNOKE_HIGHLIGHTED_20, IDB_VARNOKE_HIGHLIGHTED_24, IDB_VARNOKE_HIGHLIGHTED_32}},
    {{IDB_VARNOKE_GRAYED, IDB_VARNOKE_GRAYED_20, IDB_VARNOKE_GRAYED_24, IDB_VARNOKE_GRAYED_32}},
    {{IDB_VARNOKE_GRAYED_HIGHLIGHTED, IDB_VARNOKE_GRAYED_HIGHLIGHTED_20, IDB_VARNOKE_GRAYED_HIGHLIGHTED_24,
      IDB_VARNOKE_GRAYED_HIGHLIGHTED_32}},
    {{IDB_DOSBOX_NORMAL, IDB_DOSBOX_NORMAL_20, IDB_DOSBOX_NORMAL_24, IDB_DOSBOX_NORMAL_32}},
    {{IDB_DOSBOX_HIGHLIGHTED, IDB_DOSBOX_HIGHLIGHTED_20, IDB_DOSBOX_HIGHLIGHTED_24, IDB_DOSBOX_HIGHLIGHTED_32}},
    {{IDB_DOSBOX_GRAYED, IDB_DOSBOX_GRAYED_20, IDB_DOSBOX_GRAYED_24, IDB_DOSBOX_GRAYED_32}},
    {{IDB_DOSBOX_GRAYED_HIGHLIGHTED, IDB_DOSBOX_GRAYED_HIGHLIGHTED_20, IDB_DOSBOX_GRAYED_HIGHLIGHTED_24,
      IDB_DOSBOX_GRAYED_HIGHLIGHTED_32}},
    {{IDB_DELETE_NORMAL, IDB_DELETE_NORMAL_20, IDB_DELETE_NORMAL_24, IDB_DELETE_NORMAL_32}},
    {{IDB_DELETE_HIGHLIGHTED, IDB_DELETE_HIGHLIGHTED_20, IDB_DELETE_HIGHLIGHTED_24, IDB_DELETE_HIGHLIGHTED_32}},
    {{IDB_DELETE_GRAYED, IDB_DELETE_GRAYED_20, IDB_DELETE_GRAYED_24, IDB_DELETE_GRAYED_32}},
    {{IDB_DELETE_GRAYED_HIGHLIGHTED, IDB_DELETE_GRAYED_HIGHLIGHTED_20, IDB_DELETE_GRAYED_HIGHLIGHTED_24,
      IDB_DELETE_GRAYED_HIGHLIGHTED_32}},
};

}  // namespace

int MenuBitmapSize(UINT dpi) { return NearestSizeAtDpi(kSizes, kDesignSize, dpi); }

UINT MenuBitmapAtDpi(UINT id, UINT dpi) {
  const int size = MenuBitmapSize(dpi);
  for (const SizedBitmaps& bitmaps : kBitmaps) {
    if (bitmaps.ids[0] != id) continue;
    for (size_t i = 0; i < kSizeCount; ++i)
      if (kSizes[i] == size) return bitmaps.ids[i];
  }
  return id;
}
