#include "surface.h"
#include "surface_clear.h"
#include "surface_make_brush.h"

namespace qv {

namespace {
constexpr int kFillAttempts = 10;
constexpr DWORD kFillRetryMs = 2;
}  // namespace

void SurfaceClear(int32_t colour, int32_t fill_style) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  if (colour == kColourSystem) colour = record->back_colour;
  if (static_cast<uint32_t>(fill_style) > 6) fill_style = 0;

  HBRUSH brush = SurfaceMakeBrush(colour, fill_style);
  if (record->memory_dc) {
    RECT whole{0, 0, record->canvas_width, record->canvas_height};
    // A busy display can refuse a fill for a moment.
    for (int attempt = 0; attempt < kFillAttempts && !FillRect(record->memory_dc, &whole, brush); ++attempt)
      Sleep(kFillRetryMs);
    MoveToEx(record->memory_dc, record->clip_x, record->clip_y, nullptr);
  }
  if (brush) DeleteObject(brush);
  record->current_x = record->clip_x;
  record->current_y = record->clip_y;

  record->flags |= kForceRefresh;
  SurfaceMarkDirty(*record, 0, 0, record->canvas_width, record->canvas_height);
}

}  // namespace qv
