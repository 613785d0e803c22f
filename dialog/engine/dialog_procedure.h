// Room engine/: dialogs from in-memory templates (create, template, show and the modal loop, the
// dialog and tab page procedures, colour messages, messages, end, text, dialog units, redraw and
// the seam the graphic surfaces connect). It uses the records and the run-time.
//
// DialogProcedure: every message of an engine dialog passes here. It offers the message to
// the callback of the control concerned and to the dialog's callback, and does the engine's
// own work when neither answers.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "dialog_callback.h"

namespace qv {

INT_PTR CALLBACK DialogProcedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// The window procedure put on tab controls: keeps their page dialogs on the display area.
LRESULT CALLBACK TabPageProcedure(HWND tab, UINT message, WPARAM wparam, LPARAM lparam);

// Calls the callback (if any) with the procedure's own arguments. A non-zero answer ends the
// procedure with that answer, which is also stored as the dialog's message result when that
// is still 0; nullopt lets the procedure go on.
std::optional<INT_PTR> CallbackStep(DialogCallback callback, HWND dialog, UINT message, WPARAM wparam,
                                    LPARAM lparam);

// Stores an answer as the message result (when that is still 0) and returns it.
INT_PTR MessageResult(HWND dialog, INT_PTR answer);

// WM_CTLCOLORMSGBOX to WM_CTLCOLORSTATIC: the colours of the control's record.
INT_PTR ControlColourResolve(HWND dialog, UINT message, HDC dc, HWND control);

// The callback stored in a window's record, or null.
DialogCallback RecordCallback(HWND window);
// The kind of a window's record, or -1 when it has none.
int32_t RecordKind(HWND window);

}  // namespace qv
