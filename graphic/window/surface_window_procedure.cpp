#include "draw_target.h"
#include "surface.h"
#include "surface_lock.h"
#include "surface_window.h"

namespace qv {

namespace {

constexpr UINT kFirstMouseMessage = WM_MOUSEMOVE;   // 0x200
constexpr UINT kLastMouseMessage = WM_MOUSEWHEEL;   // 0x20A

HWND CanvasOf(HWND frame) { return GetDlgItem(frame, 0); }

// The frame follows its client size and the canvas is re-created at it, old picture top-left.
void OnSize(HWND frame, LPARAM lparam) {
  int32_t width = LOWORD(lparam), height = HIWORD(lparam);
  HWND canvas = CanvasOf(frame);
  SurfaceLock().lock_serving();
  if (WindowRecord* record = RecordFind(frame)) {
    record->requested_width = record->view_width = record->canvas_width = record->clip_width = width;
    record->requested_height = record->view_height = record->canvas_height = record->clip_height = height;
  }
  WindowRecord* child = canvas ? RecordFind(canvas) : nullptr;
  if (!child || child->kind != kKindGraphic) {
    SurfaceLock().unlock();
    return;
  }
  child->requested_width = width;
  child->requested_height = height;
  SurfaceResize(*child);  // releases the lock
}

void OnCanvasCommand(HWND frame, WPARAM wparam, LPARAM lparam) {
  HWND canvas = CanvasOf(frame);
  WORD code = HIWORD(wparam);
  if (!canvas || reinterpret_cast<HWND>(lparam) != canvas || (code != STN_CLICKED && code != STN_DBLCLK)) return;
  POINT at{};
  GetCursorPos(&at);
  ScreenToClient(canvas, &at);
  SurfaceLockScope hold;
  if (WindowRecord* record = RecordFind(canvas)) {
    record->click_state = code == STN_CLICKED ? 1 : (record->click_state | 2);
    record->click_x = static_cast<uint32_t>(at.x);
    record->click_y = static_cast<uint32_t>(at.y);
  }
}

bool CloseBlocked(HWND frame) {
  SurfaceLockScope hold;
  WindowRecord* record = RecordFind(frame);
  return record && (record->close_block & kCloseBlocked);
}

// A scrolled view's frame may not grow beyond its canvas.
void LimitSizing(HWND frame, WPARAM edge, RECT& sizing) {
  HWND canvas = CanvasOf(frame);
  int32_t most_width = 0, most_height = 0;
  {
    SurfaceLockScope hold;
    WindowRecord* child = canvas ? RecordFind(canvas) : nullptr;
    if (!child || !(child->flags & kScrollView)) return;
    most_width = child->canvas_width;
    most_height = child->canvas_height;
  }
  RECT outer{}, client{};
  GetWindowRect(frame, &outer);
  GetClientRect(frame, &client);
  LONG frame_x = (outer.right - outer.left) - client.right, frame_y = (outer.bottom - outer.top) - client.bottom;
  if (sizing.right - sizing.left > most_width + frame_x) {
    if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT)
      sizing.left = sizing.right - (most_width + frame_x);
    else
      sizing.right = sizing.left + most_width + frame_x;
  }
  if (sizing.bottom - sizing.top > most_height + frame_y) {
    if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT)
      sizing.top = sizing.bottom - (most_height + frame_y);
    else
      sizing.bottom = sizing.top + most_height + frame_y;
  }
}

}  // namespace

LRESULT CALLBACK SurfaceWindowProcedure(HWND frame, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_DRAWITEM:
      return lparam && SurfacePaint(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam), frame);
    case WM_SIZE:
      if (wparam != SIZE_MINIMIZED) OnSize(frame, lparam);
      return 0;
    case WM_COMMAND:
      OnCanvasCommand(frame, wparam, lparam);
      break;
    case WM_NCDESTROY:
      RecordDestroy(frame);
      DrawTargetSet(nullptr);
      PostQuitMessage(0);
      break;
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == SC_CLOSE && CloseBlocked(frame)) return 0;
      break;
    case WM_SIZING:
      if (lparam) LimitSizing(frame, wparam, *reinterpret_cast<RECT*>(lparam));
      break;
    default:
      if (message >= kFirstMouseMessage && message <= kLastMouseMessage) {
        if (HWND canvas = CanvasOf(frame)) {
          auto procedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(canvas, GWLP_WNDPROC));
          if (LRESULT answer = CallWindowProcW(procedure, canvas, message, wparam, lparam)) return answer;
        }
      }
      break;
  }
  return DefWindowProcW(frame, message, wparam, lparam);
}

}  // namespace qv
