#include <algorithm>
#include <cstdint>

#include "surface.h"
#include "surface_lock.h"
#include "surface_window_ops.h"
#include "text_layout.h"

namespace qv {

namespace {

// The new view origin along one axis for a scroll code; the thumb's position is read from the bar.
int64_t Target(int32_t code, int64_t now, int32_t line, int32_t page, int32_t most, LPARAM lparam, HWND bar) {
  switch (code) {
    case SB_LINEUP: return now - line;
    case SB_LINEDOWN: return now + line;
    case SB_PAGEUP: return now - page;
    case SB_PAGEDOWN: return now + page;
    case SB_TOP: return 0;
    case SB_BOTTOM: return most;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info{sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
      return bar && GetScrollInfo(bar, SB_CTL, &info) ? info.nTrackPos : now;
    }
    case kScrollToPosition: return static_cast<int32_t>(lparam);
    default: return now;
  }
}

}  // namespace

std::optional<LRESULT> SurfaceScrollMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  // Sent from inside a surface operation of this thread: the view is left alone.
  if (SurfaceLock().held_by_caller()) return std::nullopt;
  SurfaceLock().lock_serving();
  WindowRecord* record = RecordFind(window);
  if (!record || record->kind != kKindGraphic || !(record->flags & kScrollView)) {
    SurfaceLock().unlock();
    return std::nullopt;
  }
  bool across = message == WM_HSCROLL;
  int32_t& now = across ? record->view_x : record->view_y;
  int32_t view = across ? record->view_width : record->view_height;
  int32_t page = std::max(1, view);
  int32_t line = std::max(1, across ? record->char_width : LinePitch(*record));
  int32_t most = std::max(0, (across ? record->canvas_width : record->canvas_height) - view);
  HWND bar = record->auxiliary[across ? 0 : 1];
  int32_t code = static_cast<int32_t>(wparam == kScrollToPosition ? wparam : LOWORD(wparam));
  int32_t next = static_cast<int32_t>(std::clamp<int64_t>(Target(code, now, line, page, most, lparam, bar), 0, most));
  bool moved = next != now;
  if (moved) {
    now = next;
    SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, next, 0};
    if (bar) SetScrollInfo(bar, SB_CTL, &info, TRUE);
    InvalidateRect(window, nullptr, FALSE);
  }
  SurfaceLock().unlock();
  if (moved) UpdateWindow(window);
  return 0;
}

}  // namespace qv
