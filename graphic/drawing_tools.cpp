#include "drawing_tools.h"

#include "frame.h"
#include "point_list.h"
#include "string_ops.h"
#include "surface_map_point.h"

namespace qv {

int32_t LineColour(const WindowRecord& record, int32_t colour) {
  return colour == kColourSystem ? record.fore_colour : colour;
}

HGDIOBJ MakeLinePen(const WindowRecord& record, int32_t line_colour) {
  if (line_colour == kColourNone) return GetStockObject(NULL_PEN);
  return CreatePen(record.pen_style, record.pen_width, static_cast<COLORREF>(line_colour));
}

WindowRecord* SourceSurface(HANDLE window, int32_t id) {
  HANDLE control = GetDlgItem(static_cast<HWND>(window), id);
  if (!control) control = window;
  WindowRecord* record = RecordFind(control);
  return record && record->is_surface() && record->memory_dc ? record : nullptr;
}

std::optional<std::vector<POINT>> PopMappedPoints(const WindowRecord* record) {
  std::optional<std::vector<POINT>> mapped;
  TextRef* top = ProcedureFrame::Current().operands().Slot(0);
  if (record && top && !top->null()) {
    if (auto list = PointList::Read(top->data(), top->bytes())) {
      mapped.emplace(list->count());
      for (uint32_t i = 0; i < list->count(); ++i) {
        PixelPoint p = SurfaceMapPoint(*record, list->x(i), list->y(i), false);
        (*mapped)[i] = POINT{p.x, p.y};
      }
    }
  }
  PopDiscard();
  return mapped;
}

int32_t SpanOf(int32_t a, int32_t b) {
  int64_t span = int64_t{b} - a + 1;
  return span <= 0 || span > INT32_MAX ? 0 : static_cast<int32_t>(span);
}

}  // namespace qv
