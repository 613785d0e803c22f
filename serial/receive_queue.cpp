#include "receive_queue.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>
#include <system_error>
#include <utility>

namespace qv {

ReceiveQueue::ReceiveQueue(HANDLE handle, const CommApi& device, void (*released)(const ReceiveQueue*))
    : handle_(handle), device_(device), released_(released) {}

COMMTIMEOUTS ReceiveQueue::DrainTimeouts(const COMMTIMEOUTS& program) {
  // A total time-out bounds every read; an interval of 1 ms ends a read as soon as the bytes
  // there have been taken (Wine does not honour the "return at once" form with MAXDWORD).
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = 1;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = kDrainWaitMs;
  timeouts.WriteTotalTimeoutMultiplier = program.WriteTotalTimeoutMultiplier;
  timeouts.WriteTotalTimeoutConstant = program.WriteTotalTimeoutConstant;
  return timeouts;
}

std::shared_ptr<ReceiveQueue> ReceiveQueue::Start(HANDLE handle, const CommApi& device,
                                                  void (*released)(const ReceiveQueue*)) {
  std::shared_ptr<ReceiveQueue> queue(new (std::nothrow) ReceiveQueue(handle, device, released));
  if (!queue || !queue->Reallocate(kInitialCapacity + kDrainChunk)) return nullptr;
  // The thread holds the queue until it ends, so a drain that was handed the handle still has
  // it when its device call returns.
  try {
    queue->thread_ = std::thread([queue] { queue->Drain(); });
  } catch (const std::system_error&) {
    return nullptr;
  }
  return queue;
}

ReceiveQueue::~ReceiveQueue() {
  AwaitStop();
  Release();
}

bool ReceiveQueue::AwaitStop() {
  std::unique_lock lock(mutex_);
  stop_ = true;
  changed_.notify_all();
  if (!waited_)
    changed_.wait_for(lock, std::chrono::milliseconds(kStopWaitMs), [&] { return ended_; });
  waited_ = true;
  return ended_;
}

bool ReceiveQueue::Release() {
  bool ended = false;
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
    ended = ended_;
    if (!ended) abandoned_ = true;
  }
  changed_.notify_all();
  std::call_once(joined_, [&] {
    if (!thread_.joinable()) return;
    // The last owner may let go on the drain thread itself (after it closed a handle handed
    // to it): that thread cannot join itself.
    if (ended && thread_.get_id() != std::this_thread::get_id())
      thread_.join();
    else
      thread_.detach();
  });
  return ended;
}

DWORD ReceiveQueue::ReadDevice(unsigned char* chunk, DWORD room, bool ask_status, DWORD& failure) {
  // The only reader of the device: nothing else can take bytes between this read and the
  // append, so the queue holds them in the device's order, each once. Both calls end within
  // the drain's time-outs: a read of counted bytes that a hang-up or a flush took away meanwhile
  // returns with what there is.
  COMSTAT status{};
  DWORD got = 0, errors = 0;
  BOOL ok = ask_status ? device_.ClearCommError(handle_, &errors, &status) : TRUE;
  if (!ok) failure = GetLastError();
  if (errors) {
    // The call cleared them in the device: they are the program's next status query's, not
    // after the read, which may sleep.
    std::lock_guard lock(mutex_);
    errors_ |= errors;
  }
  if (ok) {
    const DWORD ask = status.cbInQue > 0 ? std::min(room, status.cbInQue) : 1;
    ok = device_.ReadFile(handle_, chunk, ask, &got, nullptr);
    if (!ok) failure = GetLastError();
    got = std::min(got, ask);
  }
  if (!ok && failure == 0) failure = ERROR_GEN_FAILURE;
  return got;
}

void ReceiveQueue::Drain() {
  unsigned char chunk[kDrainChunk];
  bool pace = false;
  // While the line is quiet only every other read is preceded by a status call: it is there to
  // notice a line that has gone (a hung-up tty reads nothing until the time-out), and each call
  // wakes the thread.
  uint32_t quiet_reads = 0;
  for (;;) {
    DWORD room = 0;
    {
      std::unique_lock lock(mutex_);
      if (pace) changed_.wait_for(lock, std::chrono::milliseconds(kDrainPaceMs), [&] { return stop_; });
      // A full queue is not drained: the device's own buffer holds (or overruns), as it would
      // behind a driver whose queue is full.
      changed_.wait(lock, [&] { return stop_ || (pauses_ == 0 && count_ < capacity_); });
      if (stop_) break;
      room = std::min(capacity_ - count_, kDrainChunk);
      reading_ = true;
    }
    DWORD failure = 0;
    const DWORD got = ReadDevice(chunk, room, quiet_reads % 2 == 0, failure);
    quiet_reads = got > 0 ? 0 : quiet_reads + 1;
    std::lock_guard lock(mutex_);
    reading_ = false;
    if (!stop_) Append(chunk, got);
    if (failure) failure_ = failure;
    changed_.notify_all();  // a purge may be waiting for the calls to end
    if (stop_ || failure) break;
    pace = got > 0 && got < room;
  }
  bool abandoned = false;
  {
    std::lock_guard lock(mutex_);
    ended_ = true;
    abandoned = abandoned_;
  }
  changed_.notify_all();
  if (abandoned) {
    // Let go of the device first: once closed, the handle's value may be given to another.
    if (released_) released_(this);
    device_.CloseHandle(handle_);
  }
}

void ReceiveQueue::Append(const unsigned char* bytes, DWORD n) {
  if (n == 0) return;
  // Fits: the read asked for no more than the room left, and the ring keeps kDrainChunk spare
  // for a read in flight while the capacity shrinks.
  const DWORD tail = (head_ + count_) % ring_size_;
  const DWORD first = std::min(n, ring_size_ - tail);
  std::memcpy(ring_.get() + tail, bytes, first);
  std::memcpy(ring_.get(), bytes + first, n - first);
  count_ += n;
}

bool ReceiveQueue::Reallocate(DWORD size) {
  std::unique_ptr<unsigned char[]> ring(new (std::nothrow) unsigned char[size]);
  if (!ring) return false;
  const DWORD first = std::min(count_, ring_size_ - head_);
  if (count_ > 0) {
    std::memcpy(ring.get(), ring_.get() + head_, first);
    std::memcpy(ring.get() + first, ring_.get(), count_ - first);
  }
  ring_ = std::move(ring);
  ring_size_ = size;
  head_ = 0;
  return true;
}

DWORD ReceiveQueue::Count() {
  std::lock_guard lock(mutex_);
  return count_;
}

DWORD ReceiveQueue::Capacity() {
  std::lock_guard lock(mutex_);
  return capacity_;
}

bool ReceiveQueue::Resize(DWORD capacity) {
  {
    std::lock_guard lock(mutex_);
    const DWORD size = std::max(capacity, count_) + kDrainChunk;
    if (size != ring_size_ && !Reallocate(size)) return false;
    capacity_ = capacity;
  }
  changed_.notify_all();
  return true;
}

DWORD ReceiveQueue::Take(unsigned char* dst, DWORD max) {
  DWORD n = 0;
  {
    std::lock_guard lock(mutex_);
    n = std::min(max, count_);
    if (n == 0) return 0;
    const DWORD first = std::min(n, ring_size_ - head_);
    std::memcpy(dst, ring_.get() + head_, first);
    std::memcpy(dst + first, ring_.get(), n - first);
    head_ = (head_ + n) % ring_size_;
    count_ -= n;
  }
  changed_.notify_all();
  return n;
}

BOOL ReceiveQueue::Purge(DWORD flags) {
  std::unique_lock lock(mutex_);
  ++pauses_;
  if (!changed_.wait_for(lock, std::chrono::milliseconds(kStopWaitMs), [&] { return !reading_; })) {
    --pauses_;
    lock.unlock();
    changed_.notify_all();
    SetLastError(ERROR_BUSY);
    return FALSE;
  }
  lock.unlock();
  // No drain call is in flight now: what the device still holds and what the queue holds are
  // exactly the bytes received before the purge.
  const BOOL purged = device_.PurgeComm(handle_, flags);
  const DWORD error = GetLastError();
  lock.lock();
  if (purged && (flags & PURGE_RXCLEAR)) {
    count_ = 0;
    head_ = 0;
  }
  --pauses_;
  lock.unlock();
  changed_.notify_all();
  SetLastError(error);
  return purged;
}

DWORD ReceiveQueue::TakeErrors() {
  std::lock_guard lock(mutex_);
  return std::exchange(errors_, 0);
}

DWORD ReceiveQueue::Failure() {
  std::lock_guard lock(mutex_);
  return failure_;
}

}  // namespace qv
