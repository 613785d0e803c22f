#include "app_state.h"

namespace qv::app {

HWND MainDialog = nullptr;
int32_t BaudRate = 0;
ChannelNumber PortChannel = 0;
DynString PortName;
DynString SurfacePixels;
DynString ReceivedData;
int32_t LastQueueCount = 0;

DynString* const GlobalStrings[3] = {&PortName, &SurfacePixels, &ReceivedData};

}  // namespace qv::app
