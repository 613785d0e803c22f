// The receive-queue layer of the comm-call table, used under Wine: Wine's serial devices read
// straight from the kernel's tty, whose line buffer holds at most 4095 bytes, so a program sees
// a longer burst in pieces. The layer gives every serial device opened for reading through it a
// ReceiveQueue of the size SetupComm last asked for (4096 until then), kept filled by a drain
// thread, and answers from it as a Windows driver answers from its queue:
// - ClearCommError reports the queue's count, the device's transmit count and its error mask
//   (with the bits the drain's own status polls met). While the queue holds bytes it reports
//   them even when the device has failed since (a hang-up); once it is empty it fails with the
//   device's failure or the drain's. A full queue drops nothing (the device keeps the rest), so
//   the layer adds no overrun of its own;
// - ReadFile hands out queued bytes in arrival order at once (it never waits for more);
// - SetupComm sizes the queue (0 and sizes above ReceiveQueue::kMaxCapacity are refused);
//   GetCommProperties reports that size as the current receive queue;
// - PurgeComm with PURGE_RXCLEAR empties it; PrepareClose, and CloseHandle if that was not
//   called, stop the drain before the device is closed (a drain held past its bound in a device
//   call that ignores its time-outs closes the device itself when the call returns, and the
//   device stays taken until then);
// - the device runs with the drain's read time-outs (ReceiveQueue::DrainTimeouts), which bound
//   every drain call; GetCommTimeouts gives the program what it last set with SetCommTimeouts
//   (the driver's values until then), whose write time-outs reach the device as they are;
// - a device that is already open through the layer in this process is refused (access
//   denied), whichever name reaches it (two DOS names linked to one tty are one device), as a
//   Windows serial driver refuses a second open: a second drain would split the bytes.
// Handles the layer did not open with a queue, and every other call, go to the device calls
// beneath it unchanged.
//
// Threads: any thread may call through the layer. Opens are serialised by a mutex of their own
// (held across the device's CreateFileW); the table of queued handles by another, held only for
// lookups and changes, never across a device call. Neither is taken while a queue's lock is
// held; a drain thread takes the table's only at its very end, to let go of a device it closed
// itself. PrepareClose waits, for at most ReceiveQueue::kStopWaitMs, for the drain thread to
// end, so the channel close calls it before, and outside, the guarded CloseHandle.
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
