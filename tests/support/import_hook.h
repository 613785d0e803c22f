// Replaces, for a scope, one platform function as the test program calls it: its entry in the
// program's import table. The run-time is linked into the program, so its calls go through it.
#pragma once

namespace qv::testing {

class ImportHook {
 public:
  ImportHook(const char* module, const char* function, void* replacement);
  ~ImportHook();
  ImportHook(const ImportHook&) = delete;
  ImportHook& operator=(const ImportHook&) = delete;

  bool installed() const { return slot_ != nullptr; }
  void* original() const { return original_; }

 private:
  void** slot_ = nullptr;
  void* original_ = nullptr;
};

}  // namespace qv::testing
