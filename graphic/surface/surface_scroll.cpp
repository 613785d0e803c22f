#include <algorithm>
#include <cstdint>

#include "surface.h"
#include "surface_lock.h"
#include "scroll_area.h"

namespace qv {

namespace {

// The new view origin along one axis for a scroll code.
int64_t Target(int32_t code, int64_t now, int32_t line, int32_t page, int32_t most, LPARAM lparam, int32_t track) {
  switch (code) {
    case SB_LINEUP: return now - line;
    case SB_LINEDOWN: return now + line;
    case SB_PAGEUP: return now - page;
    case SB_PAGEDOWN: return now + page;
    case SB_TOP: return 0;
    case SB_BOTTOM: return most;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: return track;
    case kScrollToPosition: return static_cast<int32_t>(lparam);
    default: return now;
  }
}

}  // namespace

std::optional<LRESULT> SurfaceScrollMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  // Sent from inside a surface operation of this thread: the view moves after it.
  if (SurfaceLock().held_by_caller()) {
    SurfaceLock().after_release([=] { SurfaceScrollMessage(window, message, wparam, lparam); });
    return 0;
  }
  bool across = message == WM_HSCROLL;
  int32_t code = static_cast<int32_t>(wparam == kScrollToPosition ? wparam : LOWORD(wparam));
  // This thread's own records need no lock to be read; the bar answers before the lock is taken.
  WindowRecord* own = RecordFind(window);
  HWND bar = own ? own->auxiliary[across ? 0 : 1] : nullptr;
  int32_t track = 0;
  if (bar && (code == SB_THUMBTRACK || code == SB_THUMBPOSITION)) {
    SCROLLINFO info{sizeof info, SIF_TRACKPOS | SIF_POS, 0, 0, 0, 0, 0};
    if (GetScrollInfo(bar, SB_CTL, &info)) track = info.nTrackPos;
  }

  SurfaceLock().lock_serving();
  WindowRecord* record = RecordFind(window);
  if (!record || record->kind != kKindGraphic || !(record->flags & kScrollView)) {
    SurfaceLock().unlock();
    return std::nullopt;
  }
  int32_t& now = across ? record->view_x : record->view_y;
  if (code != SB_THUMBTRACK && code != SB_THUMBPOSITION) track = now;
  int32_t view = across ? record->view_width : record->view_height;
  int32_t line = std::max(1, across ? record->char_width : LinePitch(*record));
  int32_t most = std::max(0, (across ? record->canvas_width : record->canvas_height) - view);
  int32_t next =
      static_cast<int32_t>(std::clamp<int64_t>(Target(code, now, line, std::max(1, view), most, lparam, track), 0, most));
  bool moved = next != now;
  if (moved) {
    now = next;
    InvalidateRect(window, nullptr, FALSE);
  }
  SurfaceLock().unlock();
  if (moved) {
    SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, next, 0};
    if (bar) SetScrollInfo(bar, SB_CTL, &info, TRUE);
    UpdateWindow(window);
  }
  return 0;
}

}  // namespace qv
