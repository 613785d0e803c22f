#include "control_remove_watch.h"

#include <commctrl.h>

#include "control_release.h"
#include "window_record.h"

namespace qv {

namespace {

constexpr UINT_PTR kWatchId = 0x5156524D;  // the subclass's id on the control

LRESULT CALLBACK RemoveWatchProcedure(HWND control, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                      DWORD_PTR) {
  if (message != 0 && message == ControlRemoveRequestMessage()) {
    // Still one of the run-time's controls (a window's own thread reads its records freely).
    WindowRecord* record = RecordFind(control);
    if (record && (record->flags & kFlagControl)) ControlRemove(control);
    return 1;  // the window may be gone: nothing further is passed on
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(control, RemoveWatchProcedure, kWatchId);
  return DefSubclassProc(control, message, wparam, lparam);
}

}  // namespace

UINT ControlRemoveRequestMessage() {
  static const UINT message = RegisterWindowMessageW(L"QuorvexControlRemove");
  return message;
}

void ControlRemoveWatch(HWND control) { SetWindowSubclass(control, RemoveWatchProcedure, kWatchId, 0); }

}  // namespace qv
