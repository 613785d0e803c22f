// The list behind the record operations; only the dialog engine's own files see it.
#pragma once

#include "window_record.h"
#include "spin_lock.h"

namespace qv {

struct RecordList {
  WindowRecord* head = nullptr;
  SpinLock lock;
  int32_t live = 0;

  // Both with the lock held.
  WindowRecord* FindLocked(HANDLE handle) const;
  bool UnlinkLocked(WindowRecord* record);
  // Brush sharing (brush_sharing.h): another record's brush for the colour; whether any record
  // other than `except` holds the brush.
  HBRUSH SharedBrushLocked(int32_t colour, const WindowRecord* except) const;
  bool BrushHeldLocked(HBRUSH brush, const WindowRecord* except) const;
};

RecordList& Records();

}  // namespace qv
