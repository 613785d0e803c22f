#include "drawing_tools.h"

#include <algorithm>
#include <cstdlib>

#include "frame.h"
#include "paint_spans.h"
#include "point_list.h"
#include "string_ops.h"
#include "surface.h"
#include "surface_map_point.h"

namespace qv {

int32_t LineColour(const WindowRecord& record, int32_t colour) {
  return colour == kColourSystem ? record.fore_colour : colour;
}

HGDIOBJ MakeLinePen(const WindowRecord& record, int32_t line_colour) {
  if (line_colour == kColourNone) return GetStockObject(NULL_PEN);
  return CreatePen(record.pen_style, record.pen_width, static_cast<COLORREF>(line_colour));
}

void FillSpans(HDC dc, const std::vector<Span>& spans, HBRUSH brush) { PaintSpans(dc, {{&spans, brush}}); }

void DrawShapeSpans(HDC dc, const ShapeSpans& spans, HBRUSH fill, int32_t line_colour) {
  // The inside first, then the outline (ShapeSpans says which pixels each reaches); a thin
  // dashed pen paints its gaps in the background colour unless the background is transparent.
  bool gaps = line_colour != kColourNone && !spans.gaps.empty() && GetBkMode(dc) == OPAQUE;
  std::vector<Span> inside = spans.fill;
  if (!spans.fill_under_outline) inside = SpansWithout(inside, spans.outline);
  GdiObject pen_brush(line_colour == kColourNone ? nullptr : CreateSolidBrush(static_cast<COLORREF>(line_colour)));
  GdiObject gap_brush(gaps ? CreateSolidBrush(GetBkColor(dc)) : nullptr);
  PaintSpans(dc, {{&inside, fill},
                  {&spans.outline, static_cast<HBRUSH>(pen_brush.get())},
                  {&spans.gaps, static_cast<HBRUSH>(gap_brush.get())}});
}

int64_t PenExtent(const WindowRecord& record) { return std::llabs(int64_t{record.pen_width}); }

bool PenWithinReach(const WindowRecord& record) { return PenExtent(record) <= kShapeReach; }

bool LinesWithinReach(const WindowRecord& record, const std::vector<PixelPoint>& points, bool closed) {
  if (PenExtent(record) <= 1) return true;
  int64_t segments = static_cast<int64_t>(points.size()) - (closed ? 0 : 1);
  return PenWithinReach(record) && PointsWithinReach(points, record.canvas_width, record.canvas_height) &&
         PlatformAffords(points, PenExtent(record) / 2 + 1, segments * segments);
}

WindowRecord* SourceSurface(HANDLE window, int32_t id) {
  HANDLE control = GetDlgItem(static_cast<HWND>(window), id);
  if (!control) control = window;
  WindowRecord* record = RecordFind(control);
  return record && record->is_surface() && record->memory_dc ? record : nullptr;
}

CopyEnds AcquireCopyEnds(HANDLE window, int32_t id) {
  WindowRecord* target = SurfaceAcquire();
  if (!target) return {};
  WindowRecord* source = SourceSurface(window, id);
  if (!source || !target->memory_dc) {
    SurfaceRelease();
    return {};
  }
  return {target, source};
}

PointsTarget AcquireWithPoints() {
  WindowRecord* record = SurfaceAcquire();
  PointsTarget shape;
  TextRef* top = ProcedureFrame::Current().operands().Slot(0);
  if (record && record->memory_dc && top && !top->null()) {
    if (auto list = PointList::Read(top->data(), top->bytes())) {
      shape.target = record;
      shape.points.resize(list->count());
      for (uint32_t i = 0; i < list->count(); ++i)
        shape.points[i] = SurfaceMapPoint(*record, list->x(i), list->y(i), false);
    }
  }
  PopDiscard();
  if (record && !shape.target) SurfaceRelease();
  return shape;
}

std::vector<POINT> PlatformPoints(const std::vector<PixelPoint>& points) {
  std::vector<POINT> out(points.size());
  for (size_t i = 0; i < points.size(); ++i) out[i] = POINT{points[i].x, points[i].y};
  return out;
}

int32_t MarkCoordinate(int32_t v) {
  constexpr int32_t kFar = 1 << 29;
  return v < -kFar ? -kFar : v > kFar ? kFar : v;
}

Side SideOf(int32_t a, int32_t b) {
  int64_t pixels = std::llabs(int64_t{b} - a) + 1;
  if (pixels > INT32_MAX) return {};
  return {a, static_cast<int32_t>(b < a ? -pixels : pixels)};
}

int32_t SpanOf(int32_t a, int32_t b) {
  int64_t span = int64_t{b} - a + 1;
  return span <= 0 || span > INT32_MAX ? 0 : static_cast<int32_t>(span);
}

}  // namespace qv
