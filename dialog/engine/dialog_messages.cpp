#include "dialog_messages.h"

#include <cstring>

#include "dyn_string.h"
#include "string_ops.h"

namespace qv {

LRESULT MessageSend(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return SendMessageA(window, message, wparam, lparam);
}

LRESULT MessageSendWide(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return SendMessageW(window, message, wparam, lparam);
}

BOOL MessagePost(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return PostMessageA(window, message, wparam, lparam);
}

BOOL MessagePostWide(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return PostMessageW(window, message, wparam, lparam);
}

LRESULT ControlMessageSend(HWND dialog, int32_t id, UINT message, WPARAM wparam, LPARAM lparam) {
  return SendMessageA(GetDlgItem(dialog, id), message, wparam, lparam);
}

void MessageTextQuery(HWND window, int32_t index, UINT text_message, UINT length_message) {
  LRESULT length = SendMessageW(window, length_message, static_cast<WPARAM>(index), 0);
  if (length <= 0 || length > INT32_MAX / 2) {
    PushEmpty();
    return;
  }
  // The block's two trailing zero bytes take the terminator the control writes.
  DynString text;
  text.Reset(AllocateUnits(static_cast<uint32_t>(length)));
  if (text.empty()) {
    PushEmpty();
    return;
  }
  std::memset(text.data(), 0, text.bytes());
  SendMessageW(window, text_message, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  PushOwned(std::move(text));
}

}  // namespace qv
