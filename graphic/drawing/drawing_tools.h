// Pens, brushes and sources shared by the drawing operations. All are used with SurfaceLock
// held, inside one operation; every object made is deleted when its holder goes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "box_geometry.h"
#include "dyn_string.h"
#include "user_space.h"
#include "window_record.h"

namespace qv {

// Deletes the GDI object it holds (stock objects are not affected by DeleteObject).
class GdiObject {
 public:
  explicit GdiObject(HGDIOBJ object = nullptr) : object_(object) {}
  ~GdiObject() {
    if (object_) DeleteObject(object_);
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  HGDIOBJ get() const { return object_; }
  void reset(HGDIOBJ object) {
    if (object_) DeleteObject(object_);
    object_ = object;
  }

 private:
  HGDIOBJ object_;
};

// Selects an object into a DC and puts the previous one back when it goes. Declare it after
// the GdiObject it selects, so the object is deselected before it is deleted.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
  ~Selection() {
    if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A memory DC compatible with another, deleted when it goes.
class ScratchDC {
 public:
  explicit ScratchDC(HDC like) : dc_(CreateCompatibleDC(like)) {}
  ~ScratchDC() {
    if (dc_) DeleteDC(dc_);
  }
  ScratchDC(const ScratchDC&) = delete;
  ScratchDC& operator=(const ScratchDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// A line colour: -1 the record's foreground; other values as given (-2 stays "none").
int32_t LineColour(const WindowRecord& record, int32_t colour);

// A fill colour: -1 the line colour; -2 hollow; others as given.
inline int32_t FillColour(int32_t fill, int32_t line_colour) { return fill == kColourSystem ? line_colour : fill; }

// The record's pen (style, width) in a line colour; colour -2 is the stock null pen.
HGDIOBJ MakeLinePen(const WindowRecord& record, int32_t line_colour);

// Fills rows of pixel spans with a brush in the DC's mix mode (PaintSpans).
void FillSpans(HDC dc, const std::vector<Span>& spans, HBRUSH brush);

// Draws a shape given as spans: the inside with the fill brush (none: hollow), the outline in
// a solid brush of the line colour (-2: none).
void DrawShapeSpans(HDC dc, const ShapeSpans& spans, HBRUSH fill, int32_t line_colour);

// The pen width as a size in pixels (its magnitude), and whether the platform's pen of that
// width can draw in bounded time.
int64_t PenExtent(const WindowRecord& record);
bool PenWithinReach(const WindowRecord& record);

// Whether the platform's pen draws lines through these points (closed: back to the first) in
// bounded time: a pen of one pixel always (the platform cuts its lines to the canvas), a wider
// one within reach of the canvas and while the platform's work stays within its budget.
bool LinesWithinReach(const WindowRecord& record, const std::vector<PixelPoint>& points, bool closed = false);

// The surface record of (window, control identifier) as SurfaceAttach finds it, or null.
WindowRecord* SourceSurface(HANDLE window, int32_t id);

// The two ends of a block copy: the target with SurfaceLock held and the source surface of
// (window, control identifier). Both null, with the lock free again, when there is no target,
// the target has no canvas or the source is not a surface.
struct CopyEnds {
  WindowRecord* target = nullptr;
  WindowRecord* source = nullptr;
};
CopyEnds AcquireCopyEnds(HANDLE window, int32_t id);

// A point-list shape's target with SurfaceLock held and the list operand's points mapped on
// it (absolute). The operand is always consumed. A null target, with the lock free again, when
// there is no target, it has no canvas, or the operand is not a list of 2-1024 points that its
// block really holds.
struct PointsTarget {
  WindowRecord* target = nullptr;
  std::vector<PixelPoint> points;
};
PointsTarget AcquireWithPoints();

std::vector<POINT> PlatformPoints(const std::vector<PixelPoint>& points);

// The width of the inclusive pixel span a..b (b - a + 1), or 0 when it is empty or does not
// fit 32 bits.
int32_t SpanOf(int32_t a, int32_t b);

// One side of an inclusive rectangle from a to b as the platform's stretches take it: origin a
// and |b - a| + 1 pixels; given backwards (b before a) the extent is negative, and the platform
// covers a down to b, mirrored. Empty (0, 0) when the extent does not fit 32 bits.
struct Side {
  int32_t origin = 0, extent = 0;
  int32_t low() const { return extent < 0 ? origin + extent + 1 : origin; }  // the first pixel
  int32_t pixels() const { return extent < 0 ? -extent : extent; }
};
Side SideOf(int32_t a, int32_t b);

// A coordinate for SurfaceMarkDirty, which widens marks by the pen: far values are brought in
// to where the widening cannot overflow (the mark is cut to the canvas anyway).
int32_t MarkCoordinate(int32_t v);

}  // namespace qv
