#include "win32/runtime_thread.h"

#include <memory>
#include <new>

#include "frame.h"
#include "thread_record.h"

namespace qv {

namespace {

struct ThreadStart {
  void (*body)(void*);
  void* argument;
};

DWORD WINAPI RuntimeThreadMain(void* parameter) {
  std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
  LoadFpuControlWord();
  ThreadRecordGet();
  start->body(start->argument);
  ThreadRecordRelease();
  return 0;
}

}  // namespace

HANDLE RuntimeThreadStart(void (*body)(void*), void* argument) {
  std::unique_ptr<ThreadStart> start(new (std::nothrow) ThreadStart{body, argument});
  if (!start) return nullptr;
  HANDLE thread = CreateThread(nullptr, 0, RuntimeThreadMain, start.get(), 0, nullptr);
  if (thread) start.release();  // the thread owns it now
  return thread;
}

}  // namespace qv
