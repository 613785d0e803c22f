#include "control_add.h"

#include <commctrl.h>

#include "control_image.h"
#include "control_image_lists.h"
#include "control_kind.h"
#include "control_remove_watch.h"
#include "dialog_procedure.h"
#include "platform_name.h"
#include "surface_seam.h"
#include "window_record.h"
#include "runtime_state.h"
#include "string_ops.h"

namespace qv {

namespace {

constexpr int32_t kKindPushButton = 1, kKindEdit = 9, kKindListBox = 25, kKindCustom = 23;
constexpr uint32_t kStaticTypeMask = 0xE;

HINSTANCE Module() { return static_cast<HINSTANCE>(Runtime().module); }

struct Placement {
  int32_t x, y, width, height;
};

void AddItems(HWND control, int32_t kind, const ItemList& list) {
  UINT add = kind == kKindComboBox ? CB_ADDSTRING : LB_ADDSTRING;
  for (const DynString& item : list.items) {
    if (item.empty()) break;
    if (list.wide) {
      SendMessageW(control, add, 0, reinterpret_cast<LPARAM>(PlatformName(item).c_str()));
      continue;
    }
    PushText(item);
    ToWide();
    DynString wide = PopText();
    SendMessageW(control, add, 0, reinterpret_cast<LPARAM>(PlatformName(wide).c_str()));
  }
}

// Loads the control's image: natural size, or scaled to the control (kind 11: its client area,
// kind 13: its outer size).
void LoadControlImage(WindowRecord& record, HWND control, const wchar_t* name, Placement at) {
  int cx = 0, cy = 0;
  if (record.kind == kKindImageScaled) {
    RECT client{};
    GetClientRect(control, &client);
    cx = client.right;
    cy = client.bottom;
  } else if (record.kind == kKindImageButtonScaled) {
    cx = at.width;
    cy = at.height;
  }
  ControlImageLoad(record, control, name, cx, cy);
}

void SetDefaultButton(HWND dialog, int32_t id, uint32_t style) {
  if (style & BS_DEFPUSHBUTTON) SendMessageA(dialog, DM_SETDEFID, static_cast<WPARAM>(id), 0);
}

void FinishKind(WindowRecord& record, HWND dialog, HWND control, int32_t id, const wchar_t* image_name,
                Placement at, uint32_t tree_style) {
  int32_t kind = record.kind;
  if (kind == kKindPushButton) SetDefaultButton(dialog, id, record.style);
  if (kind == kKindImageButton || kind == kKindImageButtonScaled) SetDefaultButton(dialog, id, record.style);
  if (IsImageKind(kind)) LoadControlImage(record, control, image_name, at);
  if (kind == kKindGraphic) {
    const SurfaceSeam& seam = SurfaceSeamGet();
    if (seam.set_up) seam.set_up(record, control);
  }
  if (kind >= 16 && kind <= kKindTab) SendMessageW(control, CCM_SETUNICODEFORMAT, 1, 0);
  if (kind == kKindToolbar) SendMessageA(control, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  if (kind == kKindScrollBar) {
    SCROLLINFO range{sizeof range, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 10, 0, 0};
    SendMessageA(control, SBM_SETSCROLLINFO, TRUE, reinterpret_cast<LPARAM>(&range));
  }
  if (kind == kKindTab)
    record.saved_tab_procedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TabPageProcedure)));
  if (kind == kKindTreeView && (tree_style & TVS_CHECKBOXES)) {
    SetWindowLongW(control, GWL_STYLE, static_cast<LONG>(tree_style));
    record.style |= TVS_CHECKBOXES;
  }
  ControlImageListsWatch(control, kind);  // after the tab procedure: the watch sees messages first
}

}  // namespace

void ControlAdd(int32_t kind, HWND dialog, int32_t id, const ItemList* items, int32_t x, int32_t y,
                int32_t width, int32_t height, uint32_t style, uint32_t ex_style, DialogCallback callback) {
  DynString text = PopText();
  DynString class_name = PopText();

  const ControlKindRow* row = ControlKindFind(kind);
  WindowRecord* owner = RecordFind(dialog);
  if (!row || !owner) return;
  uint32_t flags = (owner->flags & kFlagUnitModes) | kFlagControl;
  HFONT font = owner->font;
  bool dialog_units = !(owner->flags & kFlagPixels);

  Placement at{x, y, width, height};
  int32_t unit_width = 0, unit_height = 0;
  if (dialog_units) {
    RECT r{x, y, x + width, y + height};
    MapDialogRect(dialog, &r);
    at = {r.left, r.top, r.right - r.left, r.bottom - r.top};
    unit_width = width + 1;
    unit_height = height + 1;
  }

  const std::wstring class_text = PlatformName(class_name);
  const wchar_t* window_class = class_text.c_str();
  uint32_t tree_style = 0;
  if (kind != 0) {
    if (style == 0) {
      style = row->default_style;
      if (kind == kKindScrollBar && at.width < at.height) style |= SBS_VERT;
      if ((kind == kKindEdit || kind == kKindComboBox || kind == kKindListBox) && (style & WS_BORDER)) {
        style &= ~static_cast<uint32_t>(WS_BORDER);
        ex_style |= WS_EX_CLIENTEDGE;
      }
    }
    style = (style | row->forced) & ~row->cleared;
    if (kind == kKindTreeView) {
      tree_style = style;
      style &= ~static_cast<uint32_t>(TVS_CHECKBOXES);
    }
    if (kind != kKindCustom) window_class = reinterpret_cast<const wchar_t*>(row->class_name);
  }

  const std::wstring window_text_units = PlatformName(text);
  const wchar_t* window_text = window_text_units.c_str();
  const wchar_t* image_name = window_text;
  if (IsImageKind(kind)) {
    if (ImageIsBitmapResource(image_name)) {
      flags |= kFlagImageBitmap;
    } else {
      flags |= kFlagImageIcon;
      if (kind <= kKindImageScaled)
        style = (style & ~kStaticTypeMask) | SS_ICON;
      else
        style = (style & ~static_cast<uint32_t>(BS_BITMAP)) | BS_ICON;
    }
    window_text = nullptr;
  }

  HWND control = CreateWindowExW(ex_style, window_class, window_text, style, at.x, at.y, at.width, at.height,
                                 dialog, reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), Module(), nullptr);
  if (!control) return;
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);

  WindowRecord* record = RecordCreate(control, dialog, flags, kind);
  if (!record) return;
  record->callback = callback;
  record->style = style;
  record->ex_style = ex_style;
  record->unit_width = unit_width;
  record->unit_height = unit_height;

  // Before the kinds put their own procedures on: those keep the window's procedure the one
  // they set, and pass on what they do not handle, the request included.
  ControlRemoveWatch(control);
  if (items && !items->items.empty()) AddItems(control, kind, *items);
  FinishKind(*record, dialog, control, id, image_name, at, tree_style);
}

}  // namespace qv
