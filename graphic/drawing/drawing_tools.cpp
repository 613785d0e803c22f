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

std::wstring NameText(const DynString& name) {
  std::u16string_view units = name.wide_view();
  return std::wstring(units.begin(), units.end());
}

void FillSpans(HDC dc, const std::vector<Span>& spans, HBRUSH brush) {
  if (spans.empty() || !brush) return;
  std::vector<unsigned char> data(sizeof(RGNDATAHEADER) + spans.size() * sizeof(RECT));
  auto* region = reinterpret_cast<RGNDATA*>(data.data());
  region->rdh.dwSize = sizeof(RGNDATAHEADER);
  region->rdh.iType = RDH_RECTANGLES;
  region->rdh.nCount = static_cast<DWORD>(spans.size());
  region->rdh.nRgnSize = static_cast<DWORD>(spans.size() * sizeof(RECT));
  RECT bound{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  auto* rects = reinterpret_cast<RECT*>(region->Buffer);
  for (size_t i = 0; i < spans.size(); ++i) {
    rects[i] = RECT{spans[i].left, spans[i].y, spans[i].right, spans[i].y + 1};
    bound.left = std::min(bound.left, rects[i].left);
    bound.top = std::min(bound.top, rects[i].top);
    bound.right = std::max(bound.right, rects[i].right);
    bound.bottom = std::max(bound.bottom, rects[i].bottom);
  }
  region->rdh.rcBound = bound;
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

std::optional<std::vector<PixelPoint>> PopMappedPoints(const WindowRecord* record) {
  std::optional<std::vector<PixelPoint>> mapped;
  TextRef* top = ProcedureFrame::Current().operands().Slot(0);
  if (record && top && !top->null()) {
    if (auto list = PointList::Read(top->data(), top->bytes())) {
      mapped.emplace(list->count());
      for (uint32_t i = 0; i < list->count(); ++i)
        (*mapped)[i] = SurfaceMapPoint(*record, list->x(i), list->y(i), false);
    }
  }
  PopDiscard();
  return mapped;
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
