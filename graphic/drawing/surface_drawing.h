// Room drawing/: user coordinates and their mapping, the shapes, pixels, mix and stretch modes,
// copies, image files, memory surfaces, bitmap files, DC and DPI. It uses the surface room and the
// portable core.
//
// Drawing on the thread's target in user coordinates. Every operation has the surface frame:
// without a target it does nothing and raises no error; it draws into the canvas and marks
// what it drew (refreshing by the target's rule), or releases the lock when nothing changed.
// Points are float32 user units; a non-zero `relative` makes a point relative to the current
// position. Colours are 0x00BBGGRR; -1 = the foreground colour, -2 = none. A fill is a fill
// colour (-1: the line colour, -2: hollow) and a fill style (0 solid, 1-6 hatches, above 6: 0).
// With inclusive end points (SurfaceSetInclusiveEnds) lines and outlines also cover their last
// pixel and boxes their right and bottom edge.
//
// The current position is the record's (current_x, current_y). SurfaceSetPixel sets only that
// (moving the DC's own position as well would add a third to its cost), so an operation that
// draws from the memory DC's position (LineTo, text with TA_UPDATECP) moves the DC there first.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

// Inclusive end points of the target: non-zero turns them on; the reader gives -1 for on and 0
// for off, or 0 without a target, where the setter does nothing. SurfaceScale takes them into
// account when it is called, so set them first.
void SurfaceSetInclusiveEnds(int32_t on);
int32_t SurfaceGetInclusiveEnds();

// Sets the user coordinate system so that (x1, y1) and (x2, y2) are the corners of the
// drawing area (a flipped axis when the first is the larger); nothing when x1 = x2 or y1 = y2.
void SurfaceScale(float x1, float y1, float x2, float y2);

void SurfaceMoveTo(float x, float y, int32_t relative);

// Line from the current position with the target's pen; the end becomes the current position.
void SurfaceLineTo(float x, float y, int32_t relative, int32_t colour);

// Box with rounded corners: `corner` is the corner size in percent of the smaller side (0 a
// plain rectangle, above 100 is 100); 0x80000000 draws the inscribed ellipse.
void SurfaceBox(float x1, float y1, float x2, float y2, int32_t corner, int32_t colour, int32_t fill_colour,
                int32_t fill_style);

// Options of SurfaceArc and SurfaceFloodFill.
enum ShapeOptions : int32_t { kRelativePoint = 1, kArcPie = 2, kFloodSurface = 4 };

// Arc of the ellipse in the bounding box from the start to the end angle (radians,
// counter-clockwise); with kArcPie a filled pie.
void SurfaceArc(float x1, float y1, float x2, float y2, float start_angle, float end_angle, int32_t colour,
                int32_t fill_colour, int32_t fill_style, int32_t options);

// The point list is the top operand (a block: 32-bit count, then float32 x, y pairs) and is
// always consumed. 2-1024 points, else nothing is drawn; a block shorter than its count claims
// draws nothing. Fill mode flag 0: winding, non-zero: alternate.
void SurfacePolygon(int32_t colour, int32_t fill_colour, int32_t fill_style, int32_t alternate);
void SurfacePolyline(int32_t colour);

// Fills from the point: up to the edge colour (-1: the fill colour), or with kFloodSurface
// the area of the edge colour. A fill colour of -2 draws nothing.
void SurfaceFloodFill(float x, float y, int32_t options, int32_t fill_colour, int32_t fill_style,
                      int32_t edge_colour);

void SurfaceSetPixel(float x, float y, int32_t relative, int32_t colour);
// The pixel's colour; -1 outside the canvas or without a target.
int32_t SurfaceGetPixel(float x, float y, int32_t relative);

// Mix mode of lines and fills: R2_BLACK (1) ... R2_WHITE (16); 0 and above 16 are R2_COPYPEN.
void SurfaceSetMix(int32_t mix);
int32_t SurfaceGetMix();  // 0 without a target

void SurfaceSetStretchMode(int32_t mode);
int32_t SurfaceGetStretchMode();  // 0 without a target

// The target's canvas DC, or 0. Drawing into it bypasses the surface lock and the marks.
HDC SurfaceGetDC();

struct Dpi {
  int32_t x = 0, y = 0;
};
Dpi SurfaceGetDpi();  // 0, 0 without a target

}  // namespace qv
