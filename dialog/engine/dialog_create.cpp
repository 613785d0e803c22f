#include "dialog_create.h"

#include "dialog_procedure.h"
#include "dialog_template.h"
#include "font_table.h"
#include "platform_name.h"
#include "window_record.h"
#include "runtime_state.h"
#include "string_ops.h"

namespace qv {

namespace {

constexpr UINT kPlaceFlags = SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_NOCOPYBITS |
                             SWP_NOOWNERZORDER | SWP_NOSENDCHANGING;  // 0x71C
static_assert(kPlaceFlags == 0x71C);

int32_t ShowCommandFor(uint32_t style) {
  if (style & WS_MAXIMIZE) return SW_MAXIMIZE;
  if (style & WS_MINIMIZE) return SW_MINIMIZE;
  return SW_SHOW;
}

// (low + high - size) / 2, or 0 when the subtraction goes below zero.
int32_t CentreOn(LONG low, LONG high, int32_t size) {
  int64_t room = int64_t{low} + high - size;
  return room < 0 ? 0 : static_cast<int32_t>(static_cast<uint64_t>(room) / 2);
}

void PlaceInPixels(HWND dialog, HWND parent, uint32_t style, int32_t x, int32_t y, int32_t width,
                   int32_t height) {
  RECT window{}, client{};
  GetWindowRect(dialog, &window);
  GetClientRect(dialog, &client);
  width += (window.right - window.left) - (client.right - client.left);
  height += (window.bottom - window.top) - (client.bottom - client.top);

  if (style & DS_CENTER) {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    x = CentreOn(work.left, work.right, width);
    y = CentreOn(work.top, work.bottom, height);
  } else if (!(style & (WS_CHILD | DS_ABSALIGN))) {
    POINT origin{0, 0};
    if (parent) ClientToScreen(parent, &origin);
    x += origin.x;
    y += origin.y;
  } else if ((style & (WS_CHILD | DS_CONTROL)) != (WS_CHILD | DS_CONTROL)) {
    if (x < 0) x = 0;
    if (y < 0) y = 0;
  }
  SetWindowPos(dialog, nullptr, x, y, width, height, kPlaceFlags);
}

}  // namespace

uint32_t DialogStyleNormalise(uint32_t style, HWND parent, int32_t x, int32_t y) {
  if (style == 0) style = kDefaultDialogStyle;
  style |= DS_SETFONT | DS_NOFAILCREATE | DS_3DLOOK;
  style &= ~static_cast<uint32_t>(WS_VISIBLE | DS_SYSMODAL);
  if (x == kCentred || y == kCentred) style |= DS_CENTER;
  if (style & WS_CHILD) {
    style &= ~static_cast<uint32_t>(WS_POPUP | DS_ABSALIGN);
    if (!parent) style = (style & ~static_cast<uint32_t>(WS_CHILD)) | WS_POPUP;
  }
  return style;
}

HWND DialogCreate(int32_t unit_mode, HWND parent, int32_t x, int32_t y, int32_t width, int32_t height,
                  uint32_t style, uint32_t ex_style) {
  DynString title = PopText();
  style = DialogStyleNormalise(style, parent, x, y);

  DialogTemplateBuffer buffer;
  DialogTemplateBuild(buffer, style, ex_style, x, y, width, height,
                      FontTableFind(CurrentDialogFontNumber()));
  HWND dialog = CreateDialogIndirectParamW(
      static_cast<HINSTANCE>(Runtime().module), reinterpret_cast<LPCDLGTEMPLATEW>(buffer.bytes),
      parent, DialogProcedure, 0);

  bool pixels = (unit_mode & kUnitPixels) != 0;
  if (dialog && pixels) PlaceInPixels(dialog, parent, style, x, y, width, height);
  if (dialog)
    SetWindowTextW(dialog, PlatformName(title).c_str());
  if (!dialog) return nullptr;

  WindowRecord* record =
      RecordCreate(dialog, parent, kFlagDialog | (pixels ? kFlagPixels : kFlagDialogUnits), 0);
  if (!record) {
    // Without a record nobody could reach or end the window.
    DestroyWindow(dialog);
    return nullptr;
  }
  record->style = style;
  record->show_command = ShowCommandFor(style);
  record->font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
  return dialog;
}

}  // namespace qv
