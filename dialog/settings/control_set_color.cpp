#include <windows.h>
#include <commctrl.h>

#include "brush_sharing.h"
#include "dialog_settings.h"
#include "setting_target.h"
#include "window_record.h"

namespace qv {

namespace {

constexpr int32_t kKindProgressBar = 19;

int32_t TextColourOf(int32_t colour) { return colour < 0 ? kColourSystem : colour & 0x00FFFFFF; }

int32_t BackgroundColourOf(int32_t colour) {
  if (colour == kColourNone) return kColourNone;
  return colour < 0 ? kColourSystem : colour & 0x00FFFFFF;
}

// The common controls paint their own background. Transparent counts as the system colour,
// which follows the dialog's background; where that is no real colour either (system, default
// or transparent) the control is told "none" (CLR_NONE, -1), so that the dialog's own
// background shows.
int32_t CommonControlBackground(int32_t background, int32_t dialog_background) {
  if (background < 0) background = dialog_background;
  return background < 0 ? kColourSystem : background;
}

}  // namespace

void ControlSetColor(HWND dialog, int32_t id, int32_t text_colour, int32_t background_colour) {
  int32_t text = TextColourOf(text_colour);
  int32_t background = BackgroundColourOf(background_colour);
  HWND target = SettingTarget(dialog, id, Itself::kYes);
  WindowRecord* dialog_record = RecordFind(dialog);
  WindowRecord* record = RecordFind(target);
  if (!target || !dialog_record || !record) return;
  int32_t dialog_background = dialog_record->background_colour;

  switch (record->kind) {
    case kKindListView:
      background = CommonControlBackground(background, dialog_background);
      RecordColoursExchange(target, text, background);
      SendMessageW(target, LVM_SETTEXTCOLOR, 0, text);
      SendMessageW(target, LVM_SETTEXTBKCOLOR, 0, background);
      SendMessageW(target, LVM_SETBKCOLOR, 0, background);
      return;
    case kKindTreeView:
      background = CommonControlBackground(background, dialog_background);
      SendMessageW(target, TVM_SETBKCOLOR, 0, background);
      SendMessageW(target, TVM_SETTEXTCOLOR, 0, text);
      SendMessageW(target, TVM_SETLINECOLOR, 0, text);
      return;
    case kKindProgressBar:
      background = CommonControlBackground(background, dialog_background);
      SendMessageW(target, PBM_SETBARCOLOR, 0, text);
      SendMessageW(target, PBM_SETBKCOLOR, 0, background);
      return;
    default:
      break;
  }
  if (record->kind == kKindScrollBar && background < 0) background = dialog_background;
  // A negative background has no brush; a real one gets a shared or a new one.
  RecordColoursExchange(target, text, background);
}

}  // namespace qv
