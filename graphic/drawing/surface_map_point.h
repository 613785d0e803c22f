// User coordinates of a surface record: the record's origin, scale, flips, drawing area and
// current position as the portable UserSpace, and SurfaceMapPoint over it. Called with
// SurfaceLock held (the record's fields are guarded by it).
#pragma once

#include <cstdint>

#include "user_space.h"
#include "window_record.h"

namespace qv {

// Bits of the record's second flag word (close_block) for text and drawing options.
enum DrawingOptions : uint32_t {
  kScrollOnNewLine = 0x400,  // a new line below the drawing area scrolls it up
  kClipAreaSet = 0x1000,
  kWrapAtWords = 0x2000,
  kWrapAnywhere = 0x4000,
  kInclusiveEnds = 0x8000,  // lines cover their last pixel, boxes their right and bottom edge
};

// The option operations' steps: on the target, under SurfaceLock from reading the word to
// storing it. Turning `bit` on turns `excluded` off; off touches only `bit`. Without a target
// the setter does nothing and the reader answers 0; else -1 for on, 0 for off.
void DrawingOptionSet(uint32_t bit, uint32_t excluded, int32_t on);
int32_t DrawingOptionGet(uint32_t bit);

UserSpace UserSpaceOf(const WindowRecord& record);

// Stores origin, scale and flips of `space` into the record (the drawing area and the current
// position stay the record's own).
void UserSpaceStore(WindowRecord& record, const UserSpace& space);

// A point in the record's user coordinates as a canvas pixel (see MapUserPoint).
PixelPoint SurfaceMapPoint(const WindowRecord& record, float x, float y, bool relative);

inline bool InclusiveEnds(const WindowRecord& record) { return (record.close_block & kInclusiveEnds) != 0; }

}  // namespace qv
