// Threads the run-time starts for itself (graphic windows). Each begins the way the start-up
// thread did: floating-point control word 0x133F and a ThreadRecord whose settings and code
// page are copied from the main thread's, released when the thread's work returns.
// They are started through the posix thread library, as a program's std::thread is. A thread of
// the program's own CreateThread that ends at the same moment as one of them does not stop it:
// the cause of the stops once seen there was emulated thread-local storage torn down under the
// loader's lock at the CreateThread thread's end, and the run-time keeps none (platform.h).
#pragma once

#include <windows.h>

namespace qv {

// Runs body(argument) on a new thread. The thread handle (the caller closes it), or null when
// no thread could be started; body does not run then.
HANDLE RuntimeThreadStart(void (*body)(void*), void* argument);

}  // namespace qv
