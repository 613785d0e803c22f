#include "drawing_tools.h"
#include "error.h"
#include "mix_modes.h"
#include "surface.h"
#include "surface_copy.h"
#include "surface_map_point.h"

namespace qv {

namespace {

// StretchBlt from a source DC rectangle onto the target's inclusive rectangle from a to b; a
// rectangle given backwards on either side is mirrored by the platform.
void StretchOnto(WindowRecord& target, PixelPoint a, PixelPoint b, HDC source, Side across, Side down, int32_t mix,
                 int32_t stretch_mode) {
  Side x = SideOf(a.x, b.x), y = SideOf(a.y, b.y);
  if (!x.extent || !y.extent || !across.extent || !down.extent) return;
  HDC dc = target.memory_dc;
  if (stretch_mode) SetStretchBltMode(dc, stretch_mode);
  StretchBlt(dc, x.origin, y.origin, x.extent, y.extent, source, across.origin, down.origin, across.extent,
             down.extent, MixRasterOperation(mix));
}

}  // namespace

void SurfaceStretchCopy(HANDLE window, int32_t id, float x1, float y1, float x2, float y2, float x3, float y3,
                        float x4, float y4, int32_t mix, int32_t stretch_mode) {
  auto [record, source] = AcquireCopyEnds(window, id);
  if (!record) return;
  PixelPoint from = SurfaceMapPoint(*source, x1, y1, false);
  PixelPoint to = SurfaceMapPoint(*source, x2, y2, false);
  StretchOnto(*record, SurfaceMapPoint(*record, x3, y3, false), SurfaceMapPoint(*record, x4, y4, false),
              source->memory_dc, SideOf(from.x, to.x), SideOf(from.y, to.y), mix, stretch_mode);
  SurfaceMarkDirty(*record, 0, 0, record->canvas_width, record->canvas_height);
}

void SurfaceStretchCopyWhole(HANDLE window, int32_t id, float x3, float y3, float x4, float y4, int32_t mix,
                             int32_t stretch_mode) {
  auto [record, source] = AcquireCopyEnds(window, id);
  if (!record) {
    RaiseError(kErrorInvalidArgument);
    return;
  }
  StretchOnto(*record, SurfaceMapPoint(*record, x3, y3, false), SurfaceMapPoint(*record, x4, y4, false),
              source->memory_dc, Side{0, source->canvas_width}, Side{0, source->canvas_height}, mix, stretch_mode);
  SurfaceMarkDirty(*record, 0, 0, record->canvas_width, record->canvas_height);
}

}  // namespace qv
