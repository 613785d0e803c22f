#include "dialog_procedure.h"
#include "engine_state.h"
#include "window_record.h"

namespace qv {

namespace {

struct ColourRoles {
  int text;
  int background;
};

ColourRoles RolesFor(UINT message) {
  switch (message) {
    case WM_CTLCOLORMSGBOX: return {COLOR_MENUTEXT, COLOR_MENU};
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: return {COLOR_WINDOWTEXT, COLOR_WINDOW};
    case WM_CTLCOLORBTN: return {COLOR_BTNTEXT, COLOR_BTNFACE};
    case WM_CTLCOLORSCROLLBAR: return {COLOR_WINDOWTEXT, COLOR_SCROLLBAR};
    default: return {COLOR_WINDOWTEXT, COLOR_BTNFACE};  // dialog and static
  }
}

// Sets the record's colours into the DC and answers the brush; `transparent` tells the callers
// that the answer is the null brush of a transparent background.
INT_PTR ApplyColours(const WindowRecord& record, HDC dc, ColourRoles roles, bool& transparent) {
  transparent = false;
  if (record.text_colour == kColourDefault) return 0;
  SetTextColor(dc, record.text_colour == kColourSystem ? GetSysColor(roles.text)
                                                       : static_cast<COLORREF>(record.text_colour));
  if (record.background_colour >= 0) {
    SetBkColor(dc, static_cast<COLORREF>(record.background_colour));
    return reinterpret_cast<INT_PTR>(record.background_brush);
  }
  if (record.background_colour == kColourSystem) {
    SetBkColor(dc, GetSysColor(roles.background));
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(roles.background));
  }
  if (record.background_colour == kColourNone) {
    SetBkMode(dc, TRANSPARENT);
    transparent = true;
    return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
  }
  return 0;
}

}  // namespace

INT_PTR ControlColourResolve(HWND dialog, UINT message, HDC dc, HWND control) {
  bool transparent = false;
  if (WindowRecord* record = RecordFind(control)) {
    INT_PTR answer = ApplyColours(*record, dc, RolesFor(message), transparent);
    return transparent ? MessageResult(dialog, answer) : answer;
  }
  // The edit or list part of a combo box has no record: the combo box's colours apply.
  if (message != WM_CTLCOLOREDIT && message != WM_CTLCOLORLISTBOX) return 0;
  HWND combo = reinterpret_cast<HWND>(GetWindowLongPtrW(control, GWLP_HWNDPARENT));
  if (!combo) combo = DialogEngine().dropped_combo;
  WindowRecord* record = RecordFind(combo);
  if (!record || record->kind != kKindComboBox) return 0;
  return ApplyColours(*record, dc, {COLOR_WINDOWTEXT, COLOR_WINDOW}, transparent);
}

}  // namespace qv
