#include "canvas_create.h"
#include "canvas_font.h"
#include "draw_target.h"
#include "surface.h"
#include "surface_lock.h"

namespace qv {

namespace {
constexpr int32_t kCanvasFontNumber = 1;
}

void SurfaceSetUp(WindowRecord& record, HWND control) {
  record.saved_procedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SurfaceControlProcedure)));
  {
    // Another thread may already find the record through a target handle.
    SurfaceLockScope hold;
    if (CanvasCreate(record, control)) {
      CanvasFontSelect(record, kCanvasFontNumber);
      CanvasColours(record);
    }
    if ((record.flags & kFlagDialogUnits) && record.unit_width > 0 && record.unit_height > 0) {
      record.scale_x = static_cast<float>(record.canvas_width) / static_cast<float>(record.unit_width);
      record.scale_y = static_cast<float>(record.canvas_height) / static_cast<float>(record.unit_height);
    }
    record.pen_width = 0;
  }
  if (!DrawTargetGet()) DrawTargetSet(control);
}

}  // namespace qv
