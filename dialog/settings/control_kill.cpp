#include <optional>

#include "control_release.h"
#include "dialog_procedure.h"
#include "dialog_settings.h"
#include "setting_target.h"
#include "window_record.h"

namespace qv {

namespace {

// The engine dialog the control is in, nearest first (a control may sit in a group or a page).
HWND EngineDialogOf(HWND control) {
  for (HWND parent = GetParent(control); parent; parent = GetParent(parent)) {
    std::optional<intptr_t> flags = RecordFieldGet(parent, RecordField::kFlags);  // another thread's record
    if (flags && (*flags & kFlagDialog)) return parent;
  }
  return nullptr;
}

}  // namespace

void ControlKill(HWND dialog, int32_t id) {
  HWND control = SettingTarget(dialog, id, Itself::kNo);
  if (!control || control == dialog) return;
  DWORD owner = GetWindowThreadProcessId(control, nullptr);
  if (owner == GetCurrentThreadId()) return ControlRemove(control);
  // Only the control's own thread can destroy its window, so its dialog there does the work. A
  // control made by a thread that has no dialog of its own stays, and so does its record.
  HWND engine_dialog = EngineDialogOf(control);
  if (engine_dialog && GetWindowThreadProcessId(engine_dialog, nullptr) == owner)
    SendMessageW(engine_dialog, kDialogRemoveControl, reinterpret_cast<WPARAM>(control), 0);
}

}  // namespace qv
