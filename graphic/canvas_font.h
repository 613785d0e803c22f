#pragma once

#include <windows.h>

#include <cstdint>

#include "window_record.h"

namespace qv {

// Selects FontTable font `number` into a canvas at 8 points (made on first use), counts one
// more user of it, reads its metrics and sets TA_UPDATECP. A font that cannot be made or
// selected leaves the canvas with the font it has.
void CanvasFontSelect(WindowRecord& record, int32_t number);

// The same with a font handle made from entry `number` by someone else (the dialog engine's
// control font, at the entry's own point size).
void CanvasFontUse(WindowRecord& record, int32_t number, HFONT font);

}  // namespace qv
