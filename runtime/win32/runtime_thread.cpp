#include "win32/runtime_thread.h"

#include <pthread.h>

#include <atomic>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

#include "frame.h"
#include "thread_record.h"

namespace qv {

namespace {

// The new thread's work waits until its starter has the handle it hands out (or gave up).
struct ThreadStart {
  void (*body)(void*);
  void* argument;
  std::atomic<int> go{0};  // 1 run, -1 give up
};

void RuntimeThreadMain(std::shared_ptr<ThreadStart> start) {
  while (start->go.load(std::memory_order_acquire) == 0) Sleep(0);
  if (start->go.load() < 0) return;
  LoadFpuControlWord();
  ThreadRecordGet();
  start->body(start->argument);
  ThreadRecordRelease();
}

}  // namespace

// Started through the posix thread library like a program's std::thread (runtime_thread.h).
HANDLE RuntimeThreadStart(void (*body)(void*), void* argument) {
  auto start = std::shared_ptr<ThreadStart>(new (std::nothrow) ThreadStart{body, argument});
  if (!start) return nullptr;
  try {
    std::thread thread(RuntimeThreadMain, start);
    HANDLE own = static_cast<HANDLE>(pthread_gethandle(thread.native_handle()));
    HANDLE handed = nullptr;
    if (!own || !DuplicateHandle(GetCurrentProcess(), own, GetCurrentProcess(), &handed, 0, FALSE,
                                 DUPLICATE_SAME_ACCESS))
      handed = nullptr;
    start->go.store(handed ? 1 : -1, std::memory_order_release);
    thread.detach();
    return handed;
  } catch (const std::system_error&) {
    return nullptr;
  }
}

}  // namespace qv
