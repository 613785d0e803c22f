#pragma once

#include <windows.h>

#include <cstdint>

#include "dialog_callback.h"

namespace qv {

// Hands the callback WM_INITDIALOG and WM_SIZE while the dialog is hidden, shows it and runs
// the message loop until the window is gone. `result` (may be null) receives DialogEnd's result.
void DialogShowModal(HWND dialog, DialogCallback callback, int32_t* result);

// The same opening, then shows the dialog and returns; the program pumps its messages.
void DialogShowModeless(HWND dialog, DialogCallback callback, int32_t* result);

// Takes and dispatches one message of the thread (or sleeps 1 ms when there is none) and
// returns the number of open dialogs.
int32_t DialogPumpOnce();

}  // namespace qv
