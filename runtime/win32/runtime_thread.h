// Threads the run-time starts for itself (graphic windows). Each begins the way the start-up
// thread did: floating-point control word 0x133F and a ThreadRecord whose settings and code
// page are copied from the main thread's, released when the thread's work returns.
//
// Seen under Wine: a thread started here and a thread of the posix thread library (a program's
// std::thread) that end at the same moment can stop each other for good in their ends (one
// waits in the loader's lock). Waiting for one to end before letting the other end avoids it;
// the run-time itself does not yet.
#pragma once

#include <windows.h>

namespace qv {

// Runs body(argument) on a new thread. The thread handle (the caller closes it), or null when
// no thread could be started; body does not run then.
HANDLE RuntimeThreadStart(void (*body)(void*), void* argument);

}  // namespace qv
