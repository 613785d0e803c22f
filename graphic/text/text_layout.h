// The text operations' shared steps, used with SurfaceLock held on a record that has a canvas.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <climits>
#include <cstdint>
#include <string_view>

#include "window_record.h"

namespace qv {

// Union of what one operation drew, for its single mark; empty until something is added.
struct DirtyBox {
  int32_t left = INT32_MAX, top = INT32_MAX, right = INT32_MIN, bottom = INT32_MIN;
  bool empty() const { return left > right; }
  void Add(int32_t l, int32_t t, int32_t r, int32_t b) {
    left = std::min(left, l);
    top = std::min(top, t);
    right = std::max(right, r);
    bottom = std::max(bottom, b);
  }
};

enum class WrapMode { kNone, kWords, kCharacters };
WrapMode WrapModeOf(const WindowRecord& record);

// How many units of `text` go on the current line when the first `fit` of them fit. Words: the
// cut moves back to the last space after the first unit that fits (or stands just past the
// fitting part), so the space starts the next line's part. A line start takes at least one
// character; elsewhere 0 means "start a new line first". Never cuts a surrogate pair apart.
size_t WrapCut(std::u16string_view text, size_t fit, WrapMode mode, bool line_start);

// a + b kept inside the 32-bit range: positions far down or right stay defined.
inline int32_t AddClamped(int32_t a, int64_t b) {
  return static_cast<int32_t>(std::clamp<int64_t>(int64_t{a} + b, INT32_MIN, INT32_MAX));
}

// SurfaceNewLine's step; adds the drawing area to `drawn` when it scrolled.
void NewLineLocked(WindowRecord& record, DirtyBox& drawn);

// SurfacePrint's step: draws `text` from the current position by the record's wrapping rule
// and adds what it covered to `drawn`.
void PrintLocked(WindowRecord& record, std::u16string_view text, DirtyBox& drawn);

// Ends an operation that drew `drawn`: a text mark, or the lock released when nothing was drawn.
void MarkText(WindowRecord& record, const DirtyBox& drawn);

// Extent of a text in the record's canvas font; 0, 0 without a canvas.
SIZE TextExtent(const WindowRecord& record, std::u16string_view text);

// How many leading units of `text` fit `width` pixels in the canvas font.
size_t FittingUnits(const WindowRecord& record, std::u16string_view text, int32_t width);

}  // namespace qv
