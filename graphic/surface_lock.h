// SurfaceLock: one process-wide lock over all surface operations. A waiting thread sleeps 0 ms
// between tries; the lock is not re-entrant and does not know its owner.
#pragma once

#include <windows.h>

#include "spin_lock.h"

namespace qv {

struct SleepZero {
  void operator()() const { Sleep(0); }
};

using SurfaceLockWord = BasicSpinLock<SleepZero>;

SurfaceLockWord& SurfaceLock();

}  // namespace qv
