#include "dialog_end.h"

#include "window_record.h"

namespace qv {

void DialogEnd(HWND dialog, int32_t result) {
  WindowRecord* record = RecordFind(dialog);
  // Once only: a callback that ends the dialog again on the WM_CLOSE sent below is ignored.
  if (!record || (record->close_block & kDialogEnding)) return;
  record->close_block |= kDialogEnding;
  if (record->result_target) *record->result_target = result;
  record->close_block &= ~kCloseBlocked;
  HWND owner = record->parent;
  HACCEL accelerators = record->accelerators;
  record->accelerators = nullptr;
  SendMessageA(dialog, WM_CLOSE, 0, 0);
  if (owner) EnableWindow(owner, TRUE);
  if (accelerators) DestroyAcceleratorTable(accelerators);
  // A window that survives (one of another thread cannot be destroyed from here) can be ended
  // again later.
  if (!DestroyWindow(dialog))
    if (WindowRecord* left = RecordFind(dialog)) left->close_block &= ~kDialogEnding;
}

}  // namespace qv
