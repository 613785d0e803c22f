// The runner's own lines: `memory W H`, `load "file.bmp" [W H]` and `window W H "title"` make
// a target (named with `as NAME`), `target NAME` switches to a named surface and `save
// "file.bmp"` writes the target's canvas.
#include <windows.h>

#include "memory_surface.h"
#include "script_operations.h"
#include "string_ops.h"
#include "surface_attach.h"
#include "surface_window.h"

namespace qv::script {

namespace {

void Become(HANDLE surface, Outcome& outcome) {
  SurfaceAttach(surface, 0, 0);  // identifier 0: a memory surface itself, a window's canvas
  outcome.made = Surface{surface};
}

// Which file the name stands for now (0 when none): a save moves a new file over the name.
uint64_t FileIdentity(const std::wstring& name) {
  HANDLE file = CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  BY_HANDLE_FILE_INFORMATION info{};
  uint64_t identity = GetFileInformationByHandle(file, &info)
                          ? (uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow) + 1
                          : 0;
  CloseHandle(file);
  return identity;
}

}  // namespace

void RunMemory(Context&, const Args& args, Outcome& outcome) {
  int32_t width = I(args, 0), height = I(args, 1);
  if (HANDLE surface = MemorySurfaceCreate(width, height)) Become(surface, outcome);
  else outcome.error = "no memory surface of " + std::to_string(width) + " x " + std::to_string(height);
}

void RunLoad(Context&, const Args& args, Outcome& outcome) {
  PushArgumentText(args[0].units);
  if (HANDLE surface = MemorySurfaceLoad(I(args, 0), I(args, 1), 0)) Become(surface, outcome);
  else outcome.error = "could not load " + args[0].text;
}

void RunWindow(Context& context, const Args& args, Outcome& outcome) {
  constexpr int32_t kLeft = 40, kTop = 40, kDefaultStyle = 0, kFont = 1, kOptions = 0;
  int32_t width = I(args, 0), height = I(args, 1);
  PushArgumentText(args[2].units);
  HWND frame = width > 0 && height > 0
                   ? SurfaceWindowOpenThreaded(kLeft, kTop, width, height, kDefaultStyle, kFont, kOptions)
                   : (PopDiscard(), nullptr);
  if (!frame) {
    outcome.error = "no graphic window of " + std::to_string(width) + " x " + std::to_string(height);
    return;
  }
  context.KeepWindow(frame);
  Become(frame, outcome);
}

void RunTarget(Context& context, const Args& args, Outcome&) {
  // A destroyed or closed surface is not found: error 5, and the thread is without a target.
  SurfaceAttach(S(context, args, 0), 0, 0);
}

void RunSave(Context&, const Args& args, Outcome& outcome) {
  std::wstring name(args[0].units.begin(), args[0].units.end());
  // The save raises no error and leaves an old file as it was when it fails: a new file under
  // the name tells that it worked.
  uint64_t before = FileIdentity(name);
  PushArgumentText(args[0].units);
  SurfaceSaveBitmap();
  uint64_t after = FileIdentity(name);
  if (after == 0 || after == before) outcome.error = "could not save " + args[0].text;
}

}  // namespace qv::script
