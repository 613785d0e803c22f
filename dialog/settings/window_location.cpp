#include "dialog_settings.h"
#include "dialog_units.h"
#include "setting_target.h"
#include "window_record.h"

namespace qv {

namespace {
HWND ParentOrOwner(HWND window) { return reinterpret_cast<HWND>(GetWindowLongPtrW(window, GWLP_HWNDPARENT)); }
}  // namespace

WindowPoint WindowGetLocation(HWND dialog, int32_t id) {
  HWND target = SettingTarget(dialog, id, Itself::kYes);
  RECT outer{};
  if (!target || !GetWindowRect(target, &outer)) return {};
  POINT corner{outer.left, outer.top};
  WindowRecord* record = RecordFind(target);
  bool absolute = record && (record->flags & kFlagDialog) && (record->style & DS_ABSALIGN);
  if (HWND parent = ParentOrOwner(target); parent && !absolute) ScreenToClient(parent, &corner);
  UnitPair at{corner.x, corner.y};
  if (UsesDialogUnits(target)) at = PixelsToUnits(target, at);
  return {at.x, at.y};
}

void WindowSetLocation(HWND dialog, int32_t id, int32_t x, int32_t y) {
  HWND target = SettingTarget(dialog, id, Itself::kYes);
  if (!target) return;
  UnitPair at{x, y};
  if (UsesDialogUnits(target)) at = UnitsToPixels(target, at);
  if (target == dialog && !(GetWindowLongW(dialog, GWL_STYLE) & WS_CHILD)) {
    if (HWND owner = ParentOrOwner(dialog)) {
      POINT origin{0, 0};
      ClientToScreen(owner, &origin);
      at.x += origin.x;
      at.y += origin.y;
    }
  }
  SetWindowPos(target, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

}  // namespace qv
