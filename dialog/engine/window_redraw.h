#pragma once

#include <windows.h>

namespace qv {

// Redraws a window with its children at once; a transparent window also has the part of its
// parent that it covers redrawn, and so on up the chain of transparent windows.
void WindowRedraw(HWND window);

}  // namespace qv
