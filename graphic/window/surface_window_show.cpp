#include "surface_window_ops.h"
#include "window_target.h"

namespace qv {

void SurfaceWindowShow(int32_t visible) {
  if (HWND frame = TargetFrame()) ShowWindow(frame, visible ? SW_SHOW : SW_HIDE);
}

}  // namespace qv
