#include "drawing_tools.h"
#include "surface.h"
#include "surface_drawing.h"
#include "surface_map_point.h"

namespace qv {

namespace {
constexpr int kLineAttempts = 10;
constexpr DWORD kLineRetryMs = 2;
}  // namespace

void SurfaceLineTo(float x, float y, int32_t relative, int32_t colour) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  PixelPoint from{record->current_x, record->current_y};
  PixelPoint to = SurfaceMapPoint(*record, x, y, relative != 0);
  if (HDC dc = record->memory_dc) {
    int32_t line = LineColour(*record, colour);
    if (LinesWithinReach(*record, {from, to})) {
      GdiObject pen(MakeLinePen(*record, line));
      Selection selected(dc, pen.get());
      MoveToEx(dc, from.x, from.y, nullptr);
      // A busy display can refuse a line for a moment.
      for (int attempt = 0; attempt < kLineAttempts && !LineTo(dc, to.x, to.y); ++attempt) Sleep(kLineRetryMs);
    } else if (line != kColourNone) {  // the platform's wide line costs time by its size
      GdiObject brush(CreateSolidBrush(static_cast<COLORREF>(line)));
      FillSpans(dc, StrokeSpans({from, to}, false, PenExtent(*record), record->canvas_width, record->canvas_height),
                static_cast<HBRUSH>(brush.get()));
    }
    MoveToEx(dc, to.x, to.y, nullptr);
    if (InclusiveEnds(*record) && line != kColourNone) SetPixelV(dc, to.x, to.y, static_cast<COLORREF>(line));
  }
  record->current_x = to.x;
  record->current_y = to.y;
  SurfaceMarkDirty(*record, MarkCoordinate(from.x), MarkCoordinate(from.y), MarkCoordinate(to.x), MarkCoordinate(to.y),
                   MarkMode::kPen);
}

}  // namespace qv
