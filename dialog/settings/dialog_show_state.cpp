#include "dialog_settings.h"
#include "window_record.h"
#include "window_redraw.h"

namespace qv {

void DialogShowState(HWND window, int32_t show_command) {
  WindowRecord* record = RecordFind(window);
  if (!record || !IsWindow(window)) return;
  if ((record->flags & kFlagDialog) && !(record->flags & kFlagShown)) {
    bool kept = show_command == SW_HIDE || show_command == SW_MAXIMIZE || show_command == SW_MINIMIZE;
    record->show_command = kept ? show_command : SW_SHOW;
    return;
  }
  ShowWindow(window, show_command);
  WindowRedraw(window);
}

}  // namespace qv
