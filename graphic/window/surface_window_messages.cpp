#include "canvas_create.h"
#include "scroll_area.h"
#include "surface.h"
#include "surface_lock.h"
#include "surface_window.h"
#include "surface_window_ops.h"

namespace qv {

namespace {

LRESULT BringToFront(HWND canvas) {
  SetForegroundWindow(GetParent(canvas));
  SetFocus(canvas);
  return 0;
}

// The frame takes the new client size; its WM_SIZE re-creates the canvas.
LRESULT ClientSize(HWND canvas, WPARAM width, LPARAM height) {
  HWND frame = GetParent(canvas);
  RECT outer{}, client{};
  GetWindowRect(frame, &outer);
  GetClientRect(frame, &client);
  SetWindowPos(frame, nullptr, 0, 0, static_cast<int>(width) + (outer.right - outer.left) - client.right,
               static_cast<int>(height) + (outer.bottom - outer.top) - client.bottom, SWP_NOMOVE | SWP_NOZORDER);
  return 0;
}

LRESULT StretchView(HWND canvas, bool on) {
  SurfaceLock().lock_serving();
  WindowRecord* record = RecordFind(canvas);
  if (!record) {
    SurfaceLock().unlock();
    return 0;
  }
  if (on) {
    record->flags |= kStretchView;
  } else if (record->flags & kStretchView) {
    // The view may have been resized while stretched, which leaves the canvas as it was: the
    // canvas now takes the view's size, as a resize without stretching would have made it.
    record->flags &= ~kStretchView;
    if (!(record->flags & kScrollView)) RecreateCanvas(*record, record->view_width, record->view_height);
  }
  record->flags |= kForceRefresh;
  SurfaceMarkDirty(*record, 0, 0, record->canvas_width, record->canvas_height);  // releases the lock
  return 0;
}

}  // namespace

LRESULT CanvasPrivateMessage(HWND canvas, UINT message, WPARAM wparam, LPARAM lparam) {
  // A handler runs on the window's thread; one that found the lock held by this very thread
  // (sent from inside a surface operation) would wait for itself: it runs after that operation.
  if (SurfaceLock().held_by_caller()) {
    SurfaceLock().after_release([=] { CanvasPrivateMessage(canvas, message, wparam, lparam); });
    return 0;
  }
  switch (message) {
    case kCanvasBringToFront:
      return BringToFront(canvas);
    case kCanvasClientSize:
      return ClientSize(canvas, wparam, lparam);
    case kCanvasStretchView:
      return StretchView(canvas, wparam != 0);
    case kCanvasScrollArea:
      return ScrollAreaMake(canvas, wparam, lparam);
    default:
      return 0;
  }
}

}  // namespace qv
