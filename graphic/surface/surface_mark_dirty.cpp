#include <algorithm>
#include <cstdint>
#include <utility>

#include "surface.h"
#include "surface_lock.h"
#include "surface_refresh.h"

namespace qv {

namespace {
constexpr uint32_t kBatchSize = 250;
}

void WakeWindowThread(WindowRecord& record) {
  if (record.kind != kKindGraphic) return;
  if (record.idle_signals.fetch_or(kIdleWakePosted, std::memory_order_relaxed) & kIdleWakePosted) return;
  // Posting never waits for the window's thread.
  PostMessageW(record.window(), WM_NULL, 0, 0);
}

void SurfaceMarkDirty(WindowRecord& record, int32_t x1, int32_t y1, int32_t x2, int32_t y2, MarkMode mode) {
  if (x1 >= x2) std::swap(x1, x2);
  if (y1 >= y2) std::swap(y1, y2);
  if (mode == MarkMode::kPen) {
    // Widened in 64 bits: a huge or negative pen width must not overflow the corners.
    const int64_t w = int64_t{static_cast<uint32_t>(record.pen_width) >> 1} + 1;
    auto widen = [](int32_t v, int64_t by) {
      return static_cast<int32_t>(std::clamp<int64_t>(v + by, INT32_MIN, INT32_MAX));
    };
    x1 = widen(x1, -w);
    y1 = widen(y1, -w);
    x2 = widen(x2, w);
    y2 = widen(y2, w);
  } else if (mode == MarkMode::kText && (record.flags & kRotatedFont)) {
    x1 = y1 = 0;
    x2 = record.canvas_width;
    y2 = record.canvas_height;
  }
  if (x1 < 0) x1 = 0;
  if (y1 < 0) y1 = 0;
  // Compared unsigned, as the dirty rectangle is kept.
  uint32_t right = std::min(static_cast<uint32_t>(x2), static_cast<uint32_t>(record.canvas_width));
  uint32_t bottom = std::min(static_cast<uint32_t>(y2), static_cast<uint32_t>(record.canvas_height));

  record.dirty_left = std::min(record.dirty_left, static_cast<uint32_t>(x1));
  record.dirty_top = std::min(record.dirty_top, static_cast<uint32_t>(y1));
  record.dirty_right = std::max(record.dirty_right, right);
  record.dirty_bottom = std::max(record.dirty_bottom, bottom);
  record.flags |= kDirtyPending;
  // A graphic window's loop that found the lock busy asked for this mark to refresh.
  if ((record.idle_signals.load(std::memory_order_relaxed) & kIdleForceRequested) &&
      (record.idle_signals.fetch_and(~kIdleForceRequested, std::memory_order_relaxed) & kIdleForceRequested))
    record.flags |= kForceRefresh;

  bool refresh = false;
  if (record.flags & kDeferRedraw) {
    refresh = false;
  } else if (!(record.flags & kBatchRedraw)) {
    refresh = true;
  } else {
    ++record.batch_count;
    refresh = record.batch_count >= kBatchSize || (record.flags & kForceRefresh);
  }
  HWND update_later = nullptr;
  if (refresh) {
    update_later = SurfaceRefreshLocked(record);
    record.flags &= ~kForceRefresh;
    record.batch_count = 0;
  } else if (!(record.flags & kDeferRedraw)) {
    WakeWindowThread(record);
  }
  SurfaceLock().unlock();
  UpdateAfterRelease(update_later);
}

}  // namespace qv
