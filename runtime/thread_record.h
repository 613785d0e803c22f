#pragma once

#include <cstdint>

namespace qv {

// Per-thread run-time state, one per thread that used the run-time, found through a
// thread-local slot.
struct ThreadRecord {
  void* find_handle;       // closed at thread exit
  void* kernel_handle;     // closed at thread exit
  uint32_t error_guard;
  uintptr_t statement_start;
  uintptr_t statement_end;
  void* graphic_target;    // this thread's drawing target
  unsigned char* string_slots[6];
  int32_t settings[4];     // dialog and graphic settings; start values 1, 1, 2, 3
  uint32_t code_page;      // conversion code page of byte text; 0 = system ANSI code page
};

constexpr int32_t kInitialSettings[4] = {1, 1, 2, 3};

// The calling thread's record, created on first use (copying settings and code page from the
// main thread's record). Null, with error 7, when it cannot be allocated. A thread that gets
// its record here also gets the floating-point control word 0x133F, and the record is released
// when the thread ends if the thread has not released it itself.
ThreadRecord* ThreadRecordGet();

// The calling thread's record if it has one; never creates it.
ThreadRecord* ThreadRecordPeek();

// Releases the calling thread's record (at thread exit); nothing when it has none.
void ThreadRecordRelease();

// Thread records alive in the process.
int32_t ThreadRecordCount();

}  // namespace qv
