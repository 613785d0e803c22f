// A wait for another thread that never blocks without bound: between looks it runs the messages
// other threads send to the caller (posted messages and input stay queued for the caller's own
// loop), and it gives up when the bound passes.
#pragma once

#include <windows.h>

#include <functional>

namespace qv {

// True as soon as `done` answers true; false when `bound_ms` passed first.
bool ServedWaitUntil(const std::function<bool()>& done, DWORD bound_ms);

}  // namespace qv
