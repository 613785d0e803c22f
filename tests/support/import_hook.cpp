#include "import_hook.h"

#include <windows.h>

#include <cstring>

namespace qv::testing {

namespace {

void** FindSlot(const char* module, void* target) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!directory.VirtualAddress) return nullptr;
  for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); entry->Name;
       ++entry) {
    if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), module) != 0) continue;
    for (auto* thunk = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk); thunk->u1.Function; ++thunk)
      if (reinterpret_cast<void*>(thunk->u1.Function) == target) return reinterpret_cast<void**>(&thunk->u1.Function);
  }
  return nullptr;
}

void Store(void** slot, void* value) {
  DWORD old = 0;
  VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
  *slot = value;
  VirtualProtect(slot, sizeof *slot, old, &old);
}

}  // namespace

ImportHook::ImportHook(const char* module, const char* function, void* replacement) {
  HMODULE library = GetModuleHandleA(module);
  void* target = library ? reinterpret_cast<void*>(GetProcAddress(library, function)) : nullptr;
  if (!target) return;
  slot_ = FindSlot(module, target);
  if (!slot_) return;
  original_ = *slot_;
  Store(slot_, replacement);
}

ImportHook::~ImportHook() {
  if (slot_) Store(slot_, original_);
}

}  // namespace qv::testing
