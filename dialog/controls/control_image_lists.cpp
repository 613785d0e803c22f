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
    default: return false;
  }
}

// How many watched controls hold each handed list.
struct Holders {
  std::mutex mutex;
  std::unordered_map<HIMAGELIST, int> count;

  void Add(HIMAGELIST list) {
    std::lock_guard lock(mutex);
    ++count[list];
  }
  // True when no watched control holds the list any longer.
  bool Drop(HIMAGELIST list) {
    std::lock_guard lock(mutex);
    auto it = count.find(list);
    if (it == count.end()) return true;
    if (--it->second > 0) return false;
    count.erase(it);
    return true;
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

  // After a hand-over went through: `list` is now held there, the one before went back.
  void Handed(UINT message, WPARAM which, HIMAGELIST list) {
    Slot* slot = Find(message, which);
    if (slot && slot->list == list) return;
    if (slot && slot->list) AllHolders().Drop(slot->list);
    if (list) AllHolders().Add(list);
    if (slot)
      slot->list = list;
    else if (list)
      slots.push_back({message, which, list});
  }

  void Release(HWND control) {
    std::vector<Slot> held = std::move(slots);
    slots.clear();
    for (const Slot& s : held) {
      if (!s.list) continue;
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
    watch->Handed(message, wparam, reinterpret_cast<HIMAGELIST>(lparam));
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
  if (kind != kKindToolbar && kind != kKindTreeView && kind != kKindTab) return;
  auto watch = std::make_unique<Watch>(Watch{kind, {}});
  if (SetWindowSubclass(control, WatchProcedure, kWatchId, reinterpret_cast<DWORD_PTR>(watch.get())))
    watch.release();  // the control's WM_NCDESTROY frees it
}

}  // namespace qv
