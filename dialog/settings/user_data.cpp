#include <mutex>

#include "dialog_settings.h"
#include "record_list.h"

namespace qv {

namespace {
size_t Slot(int32_t index) { return static_cast<size_t>(static_cast<uint32_t>(index - 1) & 7); }
}  // namespace

int32_t UserDataGet(HWND window, int32_t index) {
  RecordList& list = Records();
  std::lock_guard hold(list.lock);
  const WindowRecord* record = list.FindLocked(window);
  return record ? record->user_values[Slot(index)] : 0;
}

void UserDataSet(HWND window, int32_t index, int32_t value) {
  RecordList& list = Records();
  std::lock_guard hold(list.lock);
  if (WindowRecord* record = list.FindLocked(window)) record->user_values[Slot(index)] = value;
}

}  // namespace qv
