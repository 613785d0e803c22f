#include "surface.h"
#include "surface_lock.h"

namespace qv {

// Refreshes update windows only after releasing SurfaceLock, so a paint takes the lock itself
// and never copies a canvas that a drawing thread is changing or freeing.
BOOL SurfacePaint(const DRAWITEMSTRUCT& item, HWND owner) {
  if (!(item.itemAction & ODA_DRAWENTIRE)) return FALSE;
  HWND control = GetDlgItem(owner, static_cast<int>(item.CtlID));
  if (!control) return FALSE;
  SurfaceLockScope hold;
  WindowRecord* record = RecordFind(control);
  if (!record || record->kind != kKindGraphic) return FALSE;
  if (record->memory_dc) {
    if (record->flags & kStretchView)
      StretchBlt(item.hDC, 0, 0, record->view_width, record->view_height, record->memory_dc, 0, 0,
                 record->canvas_width, record->canvas_height, SRCCOPY);
    else
      BitBlt(item.hDC, 0, 0, record->view_width, record->view_height, record->memory_dc, record->view_x,
             record->view_y, SRCCOPY);
  }
  return TRUE;
}

}  // namespace qv
