#include <algorithm>

#include "canvas_create.h"
#include "surface.h"
#include "surface_lock.h"
#include "surface_window.h"
#include "surface_window_ops.h"

namespace qv {

namespace {

enum Auxiliary { kHorizontalBar = 0, kVerticalBar = 1, kFiller = 2 };

HWND MakeChild(HWND parent, const wchar_t* window_class, DWORD style) {
  return CreateWindowExW(0, window_class, nullptr, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent, nullptr,
                         reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
}

}  // namespace

void ScrollBarsUpdate(WindowRecord& record) {
  HWND window = record.window();
  HWND* bars = record.auxiliary;
  if (!bars[kHorizontalBar] || !bars[kVerticalBar]) return;
  RECT client{};
  GetClientRect(window, &client);
  int bar_width = GetSystemMetrics(SM_CXVSCROLL), bar_height = GetSystemMetrics(SM_CYHSCROLL);
  record.view_width = std::max<int32_t>(0, client.right - bar_width);
  record.view_height = std::max<int32_t>(0, client.bottom - bar_height);
  record.view_x = std::clamp(record.view_x, 0, std::max(0, record.canvas_width - record.view_width));
  record.view_y = std::clamp(record.view_y, 0, std::max(0, record.canvas_height - record.view_height));
  // Moving and setting the bars waits for the window's thread: only there, not from a drawing
  // thread holding the lock. The bars' next scroll message brings them up to date otherwise.
  if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return;
  MoveWindow(bars[kHorizontalBar], 0, record.view_height, record.view_width, bar_height, TRUE);
  MoveWindow(bars[kVerticalBar], record.view_width, 0, bar_width, record.view_height, TRUE);
  if (bars[kFiller]) MoveWindow(bars[kFiller], record.view_width, record.view_height, bar_width, bar_height, TRUE);
  SCROLLINFO across{sizeof across, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0,
                    std::max(0, record.canvas_width - 1), static_cast<UINT>(record.view_width), record.view_x, 0};
  SetScrollInfo(bars[kHorizontalBar], SB_CTL, &across, TRUE);
  SCROLLINFO down{sizeof down, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0,
                  std::max(0, record.canvas_height - 1), static_cast<UINT>(record.view_height), record.view_y, 0};
  SetScrollInfo(bars[kVerticalBar], SB_CTL, &down, TRUE);
}

void ScrollViewSized(HWND window) {
  // A resize from inside a surface operation of this thread (SurfaceResize) already holds it.
  bool take = !SurfaceLock().held_by_caller();
  if (take) SurfaceLock().lock_serving();
  WindowRecord* record = RecordFind(window);
  if (record && record->kind == kKindGraphic && (record->flags & kScrollView)) {
    ScrollBarsUpdate(*record);
    InvalidateRect(window, nullptr, FALSE);  // the view's size or origin may have changed
  }
  if (take) SurfaceLock().unlock();
}

LRESULT ScrollAreaMake(HWND window, WPARAM width, LPARAM height) {
  if (SurfaceLock().held_by_caller()) return 0;
  int32_t w = static_cast<int32_t>(width), h = static_cast<int32_t>(height);
  SurfaceLock().lock_serving();
  WindowRecord* record = RecordFind(window);
  if (!record || record->kind != kKindGraphic || !record->memory_dc || w <= 0 || h <= 0) {
    SurfaceLock().unlock();
    return 0;
  }
  if (!(record->flags & kScrollView)) {
    // The bars are children of the surface window, so their scroll messages come to it.
    record->auxiliary[kHorizontalBar] = MakeChild(window, L"SCROLLBAR", SBS_HORZ);
    record->auxiliary[kVerticalBar] = MakeChild(window, L"SCROLLBAR", SBS_VERT);
    record->auxiliary[kFiller] = MakeChild(window, L"STATIC", 0);
    SetWindowLongPtrW(window, GWL_STYLE, GetWindowLongPtrW(window, GWL_STYLE) | WS_CLIPCHILDREN);
  }
  record->flags = (record->flags | kScrollView) & ~kStretchView;
  RecreateCanvas(*record, w, h);
  ScrollBarsUpdate(*record);
  record->flags |= kForceRefresh;
  SurfaceMarkDirty(*record, 0, 0, record->canvas_width, record->canvas_height);  // releases the lock
  return 0;
}

void SurfaceScrollView(int32_t width, int32_t height) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  if (record->kind != kKindGraphic || width <= 0 || height <= 0) return SurfaceRelease();
  SurfaceWindowSend(*record, kCanvasScrollArea, static_cast<WPARAM>(width), height);
}

}  // namespace qv
