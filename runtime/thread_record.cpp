#include "thread_record.h"

#include <cstring>
#include <mutex>

#include "dyn_string.h"
#include "error.h"
#include "frame.h"
#include "platform/platform.h"
#include "runtime_state.h"

namespace qv {

namespace {

// Threads that meet here for the first time make one slot between them.
bool EnsureSlot(RuntimeState& rt) {
  if (rt.tls_allocated.load(std::memory_order_acquire)) return true;
  std::lock_guard hold(rt.tls_lock);
  if (!rt.tls_allocated.load(std::memory_order_relaxed)) {
    uint32_t index = 0;
    if (platform::TlsSlotAlloc(index)) {
      rt.tls_index = index;
      rt.tls_allocated.store(true, std::memory_order_release);
    }
  }
  return rt.tls_allocated.load(std::memory_order_relaxed);
}

// A thread that ends without releasing its record (one the run-time did not start) still gives
// it back as it ends.
const bool g_release_at_thread_end = (platform::ThreadEndAdd(ThreadRecordRelease), true);

}  // namespace

ThreadRecord* ThreadRecordGet() {
  RuntimeState& rt = Runtime();
  if (!EnsureSlot(rt)) return nullptr;
  if (auto* record = static_cast<ThreadRecord*>(platform::TlsSlotGet(rt.tls_index))) return record;

  auto* record = static_cast<ThreadRecord*>(platform::AllocateZeroed(sizeof(ThreadRecord)));
  if (!record) {
    RaiseError(kErrorOutOfMemory);
    return nullptr;
  }
  platform::TlsSlotSet(rt.tls_index, record);
  rt.thread_records.fetch_add(1, std::memory_order_relaxed);
  platform::ThreadEndArm();
  bool inherited = false;
  {
    std::lock_guard hold(rt.main_lock);  // the start-up thread's record is not freed meanwhile
    if (const ThreadRecord* main = rt.main_record) {
      std::memcpy(record->settings, main->settings, sizeof record->settings);
      record->code_page = main->code_page;
      inherited = true;
    }
  }
  if (inherited)
    LoadFpuControlWord();  // a new thread computes like the start-up thread
  else
    std::memcpy(record->settings, kInitialSettings, sizeof record->settings);
  return record;
}

ThreadRecord* ThreadRecordPeek() {
  RuntimeState& rt = Runtime();
  if (!rt.tls_allocated.load(std::memory_order_acquire)) return nullptr;
  return static_cast<ThreadRecord*>(platform::TlsSlotGet(rt.tls_index));
}

void ThreadRecordRelease() {
  RuntimeState& rt = Runtime();
  if (!rt.tls_allocated.load(std::memory_order_acquire)) return;
  auto* record = static_cast<ThreadRecord*>(platform::TlsSlotGet(rt.tls_index));
  if (!record) return;
  void* find = record->find_handle;
  void* kernel = record->kernel_handle;
  record->find_handle = nullptr;
  record->kernel_handle = nullptr;
  platform::CloseThreadHandles(find, kernel);
  for (unsigned char*& slot : record->string_slots) {
    ReleaseBlock(slot);
    slot = nullptr;
  }
  {
    std::lock_guard hold(rt.main_lock);  // no thread copies from it once it is freed
    if (rt.main_record == record) rt.main_record = nullptr;
  }
  platform::FreeZeroed(record);
  platform::TlsSlotSet(rt.tls_index, nullptr);
  rt.thread_records.fetch_sub(1, std::memory_order_relaxed);
}

int32_t ThreadRecordCount() { return Runtime().thread_records.load(std::memory_order_relaxed); }

}  // namespace qv
