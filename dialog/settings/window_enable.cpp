#include "dialog_settings.h"
#include "setting_target.h"

namespace qv {

void WindowEnable(HWND dialog, int32_t id, int32_t flag) {
  if (HWND target = SettingTarget(dialog, id, Itself::kYes)) EnableWindow(target, flag != 0);
}

}  // namespace qv
