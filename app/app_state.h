// The application's state: module-level, living for the whole run, touched only on the GUI
// thread.
#pragma once

#include <windows.h>

#include <cstdint>

#include "channel_record.h"
#include "dyn_string.h"

namespace qv::app {

extern HWND MainDialog;
extern int32_t BaudRate;
extern ChannelNumber PortChannel;  // 0 = no channel open
extern DynString PortName;
extern DynString SurfacePixels;    // the surface as a pixel string, rebuilt on every render
extern DynString ReceivedData;     // the burst to draw
extern int32_t LastQueueCount;     // receive-queue count seen at the previous tick

// The global strings, released by the run-time at shutdown.
extern DynString* const GlobalStrings[3];

constexpr int32_t kGraphicControlId = 1001;
constexpr int32_t kBackgroundColour = 0x00CDFAFF;  // pale yellow
constexpr int32_t kCellColour = 0x00FF0000;        // pure blue

// The hidden main dialog with its graphic control, attached and cleared: MainRoutine's
// steps before the modal run.
void BuildMainDialog();
int32_t MainRoutine(void* module, void* previous, const char16_t* command_tail, int32_t show_window);
int32_t OpenSerialPort();
LRESULT CALLBACK MainDialogCallback(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
void RenderBitGrid();
// Fills one 4 x 4 cell of SurfacePixels, a row of four pixels (cell_row) at a time.
void PaintBitCell(const int32_t& strip, const int32_t& cell, const DynString& cell_row);

}  // namespace qv::app
