#include "canvas_font.h"
#include "error.h"
#include "font_table.h"
#include "surface.h"
#include "surface_text.h"

namespace qv {

void SurfaceSetFont(int32_t number) {
  if (number == 0) number = 1;
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  FontRecord* font = FontTableFind(number);
  if (!font) return SurfaceRelease();
  // Font handles are made under SurfaceLock (canvas_font.h): this one at the entry's own size.
  HFONT handle = WindowFontGet(*font);
  bool selected = false;
  if (handle && record->memory_dc) {
    HGDIOBJ probe = SelectObject(record->memory_dc, handle);
    selected = probe && probe != HGDI_ERROR;
    if (selected) SelectObject(record->memory_dc, probe);
  }
  if (selected) {
    CanvasFontUse(*record, number, handle);
    if (font->face.lfEscapement || font->face.lfOrientation)
      record->flags |= kRotatedFont;
    else
      record->flags &= ~kRotatedFont;
  }
  SurfaceRelease();
  if (!selected) RaiseError(kErrorInvalidArgument);
}

}  // namespace qv
