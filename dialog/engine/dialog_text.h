#pragma once

#include <windows.h>

namespace qv {

// Pushes the window's text as UTF-16; the empty string when it has none.
void DialogGetText(HWND window);

// Sets the window's text from the UTF-16 top operand, which is consumed.
void DialogSetText(HWND window);

}  // namespace qv
