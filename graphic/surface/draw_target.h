// DrawTarget: the surface that the calling thread's drawing operations address, kept as a
// handle (a graphic control's window or a memory surface's bitmap), 0 = none. A target whose
// window has gone is simply not found by the next operation.
#pragma once

#include <windows.h>

namespace qv {

HANDLE DrawTargetGet();
void DrawTargetSet(HANDLE target);

}  // namespace qv
