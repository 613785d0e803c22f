#include "error.h"
#include "surface.h"
#include "surface_copy.h"
#include "surface_map_point.h"

namespace qv {

namespace {
constexpr uint32_t kOverlayBits = 0x0F00;
}

void SurfaceDrawListImage(HIMAGELIST list, int32_t index, int32_t overlay, uint32_t style, float x, float y) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) {
    RaiseError(kErrorInvalidArgument);
    return;
  }
  PixelPoint p = SurfaceMapPoint(*record, x, y, false);
  UINT flags = (style & ~kOverlayBits) | ((static_cast<uint32_t>(overlay) & 0xF) << 8);
  // Images count from 1 here and from 0 in the list; index 0 (or below) names none.
  bool drawn = list && record->memory_dc && index > 0 &&
               ImageList_DrawEx(list, index - 1, record->memory_dc, p.x, p.y, 0, 0, CLR_NONE, CLR_NONE, flags);
  if (!drawn) {
    SurfaceRelease();
    RaiseError(kErrorInvalidArgument);
    return;
  }
  SurfaceMarkDirty(*record, 0, 0, record->canvas_width, record->canvas_height);
}

}  // namespace qv
