// A memory surface as the thread's target for drawing tests, cleared to white, and snapshots
// of its canvas read back with SurfaceReadPixels as 0x00BBGGRR colours.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qv::testing {

constexpr int32_t kWhite = 0x00FFFFFF, kBlack = 0, kRed = 0x000000FF, kGreen = 0x0000FF00, kBlue = 0x00FF0000;

struct Canvas {
  int32_t width = 0, height = 0;
  std::vector<int32_t> colours;  // top row first
  int32_t At(int32_t x, int32_t y) const { return colours[static_cast<size_t>(y) * width + x]; }
  size_t Count(int32_t colour) const;
};

// The target's canvas now (empty without a target).
Canvas Snapshot();

class MemoryCanvas : public ::testing::Test {
 protected:
  void SetUp() override { Make(100, 100); }
  void TearDown() override;
  // Replaces the surface with a new one of the size, attached and cleared to white.
  void Make(int32_t width, int32_t height);

  HANDLE surface_ = nullptr;
};

// Pushes a point-list block (count, then x, y pairs as float32) as an owned operand.
void PushPoints(uint32_t count, const std::vector<float>& coordinates);

// A memory surface of the size filled with one colour, not attached; the caller destroys it.
HANDLE FilledSurface(int32_t width, int32_t height, int32_t colour);
void DestroySurface(HANDLE surface);

// Ends the test program with a failure when the scope is not left within the bound: a drawing
// call that hangs holds the surface lock for ever, so nothing after it could run.
class HangWatch {
 public:
  HangWatch(const std::string& what, DWORD bound_ms);
  ~HangWatch();
  HangWatch(const HangWatch&) = delete;
  HangWatch& operator=(const HangWatch&) = delete;

 private:
  HANDLE done_, thread_ = nullptr;
  std::string what_;
  DWORD bound_ms_;
};

// Pushes a wide text operand.
void PushWide(const std::wstring& text);

// A scratch directory of this run of the test program, and the bytes of a file.
std::wstring ScratchDirectory();
std::string FileBytes(const std::wstring& name);
void WriteBytes(const std::wstring& name, const std::string& bytes);

}  // namespace qv::testing
