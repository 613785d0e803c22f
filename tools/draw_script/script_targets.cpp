// The runner's own lines: `window W H "title"` opens a graphic window on a thread of its own
// and `memory W H` makes a memory surface, either becoming the target; `save "file.bmp"`
// writes the target's canvas. A new kind of target is one more function and one more row.
#include <windows.h>

#include "dyn_string.h"
#include "memory_surface.h"
#include "script_operations.h"
#include "string_ops.h"
#include "surface_attach.h"
#include "surface_window.h"

namespace qv::script {

namespace {

bool Shape(const Line& line, const char* kinds, Outcome& outcome) {
  Operation shape{line.name.c_str(), kinds, nullptr};
  outcome.error = CheckArguments(shape, line.args);
  outcome.malformed = !outcome.error.empty();
  return !outcome.malformed;
}

void Memory(const Line& line, Outcome& outcome) {
  if (!Shape(line, "II", outcome)) return;
  int32_t width = line.args[0].integer, height = line.args[1].integer;
  HANDLE surface = MemorySurfaceCreate(width, height);
  if (!surface) {
    outcome.error = "no memory surface of " + std::to_string(width) + " x " + std::to_string(height);
    return;
  }
  SurfaceAttach(surface, 0, 0);
}

void Window(const Line& line, Outcome& outcome) {
  constexpr int32_t kLeft = 40, kTop = 40, kDefaultStyle = 0, kFont = 1, kOptions = 0;
  if (!Shape(line, "IIT", outcome)) return;
  int32_t width = line.args[0].integer, height = line.args[1].integer;
  std::wstring title = Wide(line.args[2].text);
  PushOwned(DynString::FromUnits(std::u16string_view(reinterpret_cast<const char16_t*>(title.data()), title.size())));
  HWND frame = width > 0 && height > 0
                   ? SurfaceWindowOpenThreaded(kLeft, kTop, width, height, kDefaultStyle, kFont, kOptions)
                   : (PopDiscard(), nullptr);
  if (!frame) {
    outcome.error = "no graphic window of " + std::to_string(width) + " x " + std::to_string(height);
    return;
  }
  SurfaceAttach(frame, 0, 0);  // identifier 0: the window's canvas
  outcome.window = frame;
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

void Save(const Line& line, Outcome& outcome) {
  if (!Shape(line, "T", outcome)) return;
  std::wstring name = Wide(line.args[0].text);
  // The save raises no error and leaves an old file as it was when it fails: a new file under
  // the name tells that it worked.
  uint64_t before = FileIdentity(name);
  PushOwned(DynString::FromUnits(std::u16string_view(reinterpret_cast<const char16_t*>(name.data()), name.size())));
  SurfaceSaveBitmap();
  uint64_t after = FileIdentity(name);
  if (after == 0 || after == before) outcome.error = "could not save " + line.args[0].text;
}

struct TargetLine {
  const char* name;
  void (*run)(const Line& line, Outcome& outcome);
};

const TargetLine kTargetLines[] = {
    {"window", Window},
    {"memory", Memory},
    {"save", Save},
};

}  // namespace

bool RunTargetLine(const Line& line, Outcome& outcome) {
  for (const TargetLine& target : kTargetLines)
    if (line.name == target.name) {
      target.run(line, outcome);
      return true;
    }
  return false;
}

}  // namespace qv::script
