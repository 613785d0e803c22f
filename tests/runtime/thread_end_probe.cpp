// Threads that end at the same moment: rounds of two threads released together by one event,
// each given 2 s to end. Arguments: the number of rounds, then the pairs to try (default all):
//   mixed       a CreateThread thread that used the run-time, and a run-time thread
//   mixed-plain a CreateThread thread that did not use the run-time, and a run-time thread
//   mixed-tls   a CreateThread thread that only used a thread_local int, and a run-time thread
//   create      two CreateThread threads that used the run-time
//   library     two run-time threads
// Prints one line per pair. A pair that does not end in time leaves the process unable to end
// normally (the stuck thread may hold the loader's lock), so the probe then ends itself at once
// with exit code 10 + the pair's number; 0 when every round of every pair ended.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "thread_record.h"
#include "win32/runtime_thread.h"

namespace {

constexpr DWORD kEndPatienceMs = 2000;

enum Use { kNothing, kRuntime, kThreadLocal };

thread_local int t_touched = 0;

struct Round {
  HANDLE go = nullptr;
  Use use = kNothing;
};

void WaitAndEnd(Round* round) {
  if (round->use == kRuntime) qv::ThreadRecordGet();  // its record goes back at the thread's end
  if (round->use == kThreadLocal) ++t_touched;
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // a message queue, as window threads have
  WaitForSingleObject(round->go, INFINITE);
}

DWORD WINAPI CreatedThread(void* argument) {
  WaitAndEnd(static_cast<Round*>(argument));
  return 0;
}

void LibraryThread(void* argument) { WaitAndEnd(static_cast<Round*>(argument)); }

HANDLE Start(bool created, Round* round) {
  return created ? CreateThread(nullptr, 0, CreatedThread, round, 0, nullptr)
                 : qv::RuntimeThreadStart(LibraryThread, round);
}

struct Pair {
  const char* name;
  bool first_created;
  Use first_use;
  bool second_created;
};

const Pair kPairs[] = {
    {"mixed", true, kRuntime, false},
    {"mixed-plain", true, kNothing, false},
    {"mixed-tls", true, kThreadLocal, false},
    {"create", true, kRuntime, true},
    {"library", false, kRuntime, false},
};

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? std::atoi(argv[1]) : 1000;
  for (int p = 0; p < static_cast<int>(sizeof kPairs / sizeof kPairs[0]); ++p) {
    const Pair& pair = kPairs[p];
    bool wanted = argc <= 2;
    for (int a = 2; a < argc; ++a) wanted |= std::strcmp(argv[a], pair.name) == 0;
    if (!wanted) continue;
    for (int r = 0; r < rounds; ++r) {
      Round first{CreateEventW(nullptr, TRUE, FALSE, nullptr), pair.first_use};
      Round second{first.go, kRuntime};
      HANDLE threads[2] = {Start(pair.first_created, &first), Start(pair.second_created, &second)};
      if (!threads[0] || !threads[1]) {
        std::printf("%s: round %d: a thread could not be started\n", pair.name, r);
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 3);
      }
      Sleep(1);
      SetEvent(first.go);
      for (int t = 0; t < 2; ++t) {
        if (WaitForSingleObject(threads[t], kEndPatienceMs) == WAIT_OBJECT_0) continue;
        std::printf("%s: round %d: the %s thread did not end within %lu ms\n", pair.name, r,
                    t == 0 ? (pair.first_created ? "CreateThread" : "run-time") : (pair.second_created ? "CreateThread" : "run-time"),
                    kEndPatienceMs);
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), static_cast<UINT>(10 + p));
      }
      CloseHandle(threads[0]);
      CloseHandle(threads[1]);
      CloseHandle(first.go);
    }
    std::printf("%s: %d rounds, every thread ended in time\n", pair.name, rounds);
    std::fflush(stdout);
  }
  return 0;
}
