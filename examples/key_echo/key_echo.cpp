// key_echo
//
// Opens a graphic window that runs on a thread of its own and, from the main thread, echoes
// every key typed into it: the character is printed into the window, and a line goes to the
// standard output ("key a", "key Enter", "key scan 0x44" for a function key). Escape or closing
// the window ends it.
#include <quorvex/quorvex.h>

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr int32_t kWhite = 0xFFFFFF, kInk = 0x202020;
constexpr char16_t kEnter = 13, kEscape = 27, kBackspace = 8;

void Print(std::u16string_view text) {
  qv::PushOwned(qv::DynString::FromUnits(text));
  qv::SurfacePrint();
}

// Echoes one key read from the window; false once it is Escape.
bool Echo(std::u16string_view key) {
  if (key.size() == 2 && key[0] == 0) {  // a function or navigation key: its scan code
    std::printf("key scan 0x%02X\n", static_cast<unsigned>(key[1]));
  } else if (key.size() == 1 && key[0] == kEscape) {
    std::printf("key Escape\n");
    return false;
  } else if (key.size() == 1 && key[0] == kEnter) {
    std::printf("key Enter\n");
    qv::SurfaceNewLine();
  } else if (key.size() == 1 && key[0] == kBackspace) {
    std::printf("key Backspace\n");
  } else if (key.size() == 1 && key[0] >= 0x20 && key[0] < 0x7F) {
    std::printf("key %c\n", static_cast<char>(key[0]));
    Print(key);
  } else if (key.size() == 1) {
    std::printf("key U+%04X\n", static_cast<unsigned>(key[0]));
    Print(key);
  }
  std::fflush(stdout);
  return true;
}

// The window's thread ends after its window; a program that ends first may be killed by Wine
// instead of ending with its exit code.
void WaitForThread(HANDLE thread) {
  if (!thread) return;
  WaitForSingleObject(thread, 5000);
  CloseHandle(thread);
}

int32_t EchoMain(void*, void*, const char16_t*, int32_t) {
  qv::ProcedureFrame frame;
  qv::PushOwned(qv::DynString::FromUnits(u"Quorvex key echo"));
  // The window's loop runs on a new thread; this thread gets its canvas as drawing target.
  const HWND window = qv::SurfaceWindowOpenThreaded(100, 100, 420, 160, 0, 1, 0);
  if (!window) {
    std::fprintf(stderr, "key_echo: the window could not be opened\n");
    return 1;
  }
  const HANDLE window_thread = OpenThread(SYNCHRONIZE, FALSE, GetWindowThreadProcessId(window, nullptr));
  qv::SurfaceClear(kWhite, 0);
  qv::SurfaceSetForeColor(kInk);
  qv::SurfaceSetBackColor(kWhite);
  qv::SurfaceSetWordWrap(0);
  qv::SurfaceSetCharWrap(-1);
  Print(u"Type here (Escape ends):");
  qv::SurfaceNewLine();
  qv::SurfaceWindowToFront();
  std::printf("key_echo: ready\n");
  std::fflush(stdout);

  bool going = true;
  while (going && IsWindow(window)) {
    if (qv::SurfaceKeyPeek() == 0) {
      Sleep(10);  // the window keeps one key: poll often enough for a typist
      continue;
    }
    qv::SurfaceKeyRead();
    going = Echo(qv::PopText().wide_view());
  }
  if (IsWindow(window)) qv::SurfaceWindowClose();
  WaitForThread(window_thread);
  return 0;
}

}  // namespace

int wmain() {
  qv::Program program;
  program.main_routine = EchoMain;
  program.build_flags = qv::kBuildCreateDefaultFonts;
  program.create_default_fonts = qv::SurfaceStartUp;
  qv::StartUp(program);
}
