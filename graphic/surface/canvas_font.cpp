#include "canvas_font.h"

#include <cmath>

namespace qv {

namespace {
constexpr int kCanvasPoints = 8;
}

void CanvasFontUse(WindowRecord& record, int32_t number, HFONT handle) {
  if (!handle || !record.memory_dc) return;
  HGDIOBJ previous = SelectObject(record.memory_dc, handle);
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

void CanvasFontSelect(WindowRecord& record, int32_t number) {
  FontRecord* font = FontTableFind(number);
  if (!font || !record.memory_dc) return;
  if (!font->canvas_font) {
    LOGFONTW face = font->face;
    face.lfHeight = -(GetDeviceCaps(record.memory_dc, LOGPIXELSY) * kCanvasPoints / 72);
    font->canvas_font = CreateFontIndirectW(&face);
  }
  CanvasFontUse(record, number, font->canvas_font);
}

HFONT WindowFontGet(FontRecord& font) {
  if (font.window_font) return font.window_font;
  HDC screen = GetDC(nullptr);
  if (!screen) return nullptr;
  LOGFONTW face = font.face;
  face.lfHeight = -static_cast<LONG>(std::lround(GetDeviceCaps(screen, LOGPIXELSY) * font.point_size / 72.0));
  ReleaseDC(nullptr, screen);
  font.window_font = CreateFontIndirectW(&face);
  return font.window_font;
}

}  // namespace qv
