#include "dialog_settings.h"
#include "window_record.h"

namespace qv {

void DialogSetAccelerators(HWND dialog, std::span<const ACCEL> entries) {
  WindowRecord* record = RecordFind(dialog);
  if (!record || !IsWindow(dialog)) return;
  HACCEL previous = record->accelerators;
  record->accelerators = nullptr;
  if (previous) DestroyAcceleratorTable(previous);
  if (!entries.empty())
    record->accelerators =
        CreateAcceleratorTableW(const_cast<ACCEL*>(entries.data()), static_cast<int>(entries.size()));
}

}  // namespace qv
