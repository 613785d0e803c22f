// Holds a Wine prefix's desktop open for the length of a test run. Wine starts its desktop
// process for the first program that makes a window and keeps it while any program uses the
// desktop; that process inherits the standard error of the program that started it. Started by
// the test command before any test, with its output going nowhere, this program is the one the
// desktop comes from, so no test's output stays open after the test ends. It makes a message-only
// window (enough to bring the desktop up), says "ready" and waits until it is killed.
#include <windows.h>

#include <cstdio>

int main() {
  HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (!window) return 1;
  std::printf("ready\n");
  std::fflush(stdout);
  for (;;) Sleep(INFINITE);
}
