#include "surface_window_ops.h"
#include "window_target.h"

namespace qv {

WindowPlace SurfaceWindowGetPlace() {
  HWND frame = TargetFrame();
  RECT outer{};
  if (!frame || !GetWindowRect(frame, &outer)) return {};
  return {outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top};
}

void SurfaceWindowSetPlace(int32_t x, int32_t y, int32_t width, int32_t height) {
  HWND frame = TargetFrame();
  if (!frame || width < 0 || height < 0) return;
  SetWindowPos(frame, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace qv
