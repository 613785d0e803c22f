// A program with a scripted main routine for the start-up tests. Its command tail picks what
// main does: "result N" returns N, "zero" raises error 0 and returns the number seen, "fatal N" raises N and would return 3 if still alive,
// "overflow" pushes a sixth operand and "underflow" pops from an empty stack (both return 3 if
// the process survives), "worker" returns 0 while a run-time thread still uses its record and a
// global string (exit code 99 when the thread saw either go before the process ended).
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "error.h"
#include "frame.h"
#include "string_ops.h"
#include "import_hook.h"
#include "text_literal.h"
#include "thread_record.h"
#include "win32/runtime_thread.h"
#include "win32/startup.h"

namespace {

qv::DynString g_kept;
qv::DynString* const g_globals[] = {&g_kept};
std::atomic<bool> g_worker_running{false};

// Uses the run-time's shared state until the process ends it.
void Worker(void*) {
  qv::ThreadRecord* mine = qv::ThreadRecordPeek();
  g_worker_running = true;
  for (;;) {
    if (!mine || qv::ThreadRecordPeek() != mine || g_kept.wide_view() != u"kept") TerminateProcess(GetCurrentProcess(), 99);
    Sleep(1);
  }
}

void(WINAPI* g_exit_process)(UINT) = nullptr;

// The end of the process comes a little later, so that the worker looks after the shutdown.
void WINAPI LateExitProcess(UINT code) {
  Sleep(200);
  g_exit_process(code);
}

int32_t ProbeMain(void*, void*, const char16_t* tail, int32_t) {
  std::u16string command(tail);
  auto number_after = [&](size_t at) { return std::wcstol(reinterpret_cast<const wchar_t*>(command.c_str() + at), nullptr, 10); };
  if (command.rfind(u"result ", 0) == 0) return number_after(7);
  if (command == u"zero") {
    qv::RaiseError(0);
    return qv::ErrorNumber();
  }
  if (command.rfind(u"fatal ", 0) == 0) {
    qv::RaiseError(static_cast<uint32_t>(number_after(6)));
    return 3;
  }
  if (command == u"overflow") {
    static constexpr auto kOperand = qv::Text("x");
    for (int i = 0; i < 6; ++i) qv::PushText(kOperand);
    return 3;
  }
  if (command == u"worker") {
    g_kept = qv::DynString::FromUnits(u"kept");
    static qv::testing::ImportHook hook("kernel32.dll", "ExitProcess", reinterpret_cast<void*>(LateExitProcess));
    g_exit_process = reinterpret_cast<void(WINAPI*)(UINT)>(hook.original());
    if (!hook.installed() || !qv::RuntimeThreadStart(Worker, nullptr)) return 3;
    while (!g_worker_running) Sleep(1);
    return 0;
  }
  if (command == u"underflow") {
    qv::PopDiscard();
    return 3;
  }
  return 0;
}

}  // namespace

int main() {
  qv::Program program;
  program.main_routine = ProbeMain;
  program.globals = g_globals;
  qv::StartUp(program);
}
