// The receive-queue layer of the comm-call table, used under Wine: Wine's serial devices read
// straight from the kernel's tty, whose line buffer holds at most 4095 bytes, so a program sees
// a longer burst in pieces. The layer gives every serial device opened for reading through it a
// ReceiveQueue of the size SetupComm last asked for (4096 until then), kept filled by a drain
// thread, and answers from it as a Windows driver answers from its queue:
// - ClearCommError reports the queue's count (and the device's error mask and transmit count);
//   once the queue is empty and the drain has met a failing read, it fails with that error;
// - ReadFile hands out queued bytes in arrival order at once (it never waits for more);
// - SetupComm sizes the queue (0 and sizes above ReceiveQueue::kMaxCapacity are refused);
//   GetCommProperties reports that size as the current receive queue;
// - PurgeComm with PURGE_RXCLEAR empties it; CloseHandle stops the drain before the device
//   is closed;
// - SetCommTimeouts keeps the drain's read time-outs and passes the write time-outs on;
// - a device that is already open through the layer in this process is refused (access
//   denied), as a Windows serial driver refuses a second open: a second drain would split
//   the bytes between two channels.
// Handles the layer did not open with a queue, and every other call, go to the device calls
// beneath it unchanged.
//
// Threads: any thread may call through the layer. Opens are serialised by a mutex of their own
// (held across the device's CreateFileW); the table of queued handles by another, held only for
// lookups and changes, never across a device call. Neither is taken while a queue's lock is
// held, and the drain threads take neither.
#pragma once

#include "comm_api.h"

namespace qv {

// Whether the program runs under Wine (its ntdll exports wine_get_version).
bool RunsUnderWine();

// The layer's table.
CommApi QueuedCommApi();

// Replaces the calls beneath the layer (while no device is open through it); returns the
// previous ones. They are the platform's calls unless a test puts a fake device there.
CommApi QueuedCommDeviceInstall(const CommApi& device);

}  // namespace qv
