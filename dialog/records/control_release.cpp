#include "control_release.h"

#include <vector>

#include "window_record.h"

namespace qv {

namespace {
constexpr int kMaxDepth = 64;  // a parent loop in the records must not hang the walk

void ReleaseOf(HWND parent, int depth) {
  if (depth >= kMaxDepth) return;
  // Handles first: giving a font back sends a message, and that may run program code.
  std::vector<HWND> controls;
  for (WindowRecord* r = NextRecordOf(parent, nullptr); r; r = NextRecordOf(parent, r))
    if (r->flags & kFlagControl) controls.push_back(r->window());
  for (HWND control : controls) {
    ReleaseOf(control, depth + 1);
    ControlResourcesRelease(control);
  }
}
}  // namespace

void ControlsReleaseOf(HWND parent) { ReleaseOf(parent, 0); }

void ControlRemove(HWND control) {
  // While the window exists: its image lists and the font it had are given back to it.
  ControlsReleaseOf(control);
  ControlResourcesRelease(control);
  DestroyWindow(control);
  RecordDestroy(control);
}

}  // namespace qv
