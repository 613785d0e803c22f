#include "dialog_show.h"

#include "engine_state.h"
#include "window_record.h"
#include "window_redraw.h"

namespace qv {

namespace {

WPARAM SizeTypeFor(int32_t show_command) {
  if (show_command == SW_MAXIMIZE) return SIZE_MAXIMIZED;
  if (show_command == SW_MINIMIZE) return SIZE_MINIMIZED;
  return SIZE_RESTORED;
}

// Steps shared by both show operations; the record, or null when the dialog has none.
WindowRecord* OpenDialog(HWND dialog, DialogCallback callback, int32_t* result) {
  if (callback) {
    WindowRecord* record = RecordFind(dialog);
    int32_t show_command = record ? record->show_command : SW_SHOW;
    RECT client{};
    GetClientRect(dialog, &client);
    callback(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(dialog), 0);
    callback(dialog, WM_SIZE, SizeTypeFor(show_command), MAKELPARAM(client.right, client.bottom));
  }
  WindowRecord* record = RecordFind(dialog);
  if (!record) return nullptr;
  record->callback = callback;
  record->flags |= kFlagShown;
  record->result_target = result;
  return record;
}

HACCEL AcceleratorsOf(HWND dialog) {
  WindowRecord* record = RecordFind(dialog);
  return record ? record->accelerators : nullptr;
}

}  // namespace

void DialogShowModal(HWND dialog, DialogCallback callback, int32_t* result) {
  SetForegroundWindow(dialog);
  WindowRecord* record = OpenDialog(dialog, callback, result);
  if (!record) return;
  // Copies: the owner's handling of the messages below may run program code.
  HWND owner = record->parent;
  bool idle_messages = !(record->style & DS_NOIDLEMSG);
  int32_t show_command = record->show_command;
  if (owner) {
    SendMessageA(owner, WM_CANCELMODE, 0, 0);
    EnableWindow(owner, FALSE);
  }
  ShowWindow(dialog, show_command);

  MSG message;
  for (;;) {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (idle_messages && owner) {
        SendMessageA(owner, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(dialog));
        Sleep(1);
      } else {
        // No idle message is due, so there is nothing to do until input arrives: waiting for
        // it instead of polling every millisecond keeps an idle dialog off the processor.
        MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      }
      continue;
    }
    if (!IsWindow(dialog)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
      break;
    }
    HACCEL accelerators = AcceleratorsOf(dialog);
    if (accelerators && TranslateAcceleratorW(dialog, accelerators, &message)) {
      if (IsWindow(dialog)) continue;
    } else if (IsDialogMessageW(dialog, &message)) {
      if (IsWindow(dialog)) continue;
    } else {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (!IsWindow(dialog)) break;
  }
  if (owner) SetFocus(owner);
}

void DialogShowModeless(HWND dialog, DialogCallback callback, int32_t* result) {
  WindowRecord* record = OpenDialog(dialog, callback, result);
  if (!record) return;
  int32_t command = record->show_command;
  ShowWindow(dialog, command);
  if (command != SW_HIDE && command != SW_SHOWMINIMIZED && command != SW_MINIMIZE) WindowRedraw(dialog);
}

int32_t DialogPumpOnce() {
  MSG message;
  if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    Sleep(1);
    return DialogEngine().open_dialogs;
  }
  HWND active = DialogEngine().active_dialog;
  bool handled = false;
  if (active && IsWindow(active)) {
    HACCEL accelerators = AcceleratorsOf(active);
    handled = (accelerators && TranslateAcceleratorW(active, accelerators, &message)) ||
              IsDialogMessageW(active, &message);
  }
  if (!handled) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return DialogEngine().open_dialogs;
}

}  // namespace qv
