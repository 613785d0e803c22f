#include <algorithm>

#include "canvas_create.h"
#include "surface.h"
#include "surface_lock.h"
#include "scroll_area.h"

namespace qv {

namespace {

enum Auxiliary { kHorizontalBar = 0, kVerticalBar = 1, kFiller = 2 };

HWND MakeChild(HWND parent, const wchar_t* window_class, DWORD style) {
  return CreateWindowExW(0, window_class, nullptr, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent, nullptr,
                         reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
}

// Where the bars go and what they show, worked out under SurfaceLock and applied after it.
struct BarLayout {
  HWND bars[3] = {};
  int32_t view_width = 0, view_height = 0, view_x = 0, view_y = 0;
  int32_t canvas_width = 0, canvas_height = 0;
  int bar_width = 0, bar_height = 0;
};

// The view takes the client area less the bars and stays inside the canvas. With SurfaceLock
// held, on the window's thread.
BarLayout LayOut(WindowRecord& record) {
  BarLayout layout;
  if (!record.auxiliary[kHorizontalBar] || !record.auxiliary[kVerticalBar]) return layout;
  std::copy(std::begin(record.auxiliary), std::end(record.auxiliary), layout.bars);
  RECT client{};
  GetClientRect(record.window(), &client);
  layout.bar_width = GetSystemMetrics(SM_CXVSCROLL);
  layout.bar_height = GetSystemMetrics(SM_CYHSCROLL);
  record.view_width = std::max<int32_t>(0, client.right - layout.bar_width);
  record.view_height = std::max<int32_t>(0, client.bottom - layout.bar_height);
  record.view_x = std::clamp(record.view_x, 0, std::max(0, record.canvas_width - record.view_width));
  record.view_y = std::clamp(record.view_y, 0, std::max(0, record.canvas_height - record.view_height));
  layout.view_width = record.view_width;
  layout.view_height = record.view_height;
  layout.view_x = record.view_x;
  layout.view_y = record.view_y;
  layout.canvas_width = record.canvas_width;
  layout.canvas_height = record.canvas_height;
  return layout;
}

// Moves and sets the bars once SurfaceLock is free: both may paint.
void Place(const BarLayout& layout) {
  const HWND* bars = layout.bars;
  if (!bars[kHorizontalBar] || !bars[kVerticalBar]) return;
  MoveWindow(bars[kHorizontalBar], 0, layout.view_height, layout.view_width, layout.bar_height, TRUE);
  MoveWindow(bars[kVerticalBar], layout.view_width, 0, layout.bar_width, layout.view_height, TRUE);
  if (bars[kFiller])
    MoveWindow(bars[kFiller], layout.view_width, layout.view_height, layout.bar_width, layout.bar_height, TRUE);
  SCROLLINFO across{sizeof across, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0,
                    std::max(0, layout.canvas_width - 1), static_cast<UINT>(layout.view_width), layout.view_x, 0};
  SetScrollInfo(bars[kHorizontalBar], SB_CTL, &across, TRUE);
  SCROLLINFO down{sizeof down, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0,
                  std::max(0, layout.canvas_height - 1), static_cast<UINT>(layout.view_height), layout.view_y, 0};
  SetScrollInfo(bars[kVerticalBar], SB_CTL, &down, TRUE);
}

}  // namespace

void ScrollViewSized(HWND window) {
  ScrollBarsUpdate(window);
}

void ScrollBarsUpdate(HWND window) {
  if (SurfaceLock().held_by_caller()) {  // inside a surface operation of this thread: after it
    SurfaceLock().after_release([window] { ScrollBarsUpdate(window); });
    return;
  }
  // The flag word changes under the lock on drawing threads, so even the first look takes it.
  SurfaceLock().lock_serving();
  WindowRecord* record = RecordFind(window);
  BarLayout layout;
  if (record && record->kind == kKindGraphic && (record->flags & kScrollView)) {
    layout = LayOut(*record);
    InvalidateRect(window, nullptr, FALSE);  // the view's size or origin may have changed
  }
  SurfaceLock().unlock();
  Place(layout);
}

LRESULT ScrollAreaMake(HWND window, WPARAM width, LPARAM height) {
  if (SurfaceLock().held_by_caller()) return 0;
  int32_t w = static_cast<int32_t>(width), h = static_cast<int32_t>(height);
  // Only this thread changes its windows' records, so the first look needs no lock; the bars
  // are made before it is taken (making windows runs messages).
  WindowRecord* record = RecordFind(window);
  if (!record || record->kind != kKindGraphic || !record->memory_dc || w <= 0 || h <= 0) return 0;
  HWND made[3] = {};
  if (!record->auxiliary[kHorizontalBar]) {
    // The bars are children of the surface window, so their scroll messages come to it.
    made[kHorizontalBar] = MakeChild(window, L"SCROLLBAR", SBS_HORZ);
    made[kVerticalBar] = MakeChild(window, L"SCROLLBAR", SBS_VERT);
    made[kFiller] = MakeChild(window, L"STATIC", 0);
    SetWindowLongPtrW(window, GWL_STYLE, GetWindowLongPtrW(window, GWL_STYLE) | WS_CLIPCHILDREN);
  }
  SurfaceLock().lock_serving();
  record = RecordFind(window);
  if (!record) {
    SurfaceLock().unlock();
    return 0;
  }
  for (int i = 0; i < 3; ++i)
    if (made[i]) record->auxiliary[i] = made[i];
  record->flags = (record->flags | kScrollView) & ~kStretchView;
  RecreateCanvas(*record, w, h);
  BarLayout layout = LayOut(*record);
  record->flags |= kForceRefresh;
  SurfaceMarkDirty(*record, 0, 0, record->canvas_width, record->canvas_height);  // releases the lock
  Place(layout);
  return 0;
}

}  // namespace qv
