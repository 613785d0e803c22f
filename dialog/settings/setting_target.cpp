#include "setting_target.h"

#include "dialog_settings.h"
#include "window_record.h"

namespace qv {

HWND SettingTarget(HWND dialog, int32_t id, Itself itself) {
  if (!dialog || !IsWindow(dialog)) return nullptr;
  HWND target = itself == Itself::kYes && id == kDialogItself ? dialog : GetDlgItem(dialog, id);
  if (!target || !RecordFind(target)) return nullptr;
  return target;
}

}  // namespace qv
