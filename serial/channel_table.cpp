#include "channel_table.h"

#include <mutex>

namespace qv {

namespace {

struct ChannelTableState {
  SpinLock open_lock;
  SpinLock table_lock;
  ChannelRecordPtr head;
  int16_t issued = 0;
};

ChannelTableState& State() {
  static ChannelTableState state;
  return state;
}

}  // namespace

SpinLock& OpenLock() { return State().open_lock; }
SpinLock& ChannelTableLock() { return State().table_lock; }

ChannelRef& ChannelRef::operator=(ChannelRef&& other) noexcept {
  if (this != &other) {
    Release();
    record_ = other.record_;
    other.record_ = nullptr;
  }
  return *this;
}

void ChannelRef::Release() {
  // The last touch of the record: a close waiting for the pins may free it right after.
  if (record_) record_->users.fetch_sub(1, std::memory_order_release);
  record_ = nullptr;
}

ChannelRef ChannelFind(ChannelNumber number) {
  std::lock_guard lock(State().table_lock);
  for (ChannelRecord* r = State().head.get(); r; r = r->next.get()) {
    if (r->number != number) continue;
    // Pinned under the lock: a close cannot take the record out in between.
    r->users.fetch_add(1, std::memory_order_acquire);
    return ChannelRef(r);
  }
  return ChannelRef();
}

ChannelNumber ChannelNextFree() {
  ChannelTableState& state = State();
  std::lock_guard lock(state.open_lock);
  // With every number from 1 to 32767 open there is none to give: -1, which no open accepts.
  for (int tries = 0; tries < INT16_MAX; ++tries) {
    state.issued = state.issued == INT16_MAX ? int16_t{1} : int16_t(state.issued + 1);
    if (!ChannelFind(state.issued)) return state.issued;
  }
  return -1;
}

void ChannelTableInsert(ChannelRecordPtr record) {
  std::lock_guard lock(State().table_lock);
  record->next = std::move(State().head);
  State().head = std::move(record);
}

ChannelRecordPtr ChannelTableTake(ChannelNumber number, uint16_t class_mask, bool& refused) {
  refused = false;
  std::lock_guard lock(State().table_lock);
  for (ChannelRecordPtr* link = &State().head; *link; link = &(*link)->next) {
    if ((*link)->number != number) continue;
    if (class_mask != 0 && !((*link)->mode_class & class_mask)) {
      refused = true;
      return nullptr;
    }
    ChannelRecordPtr found = std::move(*link);
    *link = std::move(found->next);
    return found;
  }
  return nullptr;
}

std::vector<ChannelNumber> ChannelTableNumbers() {
  std::vector<ChannelNumber> numbers;
  std::lock_guard lock(State().table_lock);
  for (ChannelRecord* r = State().head.get(); r; r = r->next.get()) numbers.push_back(r->number);
  return numbers;
}

ChannelRecordPtr ChannelTableRemoveFirst() {
  std::lock_guard lock(State().table_lock);
  ChannelRecordPtr first = std::move(State().head);
  if (first) State().head = std::move(first->next);
  return first;
}

}  // namespace qv
