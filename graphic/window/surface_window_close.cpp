#include "draw_target.h"
#include "surface.h"
#include "surface_window_ops.h"
#include "window_target.h"

namespace qv {

void SurfaceWindowClose() {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  HWND frame = FrameOfTarget(*record);
  HWND canvas = record->window();
  if (frame)
    if (WindowRecord* framed = RecordFind(frame)) framed->close_block &= ~kCloseBlocked;
  SurfaceRelease();
  if (!frame) return;
  if (DrawTargetGet() == canvas) DrawTargetSet(nullptr);
  // The platform ignores the close command of a disabled window (a frame opened with
  // WS_DISABLED): the program's own close enables it first, or the window would stay open.
  if (!IsWindowEnabled(frame)) EnableWindow(frame, TRUE);
  SendMessageW(frame, WM_SYSCOMMAND, SC_CLOSE, 0);
}

}  // namespace qv
