#include "window_redraw.h"

#include "window_record.h"

namespace qv {

namespace {
constexpr UINT kRedrawNow = RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW;  // 0x185
constexpr int kMaxChain = 64;  // a record loop must not hang the redraw
}  // namespace

void WindowRedraw(HWND window) {
  RedrawWindow(window, nullptr, nullptr, kRedrawNow);
  for (int i = 0; i < kMaxChain; ++i) {
    WindowRecord* record = RecordFind(window);
    if (!record || record->background_colour != kColourNone || !record->parent) return;
    HWND parent = record->parent;
    RECT covered{};
    GetWindowRect(window, &covered);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&covered), 2);
    RedrawWindow(parent, &covered, nullptr, kRedrawNow);
    window = parent;
  }
}

}  // namespace qv
