#include <algorithm>
#include <cstdint>

#include "surface.h"
#include "surface_text.h"

namespace qv {

namespace {

constexpr int64_t kTabColumns = 14;

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

void SurfaceTab() {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  int64_t width = record->char_width;
  if (width <= 0) return SurfaceRelease();
  // Columns count from the drawing area's left edge, like the cells.
  int64_t column = -FloorDiv(-(int64_t{record->current_x} - record->clip_x), width);  // rounded up
  int64_t stop = (FloorDiv(column, kTabColumns) + 1) * kTabColumns;
  // The next stop always lies right of the position, so the tab never starts a new line.
  int64_t x = stop * width + record->clip_x;
  record->current_x = static_cast<int32_t>(std::min<int64_t>(x, INT32_MAX));
  if (record->memory_dc) MoveToEx(record->memory_dc, record->current_x, record->current_y, nullptr);
  SurfaceRelease();
}

}  // namespace qv
