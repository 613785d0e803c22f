#include <algorithm>
#include <climits>

#include "string_ops.h"
#include "surface.h"
#include "surface_text.h"
#include "text_layout.h"

namespace qv {

namespace {

// One line's part at the current position (TA_UPDATECP), clipped to the rest of the line.
void DrawRun(WindowRecord& record, std::u16string_view run, DirtyBox& drawn) {
  HDC dc = record.memory_dc;
  int32_t x = record.current_x, y = record.current_y;
  int32_t bottom = AddClamped(y, LinePitch(record));
  RECT line{x, y, record.canvas_width, bottom};
  MoveToEx(dc, x, y, nullptr);
  ExtTextOutW(dc, 0, 0, ETO_CLIPPED, &line, reinterpret_cast<const wchar_t*>(run.data()),
              static_cast<UINT>(std::min<size_t>(run.size(), INT_MAX)), nullptr);
  POINT now{x, y};
  GetCurrentPositionEx(dc, &now);
  record.current_x = now.x;
  record.current_y = now.y;
  drawn.Add(x, y, std::max<int32_t>(now.x, x), bottom);
}

// A rotated font's text leaves the line, so it is drawn whole and marks the canvas.
void DrawRotated(WindowRecord& record, std::u16string_view text, DirtyBox& drawn) {
  HDC dc = record.memory_dc;
  MoveToEx(dc, record.current_x, record.current_y, nullptr);
  TextOutW(dc, 0, 0, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(std::min<size_t>(text.size(), INT_MAX)));
  POINT now{record.current_x, record.current_y};
  GetCurrentPositionEx(dc, &now);
  record.current_x = now.x;
  record.current_y = now.y;
  drawn.Add(0, 0, record.canvas_width, record.canvas_height);
}

}  // namespace

void PrintLocked(WindowRecord& record, std::u16string_view text, DirtyBox& drawn) {
  if (text.empty() || !record.memory_dc) return;
  if (record.flags & kRotatedFont) return DrawRotated(record, text, drawn);
  WrapMode mode = WrapModeOf(record);
  int64_t right = int64_t{record.clip_x} + record.clip_width;
  while (!text.empty()) {
    size_t count = text.size();
    if (mode != WrapMode::kNone) {
      bool line_start = record.current_x <= record.clip_x;
      if (!line_start && record.current_x >= right) {
        NewLineLocked(record, drawn);
        continue;
      }
      int32_t room = static_cast<int32_t>(std::clamp<int64_t>(right - record.current_x, 0, INT32_MAX));
      count = WrapCut(text, FittingUnits(record, text, room), mode, line_start);
      if (count == 0) {
        NewLineLocked(record, drawn);  // a line start comes next, which always takes a character
        continue;
      }
    }
    DrawRun(record, text.substr(0, count), drawn);
    text.remove_prefix(count);
    if (!text.empty()) NewLineLocked(record, drawn);
  }
}

void SurfacePrint() {
  DynString text = PopText();
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  DirtyBox drawn;
  PrintLocked(*record, text.wide_view(), drawn);
  MarkText(*record, drawn);
}

}  // namespace qv
