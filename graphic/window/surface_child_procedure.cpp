#include "surface.h"
#include "surface_input.h"
#include "surface_lock.h"
#include "surface_window.h"

namespace qv {

namespace {

void Click(HWND canvas, LPARAM lparam, bool double_click) {
  SurfaceLockScope hold;
  if (WindowRecord* record = RecordFind(canvas)) {
    record->click_state = double_click ? (record->click_state | 2) : 1;
    record->click_x = LOWORD(lparam);
    record->click_y = HIWORD(lparam);
  }
}

}  // namespace

LRESULT CALLBACK SurfaceChildProcedure(HWND canvas, UINT message, WPARAM wparam, LPARAM lparam) {
  // Only this window's thread destroys its record, so the saved procedure can be read here.
  WindowRecord* record = RecordFind(canvas);
  if (!record) return DefWindowProcW(canvas, message, wparam, lparam);
  WNDPROC saved = record->saved_procedure;

  if (auto answer = SurfaceInputMessage(canvas, message, wparam, lparam, true)) return *answer;
  switch (message) {
    case WM_LBUTTONDOWN:
      SetFocus(canvas);
      Click(canvas, lparam, false);
      return 0;
    case WM_LBUTTONDBLCLK:
      Click(canvas, lparam, true);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything from the canvas
    case kCanvasBringToFront:
    case kCanvasClientSize:
    case kCanvasStretchView:
    case kCanvasScrollArea:
      return CanvasPrivateMessage(canvas, message, wparam, lparam);
    default:
      break;
  }
  return CallSavedProcedure(saved, canvas, message, wparam, lparam);
}

}  // namespace qv
