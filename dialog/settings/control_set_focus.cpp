#include "dialog_settings.h"
#include "setting_target.h"
#include "window_record.h"

namespace qv {

namespace {
constexpr uint32_t kTopLevelKinds = kFlagDialog | kFlagGraphicFrame;
constexpr int kMaxDepth = 64;  // a parent loop in the records must not hang the walk
}  // namespace

void ControlSetFocus(HWND dialog, int32_t id) {
  HWND control = SettingTarget(dialog, id, Itself::kNo);
  if (!control) return;
  HWND at = control;
  for (int i = 0; i < kMaxDepth && at; ++i) {
    WindowRecord* record = RecordFind(at);
    if (!record) break;
    if (record->flags & kTopLevelKinds) {
      SetForegroundWindow(at);
      break;
    }
    at = record->parent;
  }
  SetFocus(control);
}

}  // namespace qv
