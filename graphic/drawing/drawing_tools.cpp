#include "drawing_tools.h"

#include <algorithm>
#include <cstdlib>

#include "frame.h"
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

void FillSpans(HDC dc, const std::vector<Span>& spans, HBRUSH brush) {
  if (spans.empty() || !brush) return;
  // Rows whose spans repeat those of the row above grow its rectangles: a shape that covers
  // a tall canvas is a few rectangles, not one per row.
  std::vector<RECT> rects;
  size_t group = 0, group_size = 0;  // the rectangles of the last row taken
  for (size_t i = 0; i < spans.size();) {
    size_t end = i;
    while (end < spans.size() && spans[end].y == spans[i].y) ++end;
    bool repeats = end - i == group_size && group_size > 0 && rects[group].bottom == spans[i].y;
    for (size_t k = 0; repeats && k < group_size; ++k)
      repeats = rects[group + k].left == spans[i + k].left && rects[group + k].right == spans[i + k].right;
    if (repeats) {
      for (size_t k = 0; k < group_size; ++k) ++rects[group + k].bottom;
    } else {
      group = rects.size();
      group_size = end - i;
      for (size_t k = i; k < end; ++k) rects.push_back(RECT{spans[k].left, spans[k].y, spans[k].right, spans[k].y + 1});
    }
    i = end;
  }
  std::vector<unsigned char> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  auto* region = reinterpret_cast<RGNDATA*>(data.data());
  region->rdh.dwSize = sizeof(RGNDATAHEADER);
  region->rdh.iType = RDH_RECTANGLES;
  region->rdh.nCount = static_cast<DWORD>(rects.size());
  region->rdh.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
  RECT bound{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  for (const RECT& r : rects) {
    bound.left = std::min(bound.left, r.left);
    bound.top = std::min(bound.top, r.top);
    bound.right = std::max(bound.right, r.right);
    bound.bottom = std::max(bound.bottom, r.bottom);
  }
  region->rdh.rcBound = bound;
  std::copy(rects.begin(), rects.end(), reinterpret_cast<RECT*>(region->Buffer));
  GdiObject rgn(ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), region));
  if (rgn.get()) FillRgn(dc, static_cast<HRGN>(rgn.get()), brush);
}

void DrawShapeSpans(HDC dc, const ShapeSpans& spans, HBRUSH fill, int32_t line_colour) {
  FillSpans(dc, spans.fill, fill);
  if (line_colour == kColourNone) return;
  GdiObject pen_brush(CreateSolidBrush(static_cast<COLORREF>(line_colour)));
  FillSpans(dc, spans.outline, static_cast<HBRUSH>(pen_brush.get()));
}

int64_t PenExtent(const WindowRecord& record) { return std::llabs(int64_t{record.pen_width}); }

bool PenWithinReach(const WindowRecord& record) { return PenExtent(record) <= kShapeReach; }

bool LinesWithinReach(const WindowRecord& record, const std::vector<PixelPoint>& points) {
  return PenExtent(record) <= 1 ||
         (PenWithinReach(record) && PointsWithinReach(points, record.canvas_width, record.canvas_height));
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

int32_t ExtentOf(int32_t a, int32_t b) {
  int64_t extent = int64_t{b} - a + 1;
  return extent < INT32_MIN || extent > INT32_MAX ? 0 : static_cast<int32_t>(extent);
}

int32_t SpanOf(int32_t a, int32_t b) {
  int64_t span = int64_t{b} - a + 1;
  return span <= 0 || span > INT32_MAX ? 0 : static_cast<int32_t>(span);
}

}  // namespace qv
