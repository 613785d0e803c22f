// ReceiveQueue: the receive queue of one serial device, kept in the process where the platform's
// driver keeps none of its own (Wine reads straight from the kernel's tty, whose line buffer
// holds at most 4095 bytes). A drain thread moves the device's bytes into the queue as they
// come, so the queue count, the reads and a purge behave as a Windows driver's queue does.
// The drain polls the device's status and reads only the bytes it reports, so the device's
// COMMTIMEOUTS stay whatever the driver and the program made them: no read of the drain waits.
//
// Threads and ownership: the queue is shared (std::shared_ptr) by the comm-call layer that
// created it and by whichever call is using it at the moment; its drain thread uses the queue
// object itself until Stop() has joined it. `mutex_` guards every field below it; the drain
// thread holds it only to look at the room and to append, never while it calls the device.
// The device handle belongs to the caller: Stop() must have returned before it is closed.
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
  // How often an idle drain asks the device what it holds: bytes reach the queue within this
  // time of their arrival in the device.
  static constexpr DWORD kDrainPollMs = 5;

  // Starts draining `handle` with `device`'s ClearCommError and ReadFile. Null when memory or a
  // thread cannot be had.
  static std::shared_ptr<ReceiveQueue> Start(HANDLE handle, const CommApi& device);

  ~ReceiveQueue();
  ReceiveQueue(const ReceiveQueue&) = delete;
  ReceiveQueue& operator=(const ReceiveQueue&) = delete;

  // Stops the drain and waits until its thread has ended (for at most one status poll and one
  // read of bytes the device already holds); bytes read in the meantime are dropped. Safe to
  // call more than once.
  void Stop();

  DWORD Count();
  DWORD Capacity();
  // New capacity; the queue keeps what it holds even when that is more. False when memory runs
  // out (nothing changes then).
  bool Resize(DWORD capacity);
  // Hands out up to `max` bytes in arrival order; the count handed out.
  DWORD Take(unsigned char* dst, DWORD max);
  // PurgeComm on the device with the drain paused between two reads; with PURGE_RXCLEAR and
  // success it also empties the queue, so every byte received before the purge is dropped and
  // none received after. Waits for the drain's device calls in progress.
  BOOL Purge(DWORD flags);
  // The platform error that ended the drain (the device's status or read failed), 0 while it
  // runs.
  DWORD Failure();
  // The error bits (CE_*) the drain's status polls met since the last call, which the poll
  // cleared in the device: they belong to the program's next status query.
  DWORD TakeErrors();

 private:
  ReceiveQueue(HANDLE handle, const CommApi& device);
  void Drain();
  // Appends n bytes the drain has read (mutex_ held).
  void Append(const unsigned char* bytes, DWORD n);
  // Makes the ring `size` bytes, keeping the bytes in order. False when memory runs out.
  bool Reallocate(DWORD size);

  const HANDLE handle_;
  const CommApi device_;
  // The drain runs on a thread of the posix thread library, as the run-time's own threads do:
  // under Wine a thread of CreateThread's and one of the library's that end at the same moment
  // can stop each other for good. Joined once, by whichever Stop() comes first; a later Stop()
  // waits for that join.
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
  DWORD failure_ = 0;
  DWORD errors_ = 0;
};

}  // namespace qv
