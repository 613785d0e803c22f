#include "control_release.h"
#include "control_remove_watch.h"
#include "dialog_settings.h"
#include "served_wait.h"
#include "setting_target.h"
#include "window_record.h"

namespace qv {

namespace {

// How long a kill from another thread waits for the control's thread to remove it. The control's
// thread may itself be waiting for the caller (joining it, waiting for an event it sets), so the
// kill must come back: after the bound the request stays queued there, and the control goes the
// next time that thread runs its messages.
constexpr DWORD kKillWaitMs = 500;

}  // namespace

void ControlKill(HWND dialog, int32_t id) {
  HWND control = SettingTarget(dialog, id, Itself::kNo);
  if (!control || control == dialog) return;
  DWORD owner = GetWindowThreadProcessId(control, nullptr);
  if (owner == GetCurrentThreadId()) return ControlRemove(control);
  // Only the control's own thread can destroy its window: the request goes to the control
  // (control_remove_watch.h). A control ControlAdd did not make has no watch and stays.
  UINT request = ControlRemoveRequestMessage();
  if (!request || !SendNotifyMessageW(control, request, 0, 0)) return;
  ServedWaitUntil([control] { return !IsWindow(control); }, kKillWaitMs);
}

}  // namespace qv
