#pragma once

#include <windows.h>

#include <cstdint>

#include "font_table.h"
#include "window_record.h"

namespace qv {

// The font handles of FontTable entries are made on first use under SurfaceLock, so two
// threads setting up surfaces at once make one handle, not two.

// Selects FontTable font `number` into a canvas at 8 points (made on first use), counts one
// more user of it, reads its metrics and sets TA_UPDATECP. A font that cannot be made or
// selected leaves the canvas with the font it has.
void CanvasFontSelect(WindowRecord& record, int32_t number);

// The entry's handle at its own point size on the screen (height -(LOGPIXELSY x points / 72),
// rounded), made on first use; null when it cannot be made.
HFONT WindowFontGet(FontRecord& font);

// Selects `handle`, made from entry `number`, into the canvas as CanvasFontSelect does.
void CanvasFontUse(WindowRecord& record, int32_t number, HFONT handle);

}  // namespace qv
