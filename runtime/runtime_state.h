#pragma once

#include <atomic>
#include <cstdint>
#include <span>

#include "spin_lock.h"

namespace qv {

class DynString;
struct ThreadRecord;

// Common-control classes registered at start (list views, tree views, bars, tabs, progress,
// hot keys, pagers, native font control, standard classes).
constexpr uint32_t kCommonControlClasses = 0x706F;

// The run-time's process-wide state, one block, reset at start.
struct RuntimeState {
  // The thread-record slot: made once, by the first thread that needs it, under tls_lock;
  // tls_index is valid once tls_allocated reads true.
  uint32_t tls_index = 0;
  std::atomic<bool> tls_allocated{false};
  SpinLock tls_lock;
  // The start-up thread's record, whose settings new threads copy. main_lock guards the pointer
  // and the copy from it: ShutDown frees that record while other threads may still start.
  ThreadRecord* main_record = nullptr;
  SpinLock main_lock;
  std::atomic<int32_t> thread_records{0};  // live ThreadRecords of all threads

  const char16_t* command_line = nullptr;
  const char16_t* command_tail = nullptr;  // fixed at start, never changed
  int32_t show_window = 10;
  void* module = nullptr;
  bool initialised = false;

  uint32_t version_platform_id = 0;
  uint32_t version_major = 0, version_minor = 0, version_build = 0;

  YieldingSpinLock api_lock;  // serialises guarded platform calls, which may block

  // The program's global string variables, released at shutdown.
  std::span<DynString* const> globals;

  uint32_t build_flags = 0;
  uint32_t common_control_classes = kCommonControlClasses;
  uint8_t table_ff[64];

  RuntimeState();
};

RuntimeState& Runtime();

}  // namespace qv
