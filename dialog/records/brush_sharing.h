// Brush sharing between window records: one solid brush per colour, held by every record whose
// background colour (background brush) or back colour (graphic brush) is that colour.
//
// A brush is only ever taken from a record, and stored into a record, while the record list's
// lock is held, in one and the same hold. So a brush that no linked record holds can never be
// picked up again: whoever removes a holder (by unlinking the record or by exchanging the
// brush out of it) asks, in that same hold, whether any other record still holds it; if none
// does, it alone deletes it, after letting the lock go. Asking in a later hold would let two
// parties that each removed a holder meanwhile both find none and both delete it. Brushes are made with the lock free (no platform call under the lock); a brush
// made while another thread stored one for the same colour is deleted again unused.
#pragma once

#include <windows.h>

#include <cstdint>

#include "window_record.h"

namespace qv {

// Whether any linked record other than `except` holds the brush.
bool BrushInUse(HBRUSH brush, const WindowRecord* except = nullptr);

// Gives the record of `handle` the text colour, the background colour and a brush for it (none
// for a negative background) in one step, and releases the brush it had. A colour whose brush
// cannot be made is stored as the system colour (-1). False when the handle has no record.
bool RecordColoursExchange(HANDLE handle, int32_t text_colour, int32_t background_colour);

// The same for a surface's back colour: the graphic brush becomes one of `paint` (0x00BBGGRR),
// the stored back colour `back_colour`. The record keeps its own brush when it already paints
// that colour. False when the handle has no record.
bool RecordGraphicBrushExchange(HANDLE handle, COLORREF paint, int32_t back_colour);

}  // namespace qv
