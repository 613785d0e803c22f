#include <algorithm>
#include <cstdint>

#include "drawing_tools.h"
#include "error.h"
#include "mix_modes.h"
#include "surface.h"
#include "surface_copy.h"
#include "surface_map_point.h"

namespace qv {

namespace {

// The platform's stretch corrupts its own memory for a source side of 2^30 pixels or more (a
// source of 1.1 billion rows onto 862 killed the process; 2^30 did not). Such a side is cut to
// the source canvas first, and the target side to the part it stretches that onto (a target
// side of no pixels: nothing). Sides within the limit go to the platform as they are.
constexpr int64_t kStretchSideLimit = int64_t{1} << 30;

bool CutToSource(Side& source, Side& target, int32_t source_size) {
  const int64_t count = source.pixels();
  if (count < kStretchSideLimit) return true;
  const int64_t low = source.low(), high = low + count;
  const int64_t seen_low = std::max<int64_t>(low, 0), seen_high = std::min<int64_t>(high, source_size);
  if (seen_low >= seen_high) return false;
  // Along the direction the target is drawn in, the source runs from low (or, mirrored, high).
  const int64_t from = source.extent > 0 ? seen_low - low : high - seen_high, to = from + (seen_high - seen_low);
  const int64_t span = target.pixels(), first = from * span / count, last = (to * span + count - 1) / count;
  if (last <= first) return false;
  const int64_t seen = seen_high - seen_low;
  source = source.extent > 0 ? Side{static_cast<int32_t>(seen_low), static_cast<int32_t>(seen)}
                             : Side{static_cast<int32_t>(seen_high - 1), static_cast<int32_t>(-seen)};
  const int32_t step = target.extent > 0 ? 1 : -1;
  target = Side{static_cast<int32_t>(target.origin + step * first), static_cast<int32_t>(step * (last - first))};
  return true;
}

// StretchBlt from a source DC rectangle onto the target's inclusive rectangle from a to b; a
// rectangle given backwards on either side is mirrored by the platform.
void StretchOnto(WindowRecord& target, PixelPoint a, PixelPoint b, HDC source, Side across, Side down, int32_t mix,
                 int32_t stretch_mode, int32_t source_width, int32_t source_height) {
  Side x = SideOf(a.x, b.x), y = SideOf(a.y, b.y);
  if (!x.extent || !y.extent || !across.extent || !down.extent) return;
  if (!CutToSource(across, x, source_width) || !CutToSource(down, y, source_height)) return;
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
              source->memory_dc, SideOf(from.x, to.x), SideOf(from.y, to.y), mix, stretch_mode, source->canvas_width,
              source->canvas_height);
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
              source->memory_dc, Side{0, source->canvas_width}, Side{0, source->canvas_height}, mix, stretch_mode,
              source->canvas_width, source->canvas_height);
  SurfaceMarkDirty(*record, 0, 0, record->canvas_width, record->canvas_height);
}

}  // namespace qv
