#include "control_image_lists.h"

#include <commctrl.h>

#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "window_record.h"

namespace qv {

namespace {

constexpr UINT_PTR kWatchId = 0x5156494C;  // the subclass's id on the control

bool IsSetMessage(int32_t kind, UINT message) {
  switch (kind) {
    case kKindToolbar:
      return message == TB_SETIMAGELIST || message == TB_SETHOTIMAGELIST || message == TB_SETDISABLEDIMAGELIST;
    case kKindTreeView: return message == TVM_SETIMAGELIST;
    case kKindTab: return message == TCM_SETIMAGELIST;
    case kKindListView: return message == LVM_SETIMAGELIST;
    default: return false;
  }
}

// Whether the engine frees what this slot holds when the control goes (the teardown rule).
bool NamedSlot(int32_t kind, WPARAM which) {
  switch (kind) {
    case kKindToolbar: return which == 0;
    case kKindTreeView: return which == TVSIL_NORMAL;
    case kKindTab: return true;
    default: return false;
  }
}

// The handed lists the engine may free: how many watched slots hold each, and whether it is
// the engine's to free at all.
struct Holders {
  struct Entry {
    int count = 0;
    bool named = false;    // held by a slot the teardown rule names
    bool foreign = false;  // handed to a list view that destroys its lists itself
  };
  std::mutex mutex;
  std::unordered_map<HIMAGELIST, Entry> lists;

  void Add(HIMAGELIST list, bool named, bool foreign) {
    std::lock_guard lock(mutex);
    Entry& entry = lists[list];
    ++entry.count;
    entry.named |= named;
    entry.foreign |= foreign;
  }
  // True when the list is now the engine's to free: no watched slot holds it any longer, a named
  // one did, and no list view took it over.
  bool Drop(HIMAGELIST list) {
    std::lock_guard lock(mutex);
    auto it = lists.find(list);
    if (it == lists.end()) return false;
    if (--it->second.count > 0) return false;
    Entry entry = it->second;
    lists.erase(it);
    return entry.named && !entry.foreign;
  }
  // A list view that destroys its lists itself took it over: never the engine's to free again.
  void Foreign(HIMAGELIST list) {
    std::lock_guard lock(mutex);
    auto it = lists.find(list);
    if (it != lists.end()) it->second.foreign = true;
  }
};

Holders& AllHolders() {
  static Holders holders;
  return holders;
}

struct Slot {
  UINT set_message;
  WPARAM which;
  HIMAGELIST list;  // handed by the program and held by the control
};

struct Watch {
  int32_t kind;
  std::vector<Slot> slots;

  Slot* Find(UINT message, WPARAM which) {
    for (Slot& s : slots)
      if (s.set_message == message && s.which == which) return &s;
    return nullptr;
  }

  // A list view without LVS_SHAREIMAGELISTS destroys the lists it holds when it goes.
  bool DestroysItsLists(HWND control) const {
    return kind == kKindListView && !(GetWindowLongW(control, GWL_STYLE) & LVS_SHAREIMAGELISTS);
  }

  // After a hand-over went through: `list` is now held there, the one before went back.
  void Handed(HWND control, UINT message, WPARAM which, HIMAGELIST list) {
    Slot* slot = Find(message, which);
    if (slot && slot->list == list) return;
    if (slot && slot->list) AllHolders().Drop(slot->list);  // back to the program with the answer
    if (list) AllHolders().Add(list, NamedSlot(kind, which), DestroysItsLists(control));
    if (slot)
      slot->list = list;
    else if (list)
      slots.push_back({message, which, list});
  }

  void Release(HWND control) {
    std::vector<Slot> held = std::move(slots);
    slots.clear();
    bool destroys = DestroysItsLists(control);
    for (const Slot& s : held) {
      if (!s.list) continue;
      if (kind == kKindListView) {
        if (destroys) AllHolders().Foreign(s.list);  // the list view frees it now, after this
        if (AllHolders().Drop(s.list) && !destroys) ImageList_Destroy(s.list);
        continue;
      }
      auto out = reinterpret_cast<HIMAGELIST>(DefSubclassProc(control, s.set_message, s.which, 0));
      if (out != s.list) {
        // Not the handed list (the control changed it itself): it stays the control's.
        DefSubclassProc(control, s.set_message, s.which, reinterpret_cast<LPARAM>(out));
        AllHolders().Drop(s.list);
        continue;
      }
      if (AllHolders().Drop(s.list)) ImageList_Destroy(s.list);
    }
  }
};

LRESULT CALLBACK WatchProcedure(HWND control, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                DWORD_PTR data) {
  Watch* watch = reinterpret_cast<Watch*>(data);
  if (IsSetMessage(watch->kind, message)) {
    LRESULT answer = DefSubclassProc(control, message, wparam, lparam);
    watch->Handed(control, message, wparam, reinterpret_cast<HIMAGELIST>(lparam));
    return answer;
  }
  if (message == WM_DESTROY) watch->Release(control);
  if (message == WM_NCDESTROY) {
    std::unique_ptr<Watch> owned(watch);
    RemoveWindowSubclass(control, WatchProcedure, kWatchId);
  }
  return DefSubclassProc(control, message, wparam, lparam);
}

}  // namespace

void ControlImageListsWatch(HWND control, int32_t kind) {
  if (kind != kKindToolbar && kind != kKindTreeView && kind != kKindTab && kind != kKindListView) return;
  auto watch = std::make_unique<Watch>(Watch{kind, {}});
  if (SetWindowSubclass(control, WatchProcedure, kWatchId, reinterpret_cast<DWORD_PTR>(watch.get())))
    watch.release();  // the control's WM_NCDESTROY frees it
}

}  // namespace qv
