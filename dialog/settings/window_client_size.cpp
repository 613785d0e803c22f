#include "dialog_procedure.h"
#include "dialog_settings.h"
#include "dialog_units.h"
#include "setting_target.h"
#include "surface_seam.h"
#include "window_record.h"

namespace qv {

WindowExtent WindowGetClientSize(HWND dialog, int32_t id) {
  HWND target = SettingTarget(dialog, id, Itself::kYes);
  RECT client{};
  if (!target || !GetClientRect(target, &client)) return {};
  UnitPair size{client.right, client.bottom};
  if (UsesDialogUnits(target)) size = PixelsToUnits(target, size);
  return {size.x, size.y};
}

void WindowSetClientSize(HWND dialog, int32_t id, int32_t width, int32_t height) {
  HWND target = SettingTarget(dialog, id, Itself::kYes);
  if (!target) return;
  UnitPair size{width, height};
  if (UsesDialogUnits(target)) size = UnitsToPixels(target, size);
  if (RecordKind(target) == kKindGraphic) {
    if (auto resize = SurfaceSeamGet().resize) resize(target, size.x, size.y);
    return;
  }
  RECT outer{}, client{};
  GetWindowRect(target, &outer);
  GetClientRect(target, &client);
  SetWindowPos(target, nullptr, 0, 0, size.x + (outer.right - outer.left) - client.right,
               size.y + (outer.bottom - outer.top) - client.bottom, SWP_NOMOVE | SWP_NOZORDER);
}

}  // namespace qv
