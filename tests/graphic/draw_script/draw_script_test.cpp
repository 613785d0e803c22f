// The drawing-script runner as a program: scripts in, pictures and messages out.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>

namespace {

struct ScriptRun {
  DWORD exit_code = 0xDEAD;
  std::string errors;  // what the runner wrote to its standard error
};

std::wstring Here() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p = path;
  return p.substr(0, p.find_last_of(L"\\/") + 1);
}

std::wstring Scratch() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  std::wstring directory = std::wstring(base) + L"qv_draw_script_" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(directory.c_str(), nullptr);
  return directory + L"\\";
}

std::string Read(const std::wstring& name) {
  std::ifstream in(name.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs the runner on a script in the scratch directory, as the current directory.
ScriptRun RunScript(const std::string& script) {
  std::wstring dir = Scratch(), script_name = dir + L"script.txt", errors_name = dir + L"errors.txt";
  std::ofstream(script_name.c_str(), std::ios::binary) << script;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE errors = CreateFileW(errors_name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdError = errors;
  si.hStdOutput = errors;
  std::wstring exe = Here() + L"draw_script.exe";
  std::wstring line = L"\"" + exe + L"\" \"" + script_name + L"\"";
  PROCESS_INFORMATION pi{};
  ScriptRun run;
  if (CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, dir.c_str(), &si, &pi)) {
    WaitForSingleObject(pi.hProcess, 120000);
    GetExitCodeProcess(pi.hProcess, &run.exit_code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  CloseHandle(errors);
  run.errors = Read(errors_name);
  return run;
}

// The colour 0x00BBGGRR of a pixel of a 24-bit BMP file.
int32_t PixelOf(const std::string& bmp, int32_t x, int32_t y) {
  int32_t width, height;
  std::memcpy(&width, bmp.data() + 18, 4);
  std::memcpy(&height, bmp.data() + 22, 4);
  size_t row = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
  const auto* p = reinterpret_cast<const unsigned char*>(bmp.data()) + 54 + row * (height - 1 - y) + 3 * x;
  return p[0] << 16 | p[1] << 8 | p[2];
}

TEST(DrawScript, DrawsAndSaves) {
  ScriptRun run = RunScript(
      "# a memory target\n"
      "memory 40 30\n"
      "SurfaceClear &HFFFFFF 0\n"
      "SurfaceBox 5 5 20 15 0 &H0000FF 0xFF0000 0\n"
      "SurfacePolygon [25,2 38,2 38,12] 0 65280 0 0\n"
      "SurfaceSetPixel 39 29 0 -1\n"
      "surfacesetpixel 0.25e1 27.5 0 &H123456\n"
      "save \"out.bmp\"\n");
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_EQ(run.errors, "");
  std::string bmp = Read(Scratch() + L"out.bmp");
  ASSERT_EQ(bmp.size(), 54u + 120 * 30);
  EXPECT_EQ(PixelOf(bmp, 5, 5), 0x0000FF);
  EXPECT_EQ(PixelOf(bmp, 10, 10), 0xFF0000);
  EXPECT_EQ(PixelOf(bmp, 20, 10), 0xFFFFFF);
  EXPECT_EQ(PixelOf(bmp, 35, 5), 0x00FF00);
  EXPECT_EQ(PixelOf(bmp, 39, 29), static_cast<int32_t>(GetSysColor(COLOR_WINDOWTEXT)));
  EXPECT_EQ(PixelOf(bmp, 2, 28), 0x123456);  // 2.5 -> 2, 27.5 -> 28
}

TEST(DrawScript, AMalformedLineStopsWithItsNumber) {
  ScriptRun run = RunScript("memory 10 10\n\nSurfaceBox 1 2 3\nsave \"never.bmp\"\n");
  EXPECT_EQ(run.exit_code, 2u);
  EXPECT_NE(run.errors.find("script.txt:3: SurfaceBox takes 8 arguments, not 3"), std::string::npos) << run.errors;
  EXPECT_EQ(GetFileAttributesW((Scratch() + L"never.bmp").c_str()), INVALID_FILE_ATTRIBUTES);

  for (const char* bad : {"memory 10 10\nSurfaceFly 1\n", "memory 10 10\nSurfaceSetPixel 1 1 0.5 0\n",
                          "memory 10 10\nSurfaceSetPixel 1 1 0 \"red\"\n", "memory 10 10.5\n", "save 3\n",
                          "memory 10 10\nSurfaceBox 1 2 3 4 5 6 7 8)\n"}) {
    run = RunScript(bad);
    EXPECT_EQ(run.exit_code, 2u) << bad;
    EXPECT_NE(run.errors.find("script.txt:"), std::string::npos) << bad;
  }
}

TEST(DrawScript, RunTimeErrorsArePrintedAndTheScriptGoesOn) {
  ScriptRun run = RunScript(
      "memory 8 8\n"
      "SurfaceClear 0 0\n"
      "SurfaceStretchImage \"missing.bmp\" 0 0 3 3 0 0\n"
      "SurfaceSetPixel 1 1 0 &HFFFFFF\n"
      "save \"after.bmp\"\n");
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_NE(run.errors.find("script.txt:3: SurfaceStretchImage: error 5"), std::string::npos) << run.errors;
  std::string bmp = Read(Scratch() + L"after.bmp");
  ASSERT_EQ(bmp.size(), 54u + 24 * 8);
  EXPECT_EQ(PixelOf(bmp, 1, 1), 0xFFFFFF);

  run = RunScript("memory 0 5\n");
  EXPECT_EQ(run.exit_code, 1u);
  EXPECT_NE(run.errors.find("script.txt:1: no memory surface"), std::string::npos) << run.errors;
  run = RunScript("memory 4 4\nsave \"no such dir\\x.bmp\"\n");
  EXPECT_EQ(run.exit_code, 1u);
  EXPECT_NE(run.errors.find("script.txt:2: could not save"), std::string::npos) << run.errors;
}

}  // namespace
