#include "dialog_procedure.h"

#include <commctrl.h>

#include <vector>

#include "control_release.h"
#include "dialog_end.h"
#include "engine_state.h"
#include "surface_seam.h"
#include "window_record.h"

namespace qv {

namespace {

void ShowTabPage(HWND tab, bool selected) {
  INT_PTR index = SendMessageW(tab, TCM_GETCURSEL, 0, 0);
  if (index < 0) return;
  TCITEMW item{};
  item.mask = TCIF_PARAM;
  if (!SendMessageW(tab, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item))) return;
  HWND page = reinterpret_cast<HWND>(item.lParam);
  int32_t command = selected ? SW_SHOW : SW_HIDE;
  if (WindowRecord* record = RecordFind(page)) record->show_command = command;
  if (page) ShowWindow(page, command);
}

INT_PTR OnNotify(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (const auto* header = reinterpret_cast<const NMHDR*>(lparam)) {
    UINT code = header->code;
    if ((code == TCN_SELCHANGING || code == TCN_SELCHANGE) && RecordKind(header->hwndFrom) == kKindTab)
      ShowTabPage(header->hwndFrom, code == TCN_SELCHANGE);
    if (auto answer = CallbackStep(RecordCallback(header->hwndFrom), dialog, message, wparam, lparam))
      return *answer;
  }
  if (auto answer = CallbackStep(RecordCallback(dialog), dialog, message, wparam, lparam)) return *answer;
  return 0;
}

// The callback a WM_COMMAND is meant for: the control's, a menu item's or a toolbar button's.
DialogCallback CommandCallback(HWND dialog, WPARAM wparam, LPARAM lparam) {
  UINT id = LOWORD(wparam);
  HWND sender = reinterpret_cast<HWND>(lparam);
  if (GetDlgItem(dialog, static_cast<int>(id))) return RecordCallback(sender);
  if (HMENU menu = GetMenu(dialog)) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    if (GetMenuItemInfoW(menu, id, FALSE, &info) && info.dwItemData)
      return reinterpret_cast<DialogCallback>(info.dwItemData);
  }
  if (sender && RecordKind(sender) == kKindToolbar) {
    LRESULT index = SendMessageA(sender, TB_COMMANDTOINDEX, id, 0);
    TBBUTTON button{};
    if (SendMessageA(sender, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button)) &&
        button.dwData)
      return reinterpret_cast<DialogCallback>(button.dwData);
  }
  return nullptr;
}

void NoteComboDrop(WPARAM wparam, LPARAM lparam) {
  if (HIWORD(wparam) == CBN_DROPDOWN) DialogEngine().dropped_combo = reinterpret_cast<HWND>(lparam);
  if (HIWORD(wparam) == CBN_CLOSEUP) DialogEngine().dropped_combo = nullptr;
}

void SizeBars(HWND dialog, WPARAM wparam, LPARAM lparam) {
  // Handles first: a bar's WM_SIZE may run program code that changes the list.
  std::vector<HWND> bars;
  for (WindowRecord* r = NextBarOf(dialog, nullptr); r; r = NextBarOf(dialog, r)) bars.push_back(r->window());
  for (HWND bar : bars) SendMessageA(bar, WM_SIZE, wparam, lparam);
}

INT_PTR OnDrawItem(HWND dialog, LPARAM lparam) {
  const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
  if (!item || !(item->itemAction & ODA_DRAWENTIRE)) return 0;
  HWND control = GetDlgItem(dialog, static_cast<int>(item->CtlID));
  if (!control || RecordKind(control) != kKindGraphic) return 0;
  const SurfaceSeam& seam = SurfaceSeamGet();
  return seam.paint && seam.paint(*item, dialog) ? 1 : 0;
}

INT_PTR OnSystemCommand(HWND dialog, WPARAM wparam) {
  if ((wparam & 0xFFF0) != SC_CLOSE) return 0;
  WindowRecord* record = RecordFind(dialog);
  if (!record) return 0;
  if (record->close_block & kCloseBlocked) return 1;
  DialogEnd(dialog, 0);
  return 1;
}

}  // namespace

DialogCallback RecordCallback(HWND window) {
  WindowRecord* record = RecordFind(window);
  return record ? record->callback : nullptr;
}

int32_t RecordKind(HWND window) {
  WindowRecord* record = RecordFind(window);
  return record ? record->kind : -1;
}

INT_PTR MessageResult(HWND dialog, INT_PTR answer) {
  if (GetWindowLongPtrW(dialog, DWLP_MSGRESULT) == 0) SetWindowLongPtrW(dialog, DWLP_MSGRESULT, answer);
  return answer;
}

std::optional<INT_PTR> CallbackStep(DialogCallback callback, HWND dialog, UINT message, WPARAM wparam,
                                    LPARAM lparam) {
  if (!callback) return std::nullopt;
  LRESULT answer = callback(dialog, message, wparam, lparam);
  if (answer == 0) return std::nullopt;
  return MessageResult(dialog, answer);
}

INT_PTR CALLBACK DialogProcedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      ++DialogEngine().open_dialogs;
      return 0;
    case WM_DESTROY:
      --DialogEngine().open_dialogs;
      break;
    case WM_NOTIFY:
      return OnNotify(dialog, message, wparam, lparam);
    case WM_ACTIVATE:
      switch (LOWORD(wparam)) {
        case WA_ACTIVE:
        case WA_CLICKACTIVE:
          DialogEngine().active_dialog = dialog;
          return 0;
        case WA_INACTIVE:
          DialogEngine().active_dialog = nullptr;
          return 0;
        default:
          break;
      }
      break;
    case WM_COMMAND:
      NoteComboDrop(wparam, lparam);
      if (auto answer = CallbackStep(CommandCallback(dialog, wparam, lparam), dialog, message, wparam, lparam))
        return *answer;
      break;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (auto answer = CallbackStep(RecordCallback(reinterpret_cast<HWND>(lparam)), dialog, message, wparam,
                                     lparam))
        return *answer;
      break;
    default:
      break;
  }

  // A dialog without record (still being created, or already torn down) gets default handling.
  WindowRecord* record = RecordFind(dialog);
  if (!record) return 0;
  std::optional<INT_PTR> answer = CallbackStep(record->callback, dialog, message, wparam, lparam);
  // Teardown does not depend on the callback's answer: the controls give back what they took
  // while their windows still exist, and the records go with the dialog's window.
  if (message == WM_DESTROY) ControlsReleaseOf(dialog);
  if (message == WM_NCDESTROY) {
    RecordDestroy(dialog);
    return answer ? *answer : 1;
  }
  if (answer) return *answer;

  // The callback may have ended the dialog: look the record up again where it matters.
  switch (message) {
    case WM_DRAWITEM:
      return OnDrawItem(dialog, lparam);
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return ControlColourResolve(dialog, message, reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_SYSCOMMAND:
      return OnSystemCommand(dialog, wparam);
    case WM_SIZE:
      if (RecordFind(dialog)) SizeBars(dialog, wparam, lparam);
      return 0;
    default:
      return 0;
  }
}

}  // namespace qv
