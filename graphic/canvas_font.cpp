#include "canvas_font.h"

#include "font_table.h"

namespace qv {

namespace {
constexpr int kCanvasPoints = 8;
}

void CanvasFontSelect(WindowRecord& record, int32_t number) {
  FontRecord* font = FontTableFind(number);
  if (!font || !record.memory_dc) return;
  if (!font->canvas_font) {
    LOGFONTW face = font->face;
    face.lfHeight = -(GetDeviceCaps(record.memory_dc, LOGPIXELSY) * kCanvasPoints / 72);
    font->canvas_font = CreateFontIndirectW(&face);
    if (!font->canvas_font) return;
  }
  CanvasFontUse(record, number, font->canvas_font);
}

void CanvasFontUse(WindowRecord& record, int32_t number, HFONT font) {
  if (!record.memory_dc) return;
  HGDIOBJ previous = SelectObject(record.memory_dc, font);
  if (!previous || previous == HGDI_ERROR) return;
  // The font the canvas had at first is the one given back at teardown.
  if (!record.previous_font) record.previous_font = static_cast<HFONT>(previous);
  FontTableRetain(number);
  if (record.font_number) FontTableRelease(record.font_number);
  record.font_number = number;
  TEXTMETRICW metrics{};
  if (GetTextMetricsW(record.memory_dc, &metrics)) {
    record.char_width = metrics.tmAveCharWidth;
    record.line_height = metrics.tmHeight;
    record.line_gap = metrics.tmExternalLeading;
  }
  SetTextAlign(record.memory_dc, TA_UPDATECP);
}

}  // namespace qv
