#include <algorithm>
#include <cstdint>

#include "surface.h"
#include "surface_map_point.h"
#include "surface_text.h"
#include "text_layout.h"

namespace qv {

namespace {

int32_t Clamp32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

}  // namespace

void NewLineLocked(WindowRecord& record, DirtyBox& drawn) {
  int32_t pitch = LinePitch(record);
  int32_t x = record.clip_x;
  int32_t y = AddClamped(record.current_y, pitch);
  int64_t last_line = int64_t{record.clip_y} + record.clip_height - pitch;
  HDC dc = record.memory_dc;
  if ((record.close_block & kScrollOnNewLine) && dc && y > last_line && record.clip_height > 0) {
    int32_t excess = Clamp32(std::min<int64_t>(int64_t{y} - last_line, record.clip_height));
    int32_t left = record.clip_x, top = record.clip_y, width = record.clip_width, height = record.clip_height;
    if (excess < height) BitBlt(dc, left, top, width, height - excess, dc, left, top + excess, SRCCOPY);
    // The new line's band shows the background; rows scrolled past it keep what the copy left.
    int32_t band = std::min(height, pitch);
    RECT freed{left, top + height - band, left + width, top + height};
    if (record.graphic_brush) FillRect(dc, &freed, record.graphic_brush);
    drawn.Add(left, top, left + width, top + height);
    y = Clamp32(last_line);
  }
  record.current_x = x;
  record.current_y = y;
  if (dc) MoveToEx(dc, x, y, nullptr);
}

void SurfaceNewLine() {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  DirtyBox drawn;
  NewLineLocked(*record, drawn);
  MarkText(*record, drawn);
}

}  // namespace qv
