#include <cstdint>

#include "drawing_tools.h"
#include "error.h"
#include "surface.h"
#include "surface_map_point.h"
#include "surface_text.h"

namespace qv {

namespace {

SavedCoordinates CoordinatesOf(const WindowRecord& record) {
  return {record.flags & (kSurfaceFlipX | kSurfaceFlipY), record.origin_x, record.origin_y, record.scale_x,
          record.scale_y};
}

void UseCoordinates(WindowRecord& record, const SavedCoordinates& c) {
  record.flags = (record.flags & ~(kSurfaceFlipX | kSurfaceFlipY)) | c.flips;
  record.origin_x = c.origin_x;
  record.origin_y = c.origin_y;
  record.scale_x = c.scale_x;
  record.scale_y = c.scale_y;
}

// Applies the margins; false (nothing changed) when they leave no area or no region is made.
bool Clip(WindowRecord& record, float left_units, float top_units, float right_units, float bottom_units) {
  if (!record.memory_dc) return false;
  UserSpace space = UserSpaceOf(record);
  int64_t left = int64_t{UserLengthToPixels(space, left_units, Axis::kX)} + record.margin_left;
  int64_t top = int64_t{UserLengthToPixels(space, top_units, Axis::kY)} + record.margin_top;
  int64_t right = int64_t{UserLengthToPixels(space, right_units, Axis::kX)} + record.margin_right;
  int64_t bottom = int64_t{UserLengthToPixels(space, bottom_units, Axis::kY)} + record.margin_bottom;
  // A negative margin would put the area outside the canvas, as too large ones do.
  if (left < 0 || top < 0 || right < 0 || bottom < 0) return false;
  int64_t width = record.canvas_width - left - right, height = record.canvas_height - top - bottom;
  if (width < 0 || height < 0) return false;
  HRGN region = CreateRectRgn(static_cast<int>(left), static_cast<int>(top), static_cast<int>(left + width),
                              static_cast<int>(top + height));
  if (!region) return false;
  if (SelectClipRgn(record.memory_dc, region) == ERROR) {
    DeleteObject(region);
    return false;
  }
  if (record.clip_region) DeleteObject(record.clip_region);
  record.clip_region = region;

  bool any = left || top || right || bottom;
  bool was_set = (record.close_block & kClipAreaSet) != 0;
  // The system in use before the first clip area comes back when the margins go.
  if (!was_set) record.saved_coordinates = CoordinatesOf(record);
  if (!any && was_set)
    UseCoordinates(record, record.saved_coordinates);
  else
    UseCoordinates(record, SavedCoordinates{});
  if (any)
    record.close_block |= kClipAreaSet;
  else
    record.close_block &= ~kClipAreaSet;

  record.clip_x = static_cast<int32_t>(left);
  record.clip_y = static_cast<int32_t>(top);
  record.clip_width = static_cast<int32_t>(width);
  record.clip_height = static_cast<int32_t>(height);
  record.current_x = record.clip_x;
  record.current_y = record.clip_y;
  MoveToEx(record.memory_dc, record.clip_x, record.clip_y, nullptr);
  return true;
}

}  // namespace

void SurfaceSetClip(float left, float top, float right, float bottom) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return RaiseError(kErrorInvalidArgument);
  bool clipped = Clip(*record, left, top, right, bottom);
  SurfaceRelease();
  if (!clipped) RaiseError(kErrorInvalidArgument);
}

}  // namespace qv
