#include "thread_record.h"

#include <cstring>

#include "dyn_string.h"
#include "error.h"
#include "platform/platform.h"
#include "runtime_state.h"

namespace qv {

namespace {

bool EnsureSlot(RuntimeState& rt) {
  if (!rt.tls_allocated) rt.tls_allocated = platform::TlsSlotAlloc(rt.tls_index);
  return rt.tls_allocated;
}

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
  if (const ThreadRecord* main = rt.main_record) {
    std::memcpy(record->settings, main->settings, sizeof record->settings);
    record->code_page = main->code_page;
  } else {
    std::memcpy(record->settings, kInitialSettings, sizeof record->settings);
  }
  return record;
}

ThreadRecord* ThreadRecordPeek() {
  RuntimeState& rt = Runtime();
  return rt.tls_allocated ? static_cast<ThreadRecord*>(platform::TlsSlotGet(rt.tls_index)) : nullptr;
}

void ThreadRecordRelease() {
  RuntimeState& rt = Runtime();
  if (!rt.tls_allocated) return;
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
  if (rt.main_record == record) rt.main_record = nullptr;
  platform::FreeZeroed(record);
  platform::TlsSlotSet(rt.tls_index, nullptr);
}

}  // namespace qv
