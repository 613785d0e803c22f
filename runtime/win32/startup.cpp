#include "win32/startup.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <mutex>

#include "command_tail.h"
#include "frame.h"
#include "platform/platform.h"
#include "runtime_state.h"
#include "string_ops.h"
#include "thread_record.h"

namespace qv {

namespace {

constexpr UINT kRefusalStyle = MB_TASKMODAL | MB_SETFOREGROUND;  // 0x12000
constexpr int32_t kShowDefault = SW_SHOWDEFAULT;                   // 10

// GetVersionExA is deprecated in the headers but is the check the start-up is defined by.
bool IsNtPlatform(RuntimeState& rt) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;  // 148
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExA(&version);
#pragma GCC diagnostic pop
  rt.version_platform_id = version.dwPlatformId;
  rt.version_major = version.dwMajorVersion;
  rt.version_minor = version.dwMinorVersion;
  rt.version_build = version.dwBuildNumber;
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

}  // namespace

void StartUp(const Program& program) {
  static_assert(sizeof(OSVERSIONINFOA) == 148);
  RuntimeState& rt = Runtime();
  rt.main_record = nullptr;
  rt.initialised = true;

  if (!IsNtPlatform(rt)) {
    MessageBoxA(nullptr, "Win98 No Support", nullptr, kRefusalStyle);
    ExitProcess(255);
  }

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  rt.show_window = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : kShowDefault;

  rt.command_line = reinterpret_cast<const char16_t*>(GetCommandLineW());
  rt.command_tail = LocateCommandTail(rt.command_line);
  rt.module = GetModuleHandleW(nullptr);

  ThreadRecord* main = ThreadRecordGet();  // makes the thread-record slot as well
  if (!main) ExitProcess(255);
  for (int i = 0; i < 4; ++i) main->settings[i] = kInitialSettings[i];
  main->code_page = 0;
  {
    std::lock_guard hold(rt.main_lock);
    rt.main_record = main;
  }

  CoInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof controls, rt.common_control_classes};
  if (controls.dwICC) InitCommonControlsEx(&controls);

  rt.build_flags = program.build_flags;
  rt.globals = program.globals;
  LoadFpuControlWord();
  if ((rt.build_flags & kBuildCreateDefaultFonts) && program.create_default_fonts)
    program.create_default_fonts();

  int32_t result = 0;
  {
    ProcedureFrame top_level;
    if (program.main_routine)
      result = program.main_routine(rt.module, nullptr, rt.command_tail, rt.show_window);
  }
  ShutDown(result);
}

void ShutDown(int32_t result) {
  // The process-wide kernel and directory-search handles are never opened by this program.
  // Threads that still use the run-time (graphic windows, a program's own threads) keep its
  // shared state, the globals and the thread-record slot, until the process ends them all.
  RuntimeState& rt = Runtime();
  bool alone = ThreadRecordCount() <= (ThreadRecordPeek() ? 1 : 0);
  if (alone) ReleaseGlobals();
  ThreadRecordRelease();
  if (alone && rt.tls_allocated) {
    platform::TlsSlotFree(rt.tls_index);
    rt.tls_allocated = false;
  }
  CoUninitialize();
  platform::ExitProcessNow(static_cast<uint32_t>(result));
}

}  // namespace qv
