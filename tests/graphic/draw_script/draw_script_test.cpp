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

// A directory of its own for each script of this run (process numbers come round again, so
// the time of the first call is part of the name).
std::wstring Scratch(int n) {
  static const std::wstring root = [] {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    std::wstring r = std::wstring(base) + L"qv_draw_script_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                     std::to_wstring(GetTickCount64());
    CreateDirectoryW(r.c_str(), nullptr);
    return r;
  }();
  std::wstring directory = root + L"\\" + std::to_wstring(n);
  CreateDirectoryW(directory.c_str(), nullptr);
  return directory + L"\\";
}

std::string Read(const std::wstring& name) {
  std::ifstream in(name.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A runner started on a script in its own directory, as the current directory. Starting
// Wine processes is slow, so a test starts all its scripts before it waits for the first.
class Runner {
 public:
  Runner(int n, const std::string& script) : dir_(Scratch(n)) {
    std::wstring script_name = dir_ + L"script.txt";
    std::ofstream(script_name.c_str(), std::ios::binary) << script;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    errors_ = CreateFileW((dir_ + L"errors.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0,
                          nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdError = si.hStdOutput = errors_;
    std::wstring exe = Here() + L"draw_script.exe";
    std::wstring line = L"\"" + exe + L"\" \"" + script_name + L"\"";
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, dir_.c_str(), &si, &process_))
      process_ = {};
  }
  ~Runner() {
    if (process_.hProcess) {
      TerminateProcess(process_.hProcess, 0xDEAD);
      CloseHandle(process_.hThread);
      CloseHandle(process_.hProcess);
    }
    if (errors_ != INVALID_HANDLE_VALUE) CloseHandle(errors_);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir_ + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do DeleteFileW((dir_ + found.cFileName).c_str());
      while (FindNextFileW(search, &found));
      FindClose(search);
    }
    RemoveDirectoryW(dir_.c_str());
  }
  Runner(const Runner&) = delete;
  Runner& operator=(const Runner&) = delete;

  ScriptRun Finish() {
    ScriptRun run;
    if (process_.hProcess && WaitForSingleObject(process_.hProcess, 120000) == WAIT_OBJECT_0)
      GetExitCodeProcess(process_.hProcess, &run.exit_code);
    CloseHandle(errors_);
    errors_ = INVALID_HANDLE_VALUE;
    run.errors = Read(dir_ + L"errors.txt");
    return run;
  }
  const std::wstring& dir() const { return dir_; }
  bool Running() const { return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

 private:
  std::wstring dir_;
  HANDLE errors_ = INVALID_HANDLE_VALUE;
  PROCESS_INFORMATION process_{};
};

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
  Runner runner(1,
                "# a memory target\n"
                "memory 40 30\n"
                "SurfaceClear &HFFFFFF 0\n"
                "SurfaceBox 5 5 20 15 0 &H0000FF 0xFF0000 0\n"
                "SurfacePolygon [25,2 38,2 38,12] 0 65280 0 0\n"
                "SurfaceSetPixel 39 29 0 -1\n"
                "surfacesetpixel 0.25e1 27.5 0 &H123456\n"
                "save \"out.bmp\"\n");
  ScriptRun run = runner.Finish();
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_EQ(run.errors, "");
  std::string bmp = Read(runner.dir() + L"out.bmp");
  ASSERT_EQ(bmp.size(), 54u + 120 * 30);
  EXPECT_EQ(PixelOf(bmp, 5, 5), 0x0000FF);
  EXPECT_EQ(PixelOf(bmp, 10, 10), 0xFF0000);
  EXPECT_EQ(PixelOf(bmp, 20, 10), 0xFFFFFF);
  EXPECT_EQ(PixelOf(bmp, 35, 5), 0x00FF00);
  EXPECT_EQ(PixelOf(bmp, 39, 29), static_cast<int32_t>(GetSysColor(COLOR_WINDOWTEXT)));
  EXPECT_EQ(PixelOf(bmp, 2, 28), 0x123456);  // 2.5 -> 2, 27.5 -> 28
}

TEST(DrawScript, MalformedLinesStopWithTheirNumberAndRunTimeErrorsDoNot) {
  Runner malformed(2, "memory 10 10\n\nSurfaceBox 1 2 3\nsave \"never.bmp\"\n");
  Runner unknown(3, "memory 10 10\nSurfaceFly 1\n");
  Runner fraction(4, "memory 10 10\nSurfaceSetPixel 1 1 0.5 0\n");
  Runner errors(5,
                "memory 8 8\n"
                "SurfaceClear 0 0\n"
                "SurfaceStretchImage \"missing.bmp\" 0 0 3 3 0 0\n"
                "SurfaceSetPixel 1 1 0 &HFFFFFF\n"
                "save \"after.bmp\"\n");
  Runner no_target(6, "memory 0 5\n");
  Runner no_save(7, "memory 4 4\nsave \"no such dir\\x.bmp\"\n");
  Runner twice(10, "memory 4 4\nsave \"same.bmp\"\nsave \"same.bmp\"\n");

  ScriptRun run = malformed.Finish();
  EXPECT_EQ(run.exit_code, 2u);
  EXPECT_NE(run.errors.find("script.txt:3: SurfaceBox takes 8 arguments, not 3"), std::string::npos) << run.errors;
  EXPECT_EQ(GetFileAttributesW((malformed.dir() + L"never.bmp").c_str()), INVALID_FILE_ATTRIBUTES);
  run = unknown.Finish();
  EXPECT_EQ(run.exit_code, 2u);
  EXPECT_NE(run.errors.find("script.txt:2: unknown operation SurfaceFly"), std::string::npos) << run.errors;
  run = fraction.Finish();
  EXPECT_EQ(run.exit_code, 2u);
  EXPECT_NE(run.errors.find("script.txt:2: argument 3 of SurfaceSetPixel"), std::string::npos) << run.errors;

  run = errors.Finish();
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_NE(run.errors.find("script.txt:3: SurfaceStretchImage: error 5"), std::string::npos) << run.errors;
  std::string bmp = Read(errors.dir() + L"after.bmp");
  ASSERT_EQ(bmp.size(), 54u + 24 * 8);
  EXPECT_EQ(PixelOf(bmp, 1, 1), 0xFFFFFF);

  run = no_target.Finish();
  EXPECT_EQ(run.exit_code, 1u);
  EXPECT_NE(run.errors.find("script.txt:1: no memory surface"), std::string::npos) << run.errors;
  run = no_save.Finish();
  EXPECT_EQ(run.exit_code, 1u);
  EXPECT_NE(run.errors.find("script.txt:2: could not save"), std::string::npos) << run.errors;
  run = twice.Finish();  // a second save over the first is a save too
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_EQ(run.errors, "");
}

TEST(DrawScript, TheReadmeExampleDrawsItsHouse) {
  Runner runner(9, Read(Here() + L"house.txt"));
  ScriptRun run = runner.Finish();
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_EQ(run.errors, "");
  std::string bmp = Read(runner.dir() + L"house.bmp");
  ASSERT_EQ(bmp.size(), 54u + 720 * 160);
  EXPECT_EQ(PixelOf(bmp, 5, 5), 0xF0D8A0);      // sky
  EXPECT_EQ(PixelOf(bmp, 190, 33), 0x00E0FF);   // the sun's middle
  EXPECT_EQ(PixelOf(bmp, 20, 150), 0x3C9A3C);   // grass
  EXPECT_EQ(PixelOf(bmp, 110, 110), 0x104070);  // the door
  EXPECT_EQ(PixelOf(bmp, 85, 50), 0x1818A0);    // the roof
  EXPECT_EQ(PixelOf(bmp, 50, 100), 0x3050C0);   // the wall
}

TEST(DrawScript, TheReadmeExampleWindowShowsItsCanvas) {
  // Closed by the script itself, so the runner ends once the canvas is saved.
  Runner runner(10, Read(Here() + L"text_window.txt") + "SurfaceWindowClose\n");
  ScriptRun run = runner.Finish();
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_EQ(run.errors, "");
  std::string bmp = Read(runner.dir() + L"text_window.bmp");
  ASSERT_EQ(bmp.size(), 54u + 1080 * 200);
  EXPECT_EQ(PixelOf(bmp, 3, 3), 0x804020);      // the title band
  EXPECT_EQ(PixelOf(bmp, 350, 190), 0xFFFFFF);  // the background
  // The shapes sit inside the clip area, whose origin is (16, 40).
  EXPECT_EQ(PixelOf(bmp, 66, 125), 0x80C0F0);   // the rounded box
  EXPECT_EQ(PixelOf(bmp, 186, 125), 0xA0E0A0);  // the ellipse
  EXPECT_EQ(PixelOf(bmp, 275, 125), 0x00E0FF);  // the pie
}

// What a window of another process shows, read from the screen (its own DC is not readable
// from here): the colour at a client point.
int32_t ScreenColourAt(HWND window, int32_t x, int32_t y) {
  POINT at{x, y};
  ClientToScreen(window, &at);
  HDC screen = GetDC(nullptr);
  HDC copy = CreateCompatibleDC(screen);
  HBITMAP pixel = CreateCompatibleBitmap(screen, 1, 1);
  HGDIOBJ old = SelectObject(copy, pixel);
  BitBlt(copy, 0, 0, 1, 1, screen, at.x, at.y, SRCCOPY);
  COLORREF colour = GetPixel(copy, 0, 0);
  SelectObject(copy, old);
  DeleteObject(pixel);
  DeleteDC(copy);
  ReleaseDC(nullptr, screen);
  return static_cast<int32_t>(colour);
}

TEST(DrawScript, AWindowShowsTheDrawingAndStaysUntilClosed) {
  const wchar_t* title = L"qv draw script window";
  Runner runner(8,
                "window 160 100 \"qv draw script window\"\n"
                "SurfaceClear &HFFFFFF 0\n"
                "SurfaceBox 10 10 60 50 0 255 255 0\n"
                "save \"window.bmp\"\n");
  // The save is the last line: once the file is there, the drawing is done.
  std::wstring saved = runner.dir() + L"window.bmp";
  HWND frame = nullptr;
  for (int waited = 0; waited < 60000 && (!frame || GetFileAttributesW(saved.c_str()) == INVALID_FILE_ATTRIBUTES);
       waited += 50) {
    Sleep(50);
    frame = FindWindowW(L"QUILLGRAPH", title);
  }
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(PixelOf(Read(saved), 30, 30), 0x0000FF);
  HWND canvas = GetWindow(frame, GW_CHILD);
  ASSERT_NE(canvas, nullptr);
  // The window's own loop refreshes it; wait for the box to reach the screen.
  int32_t inside = -1;
  for (int waited = 0; waited < 20000 && inside != 0x0000FF; waited += 50) {
    Sleep(50);
    inside = ScreenColourAt(canvas, 30, 30);
  }
  EXPECT_EQ(inside, 0x0000FF);
  EXPECT_EQ(ScreenColourAt(canvas, 100, 80), 0xFFFFFF);
  EXPECT_TRUE(runner.Running());  // past its last line, the runner waits for the window

  PostMessageW(frame, WM_CLOSE, 0, 0);
  ScriptRun run = runner.Finish();
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_EQ(run.errors, "");
}

}  // namespace
