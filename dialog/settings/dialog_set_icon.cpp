#include "dialog_settings.h"
#include "platform_name.h"
#include "runtime_state.h"
#include "string_ops.h"
#include "window_record.h"

namespace qv {

namespace {
HICON LoadIconSized(const DynString& name, int size) {
  if (name.empty()) return nullptr;
  return static_cast<HICON>(LoadImageW(static_cast<HINSTANCE>(Runtime().module),
                                       PlatformName(name).c_str(), IMAGE_ICON, size, size, 0));
}
}  // namespace

void DialogSetIcon(HWND dialog) {
  DynString name = PopText();
  WindowRecord* record = RecordFind(dialog);
  if (!record || !(record->flags & kFlagDialog) || !IsWindow(dialog)) return;
  HICON large = LoadIconSized(name, 32);
  HICON small = LoadIconSized(name, 16);
  if (!large || !small) {
    // A missing icon changes nothing.
    if (large) DestroyIcon(large);
    if (small) DestroyIcon(small);
    return;
  }
  SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large));
  SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  HICON previous_large = record->large_icon, previous_small = record->small_icon;
  record->large_icon = large;
  record->small_icon = small;
  if (previous_large) DestroyIcon(previous_large);
  if (previous_small) DestroyIcon(previous_small);
}

}  // namespace qv
