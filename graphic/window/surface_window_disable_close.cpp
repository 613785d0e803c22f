#include "surface_window_ops.h"
#include "window_target.h"

namespace qv {

void SurfaceWindowDisableClose() {
  HWND frame = TargetFrame();
  if (!frame) return;
  HMENU menu = GetSystemMenu(frame, FALSE);
  if (!menu) return;
  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_STATE;
  item.fState = MFS_DISABLED | MFS_GRAYED;
  SetMenuItemInfoW(menu, SC_CLOSE, FALSE, &item);
}

}  // namespace qv
