// Room text/: fonts, printing, new line, tab, cells, text sizes and fitting, the clip area, text
// layout, keys, clicks and line input. It uses the surface and drawing rooms.
//
// Text on the thread's target: fonts, printing at the current position with wrapping and
// scrolling, character cells, text measures and the clip area. Every operation has the surface
// frame (nothing and no error without a target). Texts are UTF-16 operands, always consumed;
// sizes come back in the target's user units.
//
// Text options are bits of the record's second flag word (surface_map_point.h): 0x400 a new
// line below the drawing area scrolls it up, 0x2000 wrapping at word boundaries, 0x4000 at any
// character, 0x1000 a clip area is set. Programs set them with the option operations below.
#pragma once

#include <cstdint>

namespace qv {

// Selects FontTable font `number` (0 means 1) into the canvas at its own point size, made on
// first use. A font with escapement or orientation marks text as rotated. A number not in the
// table does nothing; a font that cannot be made or selected raises 5.
void SurfaceSetFont(int32_t number);

// Draws the text at the current position, which moves on past it. With a wrapping mode the
// text is broken to the drawing area's width, at least one character to a line; without one it
// is clipped at the canvas's right edge. A rotated font draws the whole text in one piece.
void SurfacePrint();

// Starts a new line at the left of the drawing area; with 0x400, a line that would leave the
// drawing area scrolls it up instead and the freed band shows the background.
void SurfaceNewLine();

// Moves to the next tab stop: every 14 character widths from the left of the drawing area.
void SurfaceTab();

struct TextCell {
  int32_t column = 0, row = 0;  // 1-based
};
// Current position by character cell of the drawing area; 0 keeps that coordinate.
void SurfaceSetCell(int32_t column, int32_t row);
TextCell SurfaceGetCell();  // 0, 0 without a target

struct UserSize {
  float width = 0, height = 0;
};
UserSize SurfaceTextSize();  // extent of the text operand in the selected font
UserSize SurfaceCharSize();  // average character width, character height
UserSize SurfaceLineSize();  // average character width, line pitch (height + external leading)

// Pops a text and pushes two: the longest leading part that fits `width` user units, then the
// rest (on top). With `word_break` the cut moves back to the last space, which starts the rest
// (a text without a space that fits is cut by characters). Without a target nothing fits.
void SurfaceFitText(float width, int32_t word_break);

// Text options of the target, each a truth value (non-zero: on); the readers give -1 for on
// and 0 for off, or 0 without a target, where the setters do nothing. Word wrap and character
// wrap exclude each other: turning one on turns the other off.
void SurfaceSetScrollOnNewLine(int32_t on);
int32_t SurfaceGetScrollOnNewLine();
void SurfaceSetWordWrap(int32_t on);
int32_t SurfaceGetWordWrap();
void SurfaceSetCharWrap(int32_t on);
int32_t SurfaceGetCharWrap();

// Margins in user units around a clip area of the canvas; each is added to the base margin of
// its side. The drawing area becomes the rest of the canvas, coordinates become plain pixels
// of it (the system in use is kept aside and comes back when the margins are all 0 again) and
// the current position moves to its top-left. Raises 5 without a target, when a margin is
// negative or the margins exceed the canvas, or when the region cannot be made; nothing
// changes then.
void SurfaceSetClip(float left, float top, float right, float bottom);

}  // namespace qv
