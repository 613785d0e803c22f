#include "dialog_settings.h"
#include "setting_target.h"
#include "window_record.h"

namespace qv {

int32_t ButtonGetCheck(HWND dialog, int32_t id) {
  HWND button = SettingTarget(dialog, id, Itself::kNo);
  return button ? static_cast<int32_t>(SendMessageA(button, BM_GETCHECK, 0, 0)) : 0;
}

void ButtonSetCheck(HWND dialog, int32_t id, int32_t state) {
  if (HWND button = SettingTarget(dialog, id, Itself::kNo))
    SendMessageA(button, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

void RadioCheck(HWND dialog, int32_t first_id, int32_t last_id, int32_t checked_id) {
  if (RecordFind(dialog) && IsWindow(dialog)) CheckRadioButton(dialog, first_id, last_id, checked_id);
}

}  // namespace qv
