#include "dialog_procedure.h"
#include "dialog_settings.h"
#include "dialog_units.h"
#include "setting_target.h"
#include "surface_seam.h"
#include "window_record.h"

namespace qv {

WindowExtent WindowGetSize(HWND dialog, int32_t id) {
  HWND target = SettingTarget(dialog, id, Itself::kYes);
  RECT outer{};
  if (!target || !GetWindowRect(target, &outer)) return {};
  UnitPair size{outer.right - outer.left, outer.bottom - outer.top};
  if (UsesDialogUnits(target)) size = PixelsToUnits(target, size);
  return {size.x, size.y};
}

void WindowSetSize(HWND dialog, int32_t id, int32_t width, int32_t height) {
  HWND target = SettingTarget(dialog, id, Itself::kYes);
  if (!target) return;
  UnitPair size{width, height};
  if (UsesDialogUnits(target)) size = UnitsToPixels(target, size);
  if (RecordKind(target) == kKindGraphic) {
    // The canvas takes the client area, so that the control's outer size is the one asked.
    RECT outer{}, client{};
    GetWindowRect(target, &outer);
    GetClientRect(target, &client);
    if (auto resize = SurfaceSeamGet().resize)
      resize(target, size.x - ((outer.right - outer.left) - client.right),
             size.y - ((outer.bottom - outer.top) - client.bottom));
    return;
  }
  SetWindowPos(target, nullptr, 0, 0, size.x, size.y, SWP_NOMOVE | SWP_NOZORDER);
}

}  // namespace qv
