#include "channel_table.h"

#include <mutex>

#include "error.h"

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

ChannelRecord* ChannelFind(ChannelNumber number) {
  std::lock_guard lock(State().table_lock);
  for (ChannelRecord* r = State().head.get(); r; r = r->next.get())
    if (r->number == number) return r;
  return nullptr;
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

ChannelRecordPtr ChannelTableRemove(ChannelRecord* record) {
  {
    std::lock_guard lock(State().table_lock);
    for (ChannelRecordPtr* link = &State().head; *link; link = &(*link)->next) {
      if (link->get() != record) continue;
      ChannelRecordPtr found = std::move(*link);
      *link = std::move(found->next);
      return found;
    }
  }
  RaiseError(kErrorFatalChannelTable);  // does not return
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
