#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

// Ends an engine dialog: stores the result for the show operation's caller, closes and
// destroys the window (its records go with it). A window without record is left alone.
void DialogEnd(HWND dialog, int32_t result);

}  // namespace qv
