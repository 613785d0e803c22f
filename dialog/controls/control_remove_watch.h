// How a kill reaches a control from another thread. Only a window's own thread can destroy it,
// so ControlKill sends the control itself a request, and a watch that ControlAdd puts on every
// control it makes runs the removal there. The request waits for no answer: it runs whenever
// the control's thread next looks at its messages, in any loop or serving wait, whatever window
// (an engine dialog, a graphic window's frame, a group) the control sits in.
#pragma once

#include <windows.h>

namespace qv {

// The request's message number, registered for the run-time: no message of a program is ever
// taken for it. 0 when it could not be registered (then no request is sent).
UINT ControlRemoveRequestMessage();

// Starts watching a freshly created control for the request (on the control's thread).
void ControlRemoveWatch(HWND control);

}  // namespace qv
