#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

// Bit of a dialog record's second flag word (beside the close block): the dialog is being ended.
constexpr uint32_t kDialogEnding = 0x2;

// Ends an engine dialog: stores the result for the show operation's caller, closes and
// destroys the window (its records go with it). A window without record, or one that is being
// ended already, is left alone.
void DialogEnd(HWND dialog, int32_t result);

}  // namespace qv
