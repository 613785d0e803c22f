#include <algorithm>
#include <cstdint>

#include "surface.h"
#include "surface_text.h"
#include "text_layout.h"

namespace qv {

namespace {

int32_t Clamp32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// The 1-based cell of a pixel offset from the drawing area's edge; cells of size 0 give 0.
int32_t CellOf(int64_t offset, int64_t size) {
  if (size <= 0) return 0;
  int64_t cell = offset / size - ((offset % size != 0) && offset < 0);
  return Clamp32(cell + 1);
}

}  // namespace

void SurfaceSetCell(int32_t column, int32_t row) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  if (column != 0) record->current_x = Clamp32((int64_t{column} - 1) * record->char_width + record->clip_x);
  if (row != 0) record->current_y = Clamp32((int64_t{row} - 1) * LinePitch(*record) + record->clip_y);
  if (record->memory_dc) MoveToEx(record->memory_dc, record->current_x, record->current_y, nullptr);
  SurfaceRelease();
}

TextCell SurfaceGetCell() {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return {};
  TextCell cell{CellOf(int64_t{record->current_x} - record->clip_x, record->char_width),
                CellOf(int64_t{record->current_y} - record->clip_y, LinePitch(*record))};
  SurfaceRelease();
  return cell;
}

}  // namespace qv
