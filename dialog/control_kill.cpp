#include "control_release.h"
#include "dialog_settings.h"
#include "setting_target.h"
#include "window_record.h"

namespace qv {

void ControlKill(HWND dialog, int32_t id) {
  HWND control = SettingTarget(dialog, id, Itself::kNo);
  if (!control || control == dialog) return;
  // While the window exists: its image lists and the font it had are given back to it.
  ControlsReleaseOf(control);
  ControlResourcesRelease(control);
  DestroyWindow(control);
  RecordDestroy(control);
}

}  // namespace qv
