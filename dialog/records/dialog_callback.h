// DialogCallback: a program routine (window, message, wParam, lParam) -> answer. An answer of 0
// lets the engine go on with the message; only zero or non-zero matters to the engine. The same
// shape serves dialog, control, menu-item and toolbar-button callbacks.
#pragma once

#include <windows.h>

namespace qv {

using DialogCallback = LRESULT(CALLBACK*)(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace qv
