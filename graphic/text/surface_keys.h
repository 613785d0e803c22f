// Keys and clicks of the thread's target. A surface window keeps the last key it received in
// its record (a character code, or a scan code in bits 16-23 for function and navigation keys)
// and a graphic window's canvas its click state; these operations read them under SurfaceLock.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

// -1 when a key is waiting, 0 when none (or no target).
int32_t SurfaceKeyPeek();

// Pushes the waiting key as UTF-16 and clears it: a character as one unit, a scan code as two
// (U+0000, then the scan code); the empty text when none is waiting.
void SurfaceKeyRead();

void SurfaceKeyFlush();

// Pops a prompt, prints it at the current position and edits a line after it from the
// target's keys, with a blinking caret: printable characters are added, backspace removes the
// last one, Escape clears the line, Enter ends it (and starts a new line); other keys beep.
// Pushes the line. It also ends, with what was typed so far, when the target window is closed
// or the thread's target goes away; a target that cannot receive keys (a memory surface) ends
// it at once. Messages of the calling thread's own windows are dispatched while it waits.
void SurfaceLineInput();

struct ClickReading {
  int32_t state = 0;  // 1 a click, 2 a double-click, 0 none
  float x = 0, y = 0;  // where, in the canvas's user units
};

// Takes the click state of a graphic window's canvas (`window`: the canvas or its frame;
// 0: the target). After a click followed by a double-click the click is read first and the
// double-click stays for the next read.
ClickReading SurfaceClickRead(HWND window);

}  // namespace qv
