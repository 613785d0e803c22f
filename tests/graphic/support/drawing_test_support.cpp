#include "drawing_test_support.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "draw_target.h"
#include "dyn_string.h"
#include "error.h"
#include "memory_surface.h"
#include "string_ops.h"
#include "surface_attach.h"
#include "surface_clear.h"
#include "surface_pixels.h"

namespace qv::testing {

size_t Canvas::Count(int32_t colour) const {
  return static_cast<size_t>(std::count(colours.begin(), colours.end(), colour));
}

Canvas Snapshot() {
  SurfaceReadPixels();
  DynString pixels = PopText();
  Canvas canvas;
  if (pixels.bytes() < kPixelHeaderBytes) return canvas;
  std::memcpy(&canvas.width, pixels.data(), 4);
  std::memcpy(&canvas.height, pixels.data() + 4, 4);
  canvas.colours.resize(static_cast<size_t>(canvas.width) * canvas.height);
  for (size_t i = 0; i < canvas.colours.size(); ++i) {
    const unsigned char* p = pixels.data() + kPixelHeaderBytes + 4 * i;  // blue, green, red
    canvas.colours[i] = p[0] << 16 | p[1] << 8 | p[2];
  }
  return canvas;
}

HangWatch::HangWatch(const std::string& what, DWORD bound_ms)
    : done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), what_(what), bound_ms_(bound_ms) {
  thread_ = CreateThread(
      nullptr, 0,
      [](void* self) -> DWORD {
        auto* watch = static_cast<HangWatch*>(self);
        if (WaitForSingleObject(watch->done_, watch->bound_ms_) == WAIT_OBJECT_0) return 0;
        std::fprintf(stderr, "FAILED: %s did not end within %lu ms (a hang)\n", watch->what_.c_str(),
                     static_cast<unsigned long>(watch->bound_ms_));
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
        return 0;
      },
      this, 0, nullptr);
}

HangWatch::~HangWatch() {
  SetEvent(done_);
  if (thread_) {
    WaitForSingleObject(thread_, 10000);  // it ends as soon as it sees the event
    CloseHandle(thread_);
  }
  CloseHandle(done_);
}

void MemoryCanvas::Make(int32_t width, int32_t height) {
  if (surface_) DestroySurface(surface_);
  surface_ = MemorySurfaceCreate(width, height);
  ASSERT_NE(surface_, nullptr);
  SurfaceAttach(surface_, 0, 0);
  SurfaceClear(kWhite, 0);
  ErrorClear();
}

void MemoryCanvas::TearDown() {
  if (surface_) DestroySurface(surface_);
  surface_ = nullptr;
}

void PushPoints(uint32_t count, const std::vector<float>& coordinates) {
  std::string block(4 + coordinates.size() * 4, '\0');
  std::memcpy(block.data(), &count, 4);
  if (!coordinates.empty()) std::memcpy(block.data() + 4, coordinates.data(), coordinates.size() * 4);
  PushOwned(DynString::FromBytes(block));
}

HANDLE FilledSurface(int32_t width, int32_t height, int32_t colour) {
  HANDLE previous = DrawTargetGet();
  HANDLE surface = MemorySurfaceCreate(width, height);
  SurfaceAttach(surface, 0, 0);
  SurfaceClear(colour, 0);
  DrawTargetSet(previous);
  return surface;
}

void DestroySurface(HANDLE surface) {
  HANDLE previous = DrawTargetGet();
  SurfaceAttach(surface, 0, 0);
  MemorySurfaceDestroy();
  if (previous != surface) DrawTargetSet(previous);
}

void PushWide(const std::wstring& text) {
  PushOwned(DynString::FromUnits(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size())));
}

std::wstring ScratchDirectory() {
  // Process numbers come round again: the time of the first call makes the name this run's.
  static const std::wstring directory = [] {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    std::wstring d = std::wstring(base) + L"qv_drawing_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                     std::to_wstring(GetTickCount64());
    CreateDirectoryW(d.c_str(), nullptr);
    return d;
  }();
  return directory;
}

std::string FileBytes(const std::wstring& name) {
  HANDLE file = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  std::string bytes;
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

void WriteBytes(const std::wstring& name, const std::string& bytes) {
  HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  if (file == INVALID_HANDLE_VALUE) return;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace qv::testing
