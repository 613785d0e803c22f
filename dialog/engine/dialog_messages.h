// Message operations: the platform's send and post, passed through, and control-addressed
// forms that resolve the control in its dialog first.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

LRESULT MessageSend(HWND window, UINT message, WPARAM wparam, LPARAM lparam);      // ANSI
LRESULT MessageSendWide(HWND window, UINT message, WPARAM wparam, LPARAM lparam);  // UTF-16
BOOL MessagePost(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
BOOL MessagePostWide(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// SendMessageA to the dialog's control `id`; values not given are 0.
LRESULT ControlMessageSend(HWND dialog, int32_t id, UINT message, WPARAM wparam = 0, LPARAM lparam = 0);

// Pushes the text of item `index` (e.g. LB_GETTEXT with LB_GETTEXTLEN) as UTF-16: exactly as
// many units as the length message answers; the empty string for none or an error answer.
void MessageTextQuery(HWND window, int32_t index, UINT text_message, UINT length_message);

}  // namespace qv
