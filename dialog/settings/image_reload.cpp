#include "control_image.h"
#include "dialog_settings.h"
#include "platform_name.h"
#include "setting_target.h"
#include "string_ops.h"

namespace qv {

void ImageReload(HWND dialog, int32_t id, int32_t kind_offset) {
  DynString name = PopText();
  HWND control = SettingTarget(dialog, id, Itself::kNo);
  WindowRecord* record = RecordFind(control);
  if (!record || name.empty() || !IsImageKind(record->kind) || record->kind != kKindImage + kind_offset) return;
  const std::wstring text_name = PlatformName(name);
  const wchar_t* text = text_name.c_str();
  bool bitmap = ImageIsBitmapResource(text);
  uint32_t wanted = bitmap ? kFlagImageBitmap : kFlagImageIcon;
  if (!(record->flags & wanted)) return;
  int cx = 0, cy = 0;
  if (kind_offset & 1) {
    RECT client{};
    GetClientRect(control, &client);
    cx = client.right;
    cy = client.bottom;
  }
  ControlImageLoad(*record, control, text, cx, cy);
}

}  // namespace qv
