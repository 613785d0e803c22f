#include "dialog_units.h"

#include <mutex>

#include "record_list.h"

namespace qv {

namespace {
constexpr int kMaxDepth = 64;  // a parent loop in the records must not hang the walk
constexpr int64_t kProbe = 1024;

int32_t Divide(int64_t numerator, int64_t divisor) {
  int64_t quotient = numerator / divisor, remainder = numerator % divisor;
  if (remainder < 0) return static_cast<int32_t>(quotient - 1);
  if (2 * remainder >= divisor) ++quotient;
  return static_cast<int32_t>(quotient);
}
}  // namespace

HWND ReferenceDialog(HWND window) {
  RecordList& list = Records();
  std::lock_guard hold(list.lock);
  HANDLE at = window;
  for (int i = 0; i < kMaxDepth && at; ++i) {
    const WindowRecord* record = list.FindLocked(at);
    if (!record) return nullptr;
    if (record->flags & kFlagDialog) return record->window();
    at = record->parent;
  }
  return nullptr;
}

bool UsesDialogUnits(HWND window) {
  RecordList& list = Records();
  std::lock_guard hold(list.lock);
  const WindowRecord* record = list.FindLocked(window);
  return record && (record->flags & kFlagDialogUnits);
}

UnitPair UnitsToPixels(HWND window, UnitPair units) {
  HWND dialog = ReferenceDialog(window);
  RECT r{0, 0, units.x, units.y};
  if (!dialog || !MapDialogRect(dialog, &r)) return {};
  return {r.right, r.bottom};
}

UnitPair PixelsToUnits(HWND window, UnitPair pixels) {
  HWND dialog = ReferenceDialog(window);
  RECT r{0, 0, kProbe, kProbe};
  if (!dialog || !MapDialogRect(dialog, &r) || r.right <= 0 || r.bottom <= 0) return {};
  return {Divide(int64_t{pixels.x} * kProbe, r.right), Divide(int64_t{pixels.y} * kProbe, r.bottom)};
}

}  // namespace qv
