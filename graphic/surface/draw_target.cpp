#include "draw_target.h"

#include "thread_record.h"

namespace qv {

HANDLE DrawTargetGet() {
  ThreadRecord* thread = ThreadRecordGet();
  return thread ? thread->graphic_target : nullptr;
}

void DrawTargetSet(HANDLE target) {
  if (ThreadRecord* thread = ThreadRecordGet()) thread->graphic_target = target;
}

}  // namespace qv
