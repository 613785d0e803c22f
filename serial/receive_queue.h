// ReceiveQueue: the receive queue of one serial device, kept in the process where the platform's
// driver keeps none of its own (Wine reads straight from the kernel's tty, whose line buffer
// holds at most 4095 bytes). A drain thread moves the device's bytes into the queue as they
// come, so the queue count, the reads and a purge behave as a Windows driver's queue does.
//
// The drain sleeps in the device: it asks the device what it holds and reads exactly that, or,
// when it holds nothing, reads one byte under time-outs of its own (DrainTimeouts), which end
// the read as soon as a byte comes or after kDrainWaitMs (on a quiet line it asks for the
// status before every other read only). So an idle channel wakes a few times a second, new
// bytes reach the queue within a few milliseconds, and every device call of the drain ends
// within kDrainWaitMs whatever the line does: a hang-up or a flush between the status call and
// the read cannot hold it. The device keeps these time-outs for as long as the
// queue runs; the program's own are kept by the layer above (queued_comm_api.h).
//
// Threads and ownership: the queue is shared (std::shared_ptr) by the comm-call layer that
// created it, by whichever call is using it at the moment and by its drain thread, which holds
// it until the thread ends. `mutex_` guards every field below it; the drain thread holds it
// only to look at the room and to append, never while it calls the device. The device handle
// belongs to the caller, who closes it once Release() has returned true. When the drain is still
// in a device call then (one that ignores its time-outs), Release() hands the handle to the
// drain, which calls `released` and closes it as soon as that call returns.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "comm_api.h"

namespace qv {

class ReceiveQueue {
 public:
  static constexpr DWORD kInitialCapacity = 4096;  // a driver's queue before SetupComm
  static constexpr DWORD kMaxCapacity = 16u << 20;  // larger SetupComm sizes are refused
  static constexpr DWORD kDrainChunk = 4096;  // the most one device read asks for
  // The longest a drain read sleeps in the device for a first byte: an idle channel wakes this
  // often, and no drain call lasts longer on a device that keeps its time-outs.
  static constexpr DWORD kDrainWaitMs = 300;
  // After a read that brought bytes the drain lets this much time pass before it asks again, so
  // a slow stream is read some bytes at a time rather than one device call per byte.
  static constexpr DWORD kDrainPaceMs = 2;
  // The longest AwaitStop() and Purge() wait for a drain call in progress.
  static constexpr DWORD kStopWaitMs = 400;

  // The read time-outs the device runs with while drained (a byte ends the read at once, an
  // idle line after kDrainWaitMs), with the write time-outs of `program`.
  static COMMTIMEOUTS DrainTimeouts(const COMMTIMEOUTS& program);

  // Starts draining `handle` with `device`'s ClearCommError and ReadFile; the device must run
  // with DrainTimeouts already. `released` is called with the queue, from the drain thread,
  // when the drain is about to close a handle that Release() handed to it. Null when memory or a
  // thread cannot be had.
  static std::shared_ptr<ReceiveQueue> Start(HANDLE handle, const CommApi& device,
                                             void (*released)(const ReceiveQueue*));

  ~ReceiveQueue();
  ReceiveQueue(const ReceiveQueue&) = delete;
  ReceiveQueue& operator=(const ReceiveQueue&) = delete;

  // Stops the drain and waits until it has made its last device call, for at most kStopWaitMs
  // in all however often it is called; bytes read in the meantime are dropped. Whether it has.
  bool AwaitStop();
  // After AwaitStop(): true when the drain has ended, and the caller closes the handle; false
  // when it is still in a device call, and the handle is now the drain's, which closes it when
  // the call returns. The one place that decides: call it once, before the handle is closed.
  bool Release();

  DWORD Count();
  DWORD Capacity();
  // New capacity; the queue keeps what it holds even when that is more. False when memory runs
  // out (nothing changes then).
  bool Resize(DWORD capacity);
  // Hands out up to `max` bytes in arrival order; the count handed out.
  DWORD Take(unsigned char* dst, DWORD max);
  // PurgeComm on the device with the drain paused between two reads; with PURGE_RXCLEAR and
  // success it also empties the queue, so every byte received before the purge is dropped and
  // none received after. Waits for the drain's device call in progress, for at most
  // kStopWaitMs: after that it fails with ERROR_BUSY and nothing is purged.
  BOOL Purge(DWORD flags);
  // The platform error that ended the drain (the device's status or read failed), 0 while it
  // runs.
  DWORD Failure();
  // The error bits (CE_*) the drain's status polls met since the last call, which the poll
  // cleared in the device: they belong to the program's next status query.
  DWORD TakeErrors();

 private:
  ReceiveQueue(HANDLE handle, const CommApi& device, void (*released)(const ReceiveQueue*));
  void Drain();
  // One round of device calls: the status (unless `ask_status` is false), then a read of what
  // it counts or of one byte. The bytes read; `failure` is set when the device failed.
  DWORD ReadDevice(unsigned char* chunk, DWORD room, bool ask_status, DWORD& failure);
  // Appends n bytes the drain has read (mutex_ held).
  void Append(const unsigned char* bytes, DWORD n);
  // Makes the ring `size` bytes, keeping the bytes in order. False when memory runs out.
  bool Reallocate(DWORD size);

  const HANDLE handle_;
  const CommApi device_;
  void (*const released_)(const ReceiveQueue*);
  // The drain runs on a thread of the posix thread library, as the run-time's own threads do:
  // under Wine a thread of CreateThread's and one of the library's that end at the same moment
  // can stop each other for good. Joined, or detached when the handle is handed to it, once.
  std::thread thread_;
  std::once_flag joined_;

  std::mutex mutex_;
  std::condition_variable changed_;  // room made, a read ended, a pause or a stop
  // The ring holds up to `capacity_ + kDrainChunk` bytes: a read in flight while the capacity
  // shrinks always fits, so the drain never has to drop or allocate.
  std::unique_ptr<unsigned char[]> ring_;
  DWORD ring_size_ = 0;
  DWORD head_ = 0;
  DWORD count_ = 0;
  DWORD capacity_ = kInitialCapacity;
  bool reading_ = false;  // the drain is in a device call
  int pauses_ = 0;        // purges waiting for the drain to stay out of the device
  bool stop_ = false;
  bool ended_ = false;      // the drain has made its last device call
  bool waited_ = false;     // an AwaitStop() has waited its bound
  bool abandoned_ = false;  // Release() handed the handle to the drain
  DWORD failure_ = 0;
  DWORD errors_ = 0;
};

}  // namespace qv
