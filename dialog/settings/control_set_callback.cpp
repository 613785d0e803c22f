#include "dialog_settings.h"
#include "setting_target.h"
#include "window_record.h"

namespace qv {

void ControlSetCallback(HWND dialog, int32_t id, DialogCallback callback) {
  if (HWND control = SettingTarget(dialog, id, Itself::kNo))
    RecordFieldSet(control, RecordField::kCallback, reinterpret_cast<intptr_t>(callback));
}

}  // namespace qv
